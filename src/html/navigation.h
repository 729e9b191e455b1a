// What the viewer does with links, apart from windows: turning a reference in
// a page into a file name, deciding what a click on a link does, the history
// of shown documents with their scroll positions, the visited list, positions
// that survive a re-layout, and the META refresh tag.
#pragma once
#include "html/document.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velmora::html {

// What a document is: an HTML file or a picture shown alone.
enum class TDocumentKind : uint8_t { dkHtml = 0, dkPicture = 2 };

// Where link resolution starts from.
struct TLinkContext {
    std::string ServerRoot;  // put in front of root-relative references
    std::string BaseUrl;     // BASE HREF of the page; "DosPath" leaves names as written
    std::string CurrentFile; // the page's own full path
    // The system's full-path expansion (relative names against the current
    // folder, a leading "\" against the current drive, "." and ".." removed).
    std::function<std::string(const std::string&)> FullPath;
};

// A reference written in a page (HREF, SRC, BACKGROUND) as a local file name.
std::string ExpandLinkName(const std::string& reference, const TLinkContext& context);

// "." and ".." steps removed from an absolute path ("C:\a\..\b" -> "C:\b");
// other names are returned as they are. The portable full-path expansion.
std::string CollapsePath(const std::string& path);

// What a click on a link asks for.
struct TLinkAction {
    enum Kind : uint8_t {
        laNothing, // unknown kind of file: left alone
        laAnchor,  // "#name" in this page
        laHtml,    // another page (File), maybe with an anchor ("#name")
        laPicture, // a picture file shown alone
    };
    Kind Action = laNothing;
    std::string File;   // resolved
    std::string Anchor; // with its "#", empty when none
};
TLinkAction ResolveLinkClick(const std::string& href, const TLinkContext& context);

// What a link hands to the shell: a web or mail address (after trimming, it
// starts with "http://", "https://" or "mailto:", in any letter case, and
// goes on), made one URL that nothing can split into a program and its
// arguments: spaces, quotes, backslashes, control characters and letters
// beyond ASCII are percent-encoded (letters as UTF-8). Empty for any other
// link, which the viewer follows or ignores.
std::string ShellLinkUrl(const std::string& href);

// The vertical scroll position as a place in the document: the top-level
// section at the top of the view and the distance into it. It survives a
// re-layout at another width.
struct TPositionCode {
    int32_t Section = -1; // -1: past all sections
    int32_t Offset = 0;
    bool operator==(const TPositionCode&) const = default;
};
TPositionCode PositionCodeAt(const TCell& document, int32_t y);
// The y the code stands for now (0 for a section that is not there).
int32_t PositionFromCode(const TCell& document, TPositionCode code);

struct THistoryEntry {
    std::string File;
    TDocumentKind Kind = TDocumentKind::dkHtml;
    TPositionCode Position;
    bool operator==(const THistoryEntry&) const = default;
};

// The newest entry first. The owner may empty it (Clear) at any time.
class THistory {
public:
    int Count() const { return static_cast<int>(entries_.size()); }
    const THistoryEntry& Entry(int i) const { return entries_[static_cast<size_t>(i)]; }
    THistoryEntry& Entry(int i) { return entries_[static_cast<size_t>(i)]; }
    const std::string& operator[](int i) const { return Entry(i).File; }
    int Index() const { return index_; }
    void SetIndex(int i) { index_ = i; }
    int MaxCount() const { return maxCount_; }
    // True when a non-empty history was emptied (the owner tells its listeners).
    bool SetMaxCount(int n);
    bool Clear();
    // A move from `previous` to `current`: the entry shown is brought up to
    // date, the entries ahead of it go, and `current` becomes entry 0. True
    // when anything was recorded.
    bool Record(const THistoryEntry& previous, const THistoryEntry& current);

private:
    std::vector<THistoryEntry> entries_;
    int index_ = 0;
    int maxCount_ = 0;
};

// Link targets followed, most recent first; comparisons ignore case.
class TVisitedList {
public:
    enum TAddResult { arNothing, arMoved, arInserted };
    int Count() const { return static_cast<int>(names_.size()); }
    const std::string& operator[](int i) const { return names_[static_cast<size_t>(i)]; }
    bool Contains(const std::string& name) const;
    // The caller marks the page's links to a new name before it calls this.
    TAddResult Add(const std::string& name);
    int MaxCount() const { return maxCount_; }
    // Negative counts as 0, which empties the list; true when it changed.
    bool SetMaxCount(int n);

private:
    std::vector<std::string> names_;
    int maxCount_ = 50;
};

bool SameTextIgnoringCase(const std::string& a, const std::string& b);

// A META refresh's CONTENT: false when the tag is to be ignored (not a
// number or negative); a delay of 0 becomes 1.
bool ParseMetaRefresh(const std::string& content, int32_t& delay, std::string& url);

// Characters a double click takes into a word.
inline bool IsWordChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 192;
}

// The document positions [begin, end) of the word at pos; false when the
// character there is not part of a word.
bool WordAt(TCell& document, int32_t pos, int32_t& begin, int32_t& end);

} // namespace velmora::html
