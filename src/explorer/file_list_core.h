// The file list's portable pieces: attribute filters, the texts of its cells
// (sizes, dates through pictures, attribute letters, drive sizes) and the row
// order. No platform headers here: the native build tests these too.
#pragma once
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::explorer {

// ---- File types of a listing

enum TFileAttr : uint8_t { ftReadOnly, ftHidden, ftSystem, ftArchive, ftNormal };

// A set of TFileAttr.
class TFileType {
public:
    TFileType() = default;
    TFileType(std::initializer_list<TFileAttr> members);
    bool Contains(TFileAttr member) const { return (bits_ & (1u << member)) != 0; }
    TFileType& Include(TFileAttr member);
    TFileType& Exclude(TFileAttr member);
    bool operator==(const TFileType& other) const { return bits_ == other.bits_; }
    // The OR of the file attribute bits the members stand for.
    uint32_t AttributeMask() const;

private:
    uint8_t bits_ = 0;
};

// File attribute bits as the file system reports them.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;

// True when an entry with `attributes` belongs to a search with `mask`: folders
// only in a folder search, and read-only, hidden and system entries only when
// the mask asks for them. Archive and normal do not filter.
bool EntryPasses(uint32_t attributes, uint32_t mask);

// The pieces of a mask such as "*.txt;*.doc", split at every ";" and taken as
// they are (spaces included, empty pieces kept).
std::vector<std::string> SplitMask(const std::string& mask);

// ---- Cell texts

// "A", "R", "H", "S" in this order for the bits present.
std::string AttributeLetters(uint32_t attributes);

// Size in KB as the list shows it: 1 to 1023 bytes count as a whole KB.
int64_t SizeInKB(int64_t bytes);
std::string SizeText(int64_t bytes);

// The caption of a folder entry: " .." for the parent entry; with hideFileExt
// the name up to its first "." (empty for ".profile").
std::string EntryCaption(std::string_view name, bool hideFileExt);

// A drive's size in KB as "###,###,### Mb" of KB / 1000 ("0 Mb" below 1 KB).
std::string DriveSizeText(int64_t kilobytes, char thousandSeparator);
// The drive type texts of the drives view, by platform drive type (0 to 6).
std::string DriveTypeText(int driveType);
// The label in a drive's shell display name: the text before its first "(".
std::string DriveLabel(const std::string& displayName);
// " (C:)  " + label.
std::string DriveCaption(char letter, const std::string& label);

// ---- Dates and times

enum TDTFormat {
    df_MMddyyyy,
    df_MMddyy,
    df_ddMMyyyy,
    df_ddMMyy_GB,
    df_ddMMyy_DE,
    df_ddMMyy_IT,
    df_yyyyMMdd,
    df_yyMMdd,
    df_Customize
};

// The date picture a format selects; df_Customize gives the locale's short date.
std::string DateFormatString(TDTFormat format, const std::string& localeShortDate);

struct DateTimeParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Formats a date/time with a picture: d dd M MM yy yyyy H HH m mm (minutes
// right after an hour field, months elsewhere) s ss; "/" and ":" print the
// locale's separators; text in quotes and every other character print as they are.
std::string FormatDateTime(const std::string& picture, const DateTimeParts& time,
                           const std::string& dateSeparator, const std::string& timeSeparator);

// ---- Rows and their order

// Cell positions of a row.
enum TCell { cellSize, cellType, cellModified, cellAttributes, cellPath, cellKind };

struct TFileListRow {
    std::string caption;
    std::array<std::string, 6> cells;
    int imageIndex = -1;
    int64_t size = 0;     // bytes (0 for folders and drives)
    int64_t modified = 0; // the shown modification time, in whole seconds
    std::string nameKey;  // caption upper-cased by the locale's rules
    int64_t sizeKey = 0;  // the integer value of the size cell
    // The image is a stand-in until the shell's answer for this very path
    // comes; it is asked when the row is on screen.
    bool iconPending = false;
    // A folder saved with a web page ("page_files" beside "page.htm" or
    // "page.html"): shown with the web page's picture and drawn in silver.
    bool pageFolder = false;
    // The size and modified cells are written from size and modified when the
    // row is first shown or asked for: most rows of a big folder never are.
    bool textsPending = false;

    // Spelled out: a string comparison is a runtime call, and sorting asks
    // this for every comparison.
    bool IsFolder() const {
        const std::string& kind = cells[cellKind];
        return kind.size() == 3 && kind[0] == 'd' && kind[1] == 'i' && kind[2] == 'r';
    }
    // Fills the keys from the caption and the size cell.
    void MakeKeys();
};

// Sort columns: 0 name, 1 size, 2 type, 3 modified, 4 attributes. Folders come
// first; descending is the exact reverse (folders last).
int CompareRows(const TFileListRow& a, const TFileListRow& b, int sortColumn, bool descending);

// The order a stable sort of `rows` by CompareRows gives, as indices into
// `rows`; quicker for the name, size and modified columns, whose keys it
// gathers into one array first.
std::vector<int> SortedOrder(const std::vector<TFileListRow>& rows, int sortColumn, bool descending);

// A whole number of seconds from a date and time (for the modified key).
int64_t SecondsOf(const DateTimeParts& time);

} // namespace velmora::explorer
