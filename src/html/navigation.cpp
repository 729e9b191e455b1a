#include "html/navigation.h"

#include "base/ascii_text.h"
#include "base/file_name.h"
#include "base/os.h"
#include "base/text_encoding.h"
#include "html/text_util.h"

#include <algorithm>
#include <cstring>

namespace velmora::html {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%hh" escapes, left to right. A decoded "%" is not decoded again (that
// would turn "%2541" into "A").
std::string DecodePercent(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    for (; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        if (i == 0 || s.size() - i < 3) break;
        const int hi = HexValue(s[i + 1]), lo = HexValue(s[i + 2]);
        if (hi < 0 || lo < 0) break;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    out.append(s, std::min(i, s.size()), std::string::npos);
    return out;
}

size_t FindIgnoringCase(const std::string& s, const std::string& what) {
    const std::string upper = UpperAscii(s), target = UpperAscii(what);
    return upper.find(target);
}

// file: URLs and forward slashes as a Windows name.
std::string SlashesToWindows(std::string s) {
    if (s.find('/') == std::string::npos) return s;
    size_t at = FindIgnoringCase(s, "file:///");
    if (at != std::string::npos)
        s.erase(at, 8);
    else if ((at = FindIgnoringCase(s, "file://")) != std::string::npos)
        s.erase(at, 7);
    for (char& c : s) {
        if (c == '|') c = ':';
        if (c == '/') c = '\\';
    }
    return s;
}

std::string Expand(const TLinkContext& context, const std::string& name) {
    return context.FullPath ? context.FullPath(name) : CollapsePath(name);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

std::string CollapsePath(const std::string& path) {
    // Only absolute names: "X:\..." and "\\server\share\...".
    size_t rootEnd;
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\')
        rootEnd = 3;
    else if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        rootEnd = path.find('\\', 2);
        if (rootEnd == std::string::npos) return path;
        rootEnd = path.find('\\', rootEnd + 1);
        if (rootEnd == std::string::npos) return path;
        ++rootEnd;
    } else
        return path;
    std::vector<std::string> parts;
    size_t i = rootEnd;
    while (i <= path.size()) {
        size_t next = path.find('\\', i);
        if (next == std::string::npos) next = path.size();
        std::string part = path.substr(i, next - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".")
            parts.push_back(part);
        i = next + 1;
    }
    std::string out = path.substr(0, rootEnd);
    for (size_t k = 0; k < parts.size(); ++k) {
        if (k) out += '\\';
        out += parts[k];
    }
    if (!path.empty() && path.back() == '\\' && !parts.empty()) out += '\\';
    return out;
}

std::string ExpandLinkName(const std::string& reference, const TLinkContext& context) {
    std::string name = SlashesToWindows(DecodePercent(TrimCopy(reference)));
    if (!name.empty() && name[0] == '\\' && !(name.size() > 1 && name[1] == '\\'))
        name = context.ServerRoot + name;
    if (!name.empty() && name[0] == '\\') return Expand(context, name);
    const bool drivePath = name.size() > 1 && name[1] == ':';
    if (drivePath || SameTextIgnoringCase(context.BaseUrl, "DosPath")) return name;
    if (!context.BaseUrl.empty()) {
        std::string base = SlashesToWindows(DecodePercent(TrimCopy(context.BaseUrl)));
        // A base naming a page stands for the page's folder.
        if (!base.empty() && base.back() != '\\') base = FolderOf(base);
        return Expand(context, base + name);
    }
    return Expand(context, FolderOf(context.CurrentFile) + name);
}

namespace {

void AppendPercent(std::string& out, unsigned char byte) {
    static const char hex[] = "0123456789ABCDEF";
    out += '%';
    out += hex[byte >> 4];
    out += hex[byte & 0xF];
}

} // namespace

std::string ShellLinkUrl(const std::string& href) {
    const std::string url = TrimCopy(href);
    const std::string upper = UpperAscii(url.substr(0, 8));
    size_t scheme = 0;
    for (const char* prefix : {"HTTP://", "HTTPS://", "MAILTO:"}) {
        const size_t n = std::char_traits<char>::length(prefix);
        if (upper.compare(0, n, prefix) == 0) scheme = n;
    }
    if (scheme == 0 || url.size() == scheme) return {};
    std::string out;
    out.reserve(url.size() + 16);
    for (char ch : url) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 0x80) {
            const uint32_t u = Cp1254ToUnicode(c);
            if (u < 0x800) {
                AppendPercent(out, static_cast<unsigned char>(0xC0 | (u >> 6)));
            } else {
                AppendPercent(out, static_cast<unsigned char>(0xE0 | (u >> 12)));
                AppendPercent(out, static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F)));
            }
            AppendPercent(out, static_cast<unsigned char>(0x80 | (u & 0x3F)));
        } else if (c <= ' ' || c == 0x7F || std::strchr("\"<>\\^`{|}", ch)) {
            AppendPercent(out, c);
        } else {
            out += ch;
        }
    }
    return out;
}

