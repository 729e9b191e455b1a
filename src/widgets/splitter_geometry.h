// Geometry of the click splitter, kept free of the platform so it can be
// tested on its own: where the grip lies, where the arrows go, which sibling a
// bar resizes, how a mouse point becomes a size within the limits, and the
// collapse/restore state of a grip click.
#pragma once
#include <array>
#include <string_view>
#include <vector>

namespace velmora::widgets {

// The side a bar is aligned to. Left/right bars are vertical and resize
// horizontally; top/bottom bars are horizontal and resize vertically.
enum class SplitSide { Left, Right, Top, Bottom };

inline bool IsVerticalBar(SplitSide side) {
    return side == SplitSide::Left || side == SplitSide::Right;
}
// Left and top bars resize the control before them; right and bottom bars the one after.
inline bool ResizesControlBefore(SplitSide side) {
    return side == SplitSide::Left || side == SplitSide::Top;
}

enum class THandleAlign { haLeft, haCenter, haRight };

// The direction the grip's arrows point: the way the next grip click moves the bar.
enum class ArrowState { Left = 0, Right = 1, Up = 2, Down = 3 };

// The arrows of a bar that is not collapsed.
ArrowState ArrowForSide(SplitSide side);
// Left and right swap, up and down swap.
ArrowState Flipped(ArrowState state);

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
};

// Extent of the grip along the bar, [start, end).
struct Span {
    int start = 0, end = 0;
    bool operator==(const Span&) const = default;
};

// barLength is the bar's height for a vertical bar, its width for a horizontal one.
Span GripSpan(int barLength, int handleSize, THandleAlign align);

// The arrow pictures, row by row: 'N' navy, 'S' silver.
inline constexpr int kArrowNavy = 0x800000;   // 0x00BBGGRR
inline constexpr int kArrowSilver = 0xC0C0C0; // 0x00BBGGRR
const std::vector<std::string_view>& ArrowPicture(ArrowState state);
inline int ArrowWidth(ArrowState state) {
    return static_cast<int>(ArrowPicture(state)[0].size());
}
inline int ArrowHeight(ArrowState state) {
    return static_cast<int>(ArrowPicture(state).size());
}

// Where the two arrows of the grip are drawn, in the bar's coordinates.
std::array<Point, 2> ArrowOrigins(ArrowState state, Span grip);

// Whether a point of the bar lies on its grip (never, for a bar without one).
bool OverGrip(bool handled, SplitSide side, Span grip, int barWidth, int barHeight, Point p);

// ---- Finding the neighbours

// One child of the bar's parent, in the parent's control order.
struct ChildBox {
    Box box;
    bool visible = true;
    bool enabled = true;
};

struct NeighbourProbes {
    Point before, after;
};
// The points just before and just after the bar along its resizing axis.
NeighbourProbes NeighbourProbePoints(SplitSide side, const Box& bar);

// The first visible, enabled child whose box holds the point (left and top
// edges inside, right and bottom outside), or -1. An empty box is widened by
// one pixel so a collapsed control can still be found: towards the left/top
// for a left or top bar, towards the right/bottom otherwise. `skip` is the
// bar's own index.
int ControlAtPoint(const std::vector<ChildBox>& children, Point p, SplitSide side, int skip = -1);

// ---- Dragging

// The largest size a drag may give: what the parent's extent leaves after the
// minimum for the rest and every control aligned along the same axis, the
// resized one not counted.
int LargestSize(int clientExtent, int minSize, int alignedExtentSum, int resizedExtent);

struct DragStep {
    int offset = 0;  // how far the drag bar is drawn from the bar, after the limits
    int newSize = 0; // the size the resized control gets
    bool operator==(const DragStep&) const = default;
};

// The size that a mouse point gives the resized control, kept within
// [minSize, largest], and the drag offset corrected so the drag bar stops at
// the limit.
DragStep SizeFromPoint(SplitSide side, int resizedSize, Point mouseDown, Point p, int minSize, int largest);

// ---- Collapse and restore

class CollapseState {
public:
    explicit CollapseState(SplitSide side = SplitSide::Left) : arrow_(ArrowForSide(side)) {}

    ArrowState Arrow() const { return arrow_; }
    int PreviousSize() const { return previousSize_; }
    int RestoreSize() const { return restoreSize_; }
    bool Collapsed() const { return previousSize_ == 0; }

    // A new alignment turns the arrows to match it.
    void SetSide(SplitSide side) { arrow_ = ArrowForSide(side); }

    // A click on the grip: the size to apply (0 to collapse, the remembered
    // size to restore); the arrows flip.
    int GripClick(int currentSize);

    // Whether applying this size changes anything.
    bool NeedsApply(int newSize) const { return newSize != previousSize_; }
    // Records an applied size; coming out of the collapsed state turns the
    // arrows back for the side.
    void Applied(int newSize, SplitSide side);

private:
    int previousSize_ = -1;
    int restoreSize_ = 0;
    ArrowState arrow_;
};

} // namespace velmora::widgets
