// Block layout: the indentation manager that tracks list levels and floats,
// where pictures come from, and what the hit tests answer.
#pragma once
#include "html/document.h"

#include <string>
#include <vector>

namespace velmora::html {

// Free room left by floats and list levels in one cell, while it is laid out.
// Coordinates are document coordinates: LfEdge is the cell's left content
// edge, RtEdge = LfEdge + Width.
class IndentManager {
public:
    static constexpr int32_t kOpen = 9999999; // bottom of a list level still open
    struct IndentRec {
        int32_t X;      // left: x relative to LfEdge; right: negative offset from RtEdge
        int32_t YT, YB; // top, bottom (exclusive)
        int32_t Level;  // list level, 0 for a float
    };

    void Reset(int32_t left, int32_t width);
    int32_t LeftIndent(int32_t y); // absolute left boundary at y
    int32_t RightSide(int32_t y);  // absolute right boundary at y
    int32_t AvailableWidth(int32_t y) { return RightSide(y) - LeftIndent(y); }
    // The lowest bottom of all floats (0 when none).
    int32_t FloatBottom() const { return floatBottom_; }
    // One more than the lowest bottom of the left (right) floats; 0 when none.
    int32_t ClearLeft() const { return leftFloatBottom_ ? leftFloatBottom_ + 1 : 0; }
    int32_t ClearRight() const { return rightFloatBottom_ ? rightFloatBottom_ + 1 : 0; }
    // Opens or closes list levels at y; the stray-item variant uses 15 pixels.
    void SetLevel(int32_t level, int32_t y, bool stray = false);
    // Places a float of the given box at y; returns its absolute x.
    int32_t PlaceLeft(int32_t y, int32_t width, int32_t height);
    int32_t PlaceRight(int32_t y, int32_t width, int32_t height);
    // The lowest bottom of the left floats to the right of the current list
    // level (a list item clears what was placed inside it); 0 when none.
    int32_t ListItemBottom() const;
    // Forgets records that end at or above y (layout only goes down).
    void DropAbove(int32_t y);

    int32_t Width = 0;
    int32_t ClipWidth = 6000;
    int32_t LfEdge = 0, RtEdge = 0;
    int32_t CurrentLevel = 0;

private:
    void Add(std::vector<IndentRec>& list, const IndentRec& r);
    std::vector<IndentRec> left_, right_;
    int32_t floatBottom_ = 0, leftFloatBottom_ = 0, rightFloatBottom_ = 0;
    // The last query, kept while nothing changes it (many floats at one y).
    int32_t cachedY_ = INT32_MIN, cachedLeft_ = 0, cachedRight_ = 0;
    int32_t prunedAt_ = INT32_MIN;
    size_t pruneLimit_ = 64;
};

// Where image objects get their pictures: the picture cache in the program,
// a table of sizes in tests.
class TPictureSource {
public:
    virtual ~TPictureSource() = default;
    // Sets image.Picture and returns pkLoaded, or returns pkBroken or
    // pkPending (the picture is still coming).
    virtual TImageObj::PictureKind Fetch(TImageObj& image) = 0;
};

// The size of the substitute pictures (broken and pending).
constexpr int32_t kSubstituteSize = 16;

// What is under a point: a link, or a form control (image buttons).
struct THotSpot {
    std::string Url;
    std::string Target;
    TFormControlObj* Control = nullptr;
    int32_t ControlX = 0, ControlY = 0; // the click point inside an image button
};

struct TCaretInfo {
    int32_t X = 0, Y = 0, Height = 0;
    bool InText = true; // false beside the text (the viewer shows no I-beam there)
};

// Sets every form control's size from the fonts (the viewer may set its own
// afterwards).
void SizeFormControls(TSectionList& document);

} // namespace velmora::html