TLinkAction ResolveLinkClick(const std::string& href, const TLinkContext& context) {
    TLinkAction action;
    if (!href.empty() && href[0] == '#') {
        action.Action = TLinkAction::laAnchor;
        action.Anchor = href;
        return action;
    }
    const size_t hash = href.find('#');
    const std::string filePart = href.substr(0, hash);
    if (hash != std::string::npos) action.Anchor = href.substr(hash);
    action.File = ExpandLinkName(filePart, context);
    // Up to four letters after the dot count: ".htmls" is a page too.
    const std::string ext = UpperAscii(ExtensionOf(action.File).substr(0, 5));
    if (ext == ".HTM" || ext == ".HTML")
        action.Action = TLinkAction::laHtml;
    else if (ext == ".BMP" || ext == ".GIF" || ext == ".JPG" || ext == ".JPEG" || ext == ".PNG") {
        action.Action = TLinkAction::laPicture;
        action.Anchor.clear();
    }
    return action;
}

// ---- positions ----

TPositionCode PositionCodeAt(const TCell& document, int32_t y) {
    const auto& sections = document.Sections;
    auto it =
        std::partition_point(sections.begin(), sections.end(), [y](const std::unique_ptr<TSectionBase>& s) {
            return s->YValue + s->SectionHeight <= y;
        });
    if (it == sections.end()) return {};
    // Above the first section (the top margin) the distance is negative.
    return {static_cast<int32_t>(it - sections.begin()), y - (*it)->YValue};
}

int32_t PositionFromCode(const TCell& document, TPositionCode code) {
    if (code.Section < 0 || code.Section >= static_cast<int32_t>(document.Sections.size())) return 0;
    return document.Sections[static_cast<size_t>(code.Section)]->YValue + code.Offset;
}

// ---- history ----

bool THistory::SetMaxCount(int n) {
    if (n < 0 || n == maxCount_) return false;
    bool cleared = false;
    if (n < maxCount_) cleared = Clear();
    maxCount_ = n;
    return cleared;
}

bool THistory::Clear() {
    const bool had = !entries_.empty();
    entries_.clear();
    index_ = 0;
    return had;
}

bool THistory::Record(const THistoryEntry& previous, const THistoryEntry& current) {
    if (maxCount_ < 1 || current.File.empty() || previous == current) return false;
    if (!entries_.empty()) {
        index_ = std::clamp(index_, 0, Count() - 1);
        entries_[static_cast<size_t>(index_)] = previous;
        entries_.erase(entries_.begin(), entries_.begin() + index_);
    }
    index_ = 0;
    entries_.insert(entries_.begin(), current);
    if (Count() > maxCount_) entries_.erase(entries_.begin() + maxCount_);
    return true;
}

// ---- visited ----

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (os::UpperAnsi(a[i]) != os::UpperAnsi(b[i])) return false;
    return true;
}

bool TVisitedList::Contains(const std::string& name) const {
    return std::any_of(names_.begin(), names_.end(),
                       [&](const std::string& n) { return SameTextIgnoringCase(n, name); });
}

TVisitedList::TAddResult TVisitedList::Add(const std::string& name) {
    if (maxCount_ == 0 || (!names_.empty() && SameTextIgnoringCase(names_[0], name))) return arNothing;
    auto it = std::find_if(names_.begin(), names_.end(),
                           [&](const std::string& n) { return SameTextIgnoringCase(n, name); });
    TAddResult result = arInserted;
    if (it != names_.end()) {
        names_.erase(it);
        result = arMoved;
    }
    names_.insert(names_.begin(), name);
    if (Count() > maxCount_) names_.resize(static_cast<size_t>(maxCount_));
    return result;
}

bool TVisitedList::SetMaxCount(int n) {
    n = std::max(0, n);
    if (n == maxCount_) return false;
    maxCount_ = n;
    if (Count() > n) names_.resize(static_cast<size_t>(n));
    return true;
}

// ---- META refresh ----

bool ParseMetaRefresh(const std::string& content, int32_t& delay, std::string& url) {
    const size_t semicolon = content.find(';');
    const std::string number = TrimCopy(content.substr(0, semicolon));
    delay = -1;
    if (!number.empty() && number.size() <= 9) {
        size_t i = number[0] == '+' || number[0] == '-' ? 1 : 0;
        bool digits = i < number.size();
        for (size_t k = i; k < number.size(); ++k)
            if (number[k] < '0' || number[k] > '9') digits = false;
        if (digits) delay = std::stoi(number);
    }
    if (delay < 0) return false;
    if (delay == 0) delay = 1;
    const size_t at = FindIgnoringCase(content, "url=");
    url = at == std::string::npos ? std::string() : content.substr(at + 4);
    return true;
}

// ---- words ----

bool WordAt(TCell& document, int32_t pos, int32_t& begin, int32_t& end) {
    char c = 0;
    TSectionBase* where = nullptr;
    if (!document.CharAt(pos, c, where) || !IsWordChar(c)) return false;
    auto* section = dynamic_cast<TSection*>(where);
    if (!section) return false;
    const std::string& text = section->Buff;
    const int32_t n = std::min<int32_t>(section->Len, static_cast<int32_t>(text.size()));
    int32_t b = pos - section->StartCurs, e = b;
    while (b > 0 && IsWordChar(text[static_cast<size_t>(b - 1)]))
        --b;
    while (e < n && IsWordChar(text[static_cast<size_t>(e)]))
        ++e;
    begin = section->StartCurs + b;
    end = section->StartCurs + e;
    return true;
}

} // namespace velmora::html
