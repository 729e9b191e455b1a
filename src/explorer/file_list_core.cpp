#include "explorer/file_list_core.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/ascii_text.h"
#include "base/os.h"

namespace velmora::explorer {

TFileType::TFileType(std::initializer_list<TFileAttr> members) {
    for (TFileAttr m : members)
        Include(m);
}

TFileType& TFileType::Include(TFileAttr member) {
    bits_ = static_cast<uint8_t>(bits_ | (1u << member));
    return *this;
}

TFileType& TFileType::Exclude(TFileAttr member) {
    bits_ = static_cast<uint8_t>(bits_ & ~(1u << member));
    return *this;
}

uint32_t TFileType::AttributeMask() const {
    static constexpr uint32_t kBits[] = {kAttrReadOnly, kAttrHidden, kAttrSystem, kAttrArchive, kAttrNormal};
    uint32_t mask = 0;
    for (int m = ftReadOnly; m <= ftNormal; ++m) {
        if (Contains(static_cast<TFileAttr>(m))) mask |= kBits[m];
    }
    return mask;
}

bool EntryPasses(uint32_t attributes, uint32_t mask) {
    if ((attributes & kAttrDirectory) != (mask & kAttrDirectory)) return false;
    for (uint32_t bit : {kAttrReadOnly, kAttrHidden, kAttrSystem}) {
        if ((attributes & bit) && !(mask & bit)) return false;
    }
    return true;
}

std::vector<std::string> SplitMask(const std::string& mask) {
    std::vector<std::string> pieces;
    if (mask.empty()) return pieces;
    size_t start = 0;
    for (;;) {
        size_t semicolon = mask.find(';', start);
        if (semicolon == std::string::npos) {
            pieces.push_back(mask.substr(start));
            return pieces;
        }
        pieces.push_back(mask.substr(start, semicolon - start));
        start = semicolon + 1;
    }
}

std::string AttributeLetters(uint32_t attributes) {
    std::string letters;
    if (attributes & kAttrArchive) letters += 'A';
    if (attributes & kAttrReadOnly) letters += 'R';
    if (attributes & kAttrHidden) letters += 'H';
    if (attributes & kAttrSystem) letters += 'S';
    return letters;
}

int64_t SizeInKB(int64_t bytes) {
    if (bytes >= 1 && bytes <= 1023) return 1;
    return bytes / 1024;
}

std::string SizeText(int64_t bytes) {
    return std::to_string(SizeInKB(bytes));
}

std::string EntryCaption(std::string_view name, bool hideFileExt) {
    if (name == "..") return " ..";
    if (!hideFileExt) return std::string(name);
    return std::string(name.substr(0, name.find('.')));
}

namespace {
// Digits grouped by threes with the separator; 0 gives no digits at all.
std::string GroupedDigits(int64_t value, char separator) {
    if (value <= 0) return {};
    std::string digits = std::to_string(value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        size_t remaining = digits.size() - i;
        if (i != 0 && remaining % 3 == 0) out += separator;
        out += digits[i];
    }
    return out;
}
} // namespace

std::string DriveSizeText(int64_t kilobytes, char thousandSeparator) {
    if (kilobytes < 1) return "0 Mb";
    return GroupedDigits(kilobytes / 1000, thousandSeparator) + " Mb";
}

std::string DriveTypeText(int driveType) {
    static const char* const kTexts[] = {"Tanınmadı",   "Mevcut Değil", "Çıkarılan Disk", "Sabit Disk",
                                         "Ağ sürücüsü", "CD-ROM Disk",  "RAM Disk"};
    if (driveType < 0 || driveType > 6) return kTexts[0];
    return kTexts[driveType];
}

std::string DriveLabel(const std::string& displayName) {
    size_t paren = displayName.find('(');
    return paren == std::string::npos ? std::string() : displayName.substr(0, paren);
}

std::string DriveCaption(char letter, const std::string& label) {
    return std::string(" (") + letter + ":)  " + label;
}

std::string DateFormatString(TDTFormat format, const std::string& localeShortDate) {
    switch (format) {
    case df_MMddyyyy:
        return "MM/dd/yyyy";
    case df_MMddyy:
        return "MM/dd/yy";
    case df_ddMMyyyy:
        return "dd/MM/yyyy";
    case df_ddMMyy_GB:
        return "dd/MM/yy";
    case df_ddMMyy_DE:
        return "dd.MM.yy";
    case df_ddMMyy_IT:
        return "dd-MM-yy";
    case df_yyyyMMdd:
        return "yyyy-MM-dd";
    case df_yyMMdd:
        return "yy-MM-dd";
    case df_Customize:
        return localeShortDate;
    }
    return "dd/MM/yyyy";
}

namespace {
void AppendNumber(std::string& out, int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    out += buffer;
}
} // namespace

std::string FormatDateTime(const std::string& picture, const DateTimeParts& t,
                           const std::string& dateSeparator, const std::string& timeSeparator) {
    std::string out;
    bool afterHour = false; // an "m" right after an hour field means minutes
    size_t i = 0;
    const size_t n = picture.size();
    while (i < n) {
        char c = picture[i];
        if (c == '"' || c == '\'') {
            size_t close = picture.find(c, i + 1);
            if (close == std::string::npos) close = n;
            out.append(picture, i + 1, close - i - 1);
            i = close < n ? close + 1 : n;
            continue;
        }
        size_t run = 1;
        while (i + run < n && picture[i + run] == c)
            ++run;
        switch (c) {
        case 'd':
        case 'D':
            AppendNumber(out, t.day, run >= 2 ? 2 : 1);
            afterHour = false;
            break;
        case 'M':
            AppendNumber(out, t.month, run >= 2 ? 2 : 1);
            afterHour = false;
            break;
        case 'm':
            AppendNumber(out, afterHour ? t.minute : t.month, run >= 2 ? 2 : 1);
            afterHour = false;
            break;
        case 'y':
        case 'Y':
            if (run <= 2)
                AppendNumber(out, t.year % 100, 2);
            else
                AppendNumber(out, t.year, 4);
            afterHour = false;
            break;
        case 'H':
        case 'h':
            AppendNumber(out, t.hour, run >= 2 ? 2 : 1);
            afterHour = true;
            break;
        case 's':
        case 'S':
            AppendNumber(out, t.second, run >= 2 ? 2 : 1);
            afterHour = false;
            break;
        case '/':
            for (size_t k = 0; k < run; ++k)
                out += dateSeparator;
            break;
        case ':':
            for (size_t k = 0; k < run; ++k)
                out += timeSeparator;
            break;
        default:
            out.append(run, c);
            break;
        }
        i += run;
    }
    return out;
}

int64_t SecondsOf(const DateTimeParts& t) {
    // Days from the civil date (proleptic Gregorian), then the time of day.
    int64_t y = t.year - (t.month <= 2 ? 1 : 0);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t mp = (t.month + 9) % 12;
    int64_t doy = (153 * mp + 2) / 5 + t.day - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    int64_t days = era * 146097 + doe;
    return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

void TFileListRow::MakeKeys() {
    nameKey = os::AnsiUpperCase(caption);
    if (textsPending) {
        sizeKey = IsFolder() ? 0 : SizeInKB(size);
        return;
    }
    // The size cell as an integer, spaces trimmed; anything else counts as 0.
    const std::string& text = cells[cellSize];
    size_t b = text.find_first_not_of(' ');
    size_t e = text.find_last_not_of(' ');
    sizeKey = 0;
    if (b == std::string::npos) return;
    bool negative = text[b] == '-';
    if (negative) ++b;
    int64_t value = 0;
    for (size_t i = b; i <= e; ++i) {
        if (text[i] < '0' || text[i] > '9') return;
        value = value * 10 + (text[i] - '0');
    }
    sizeKey = negative ? -value : value;
}

namespace {
int Sign(int64_t v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// Byte by byte as unsigned codes (as memcmp compares). A loop of its own: the
// runtime's memcmp is a call into another library per comparison, most of a
// big folder's sort under Wine.
int CompareBytes(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    const auto* x = reinterpret_cast<const unsigned char*>(a.data());
    const auto* y = reinterpret_cast<const unsigned char*>(b.data());
    for (size_t i = 0; i < n; ++i)
        if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
    return Sign(static_cast<int64_t>(a.size()) - static_cast<int64_t>(b.size()));
}

// Ignoring the case of A to Z only.
int CompareAsciiNoCase(const std::string& a, const std::string& b) {
    auto fold = [](char c) { return static_cast<unsigned char>(UpperAsciiChar(c)); };
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = fold(a[i]), y = fold(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return Sign(static_cast<int64_t>(a.size()) - static_cast<int64_t>(b.size()));
}
} // namespace

int CompareRows(const TFileListRow& a, const TFileListRow& b, int sortColumn, bool descending) {
    int c = 0;
    bool folderA = a.IsFolder(), folderB = b.IsFolder();
    if (folderA && !folderB)
        c = -1;
    else if (folderB && !folderA)
        c = 1;
    else {
        switch (sortColumn) {
        case 0:
            c = CompareBytes(a.nameKey, b.nameKey);
            break;
        case 1:
            c = Sign(a.sizeKey - b.sizeKey);
            break;
        case 2:
            c = CompareAsciiNoCase(a.cells[cellType], b.cells[cellType]);
            break;
        case 3:
            c = Sign(a.modified - b.modified);
            break;
        case 4:
            c = CompareAsciiNoCase(a.cells[cellAttributes], b.cells[cellAttributes]);
            break;
        default:
            c = 0;
            break;
        }
    }
    return descending ? -c : c;
}

std::vector<int> SortedOrder(const std::vector<TFileListRow>& rows, int sortColumn, bool descending) {
    // A sort of a big folder spends its time fetching rows from all over
    // memory: the keys sit side by side here, a name's first 16 bytes as two
    // numbers that compare as the bytes do.
    struct Key {
        uint64_t head = 0, tail = 0;
        int64_t number = 0; // name length, size or modified
        int index = 0;
        bool folder = false;
    };
    const bool quick = sortColumn == 0 || sortColumn == 1 || sortColumn == 3;
    std::vector<Key> keys(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const TFileListRow& row = rows[i];
        Key& key = keys[i];
        key.index = static_cast<int>(i);
        key.folder = row.IsFolder();
        if (sortColumn == 0) {
            const std::string& name = row.nameKey;
            for (size_t k = 0; k < 16; ++k) {
                const uint64_t byte = k < name.size() ? static_cast<unsigned char>(name[k]) : 0;
                (k < 8 ? key.head : key.tail) |= byte << (56 - 8 * (k % 8));
            }
            key.number = static_cast<int64_t>(name.size());
        } else if (sortColumn == 1) {
            key.number = row.sizeKey;
        } else if (sortColumn == 3) {
            key.number = row.modified;
        }
    }
    auto compare = [&](const Key& a, const Key& b) {
        if (!quick) return CompareRows(rows[a.index], rows[b.index], sortColumn, descending);
        int c = 0;
        if (a.folder != b.folder)
            c = a.folder ? -1 : 1;
        else if (sortColumn != 0)
            c = Sign(a.number - b.number);
        else if (a.head != b.head)
            c = a.head < b.head ? -1 : 1;
        else if (a.tail != b.tail)
            c = a.tail < b.tail ? -1 : 1;
        else if (a.number != b.number || a.number > 16)
            c = CompareBytes(rows[a.index].nameKey, rows[b.index].nameKey);
        return descending ? -c : c;
    };
    std::stable_sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) { return compare(a, b) < 0; });
    std::vector<int> order(keys.size());
    for (size_t k = 0; k < keys.size(); ++k)
        order[k] = keys[k].index;
    return order;
}

} // namespace velmora::explorer
