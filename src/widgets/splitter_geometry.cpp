#include "widgets/splitter_geometry.h"

namespace velmora::widgets {

ArrowState ArrowForSide(SplitSide side) {
    switch (side) {
    case SplitSide::Left:
        return ArrowState::Left;
    case SplitSide::Right:
        return ArrowState::Right;
    case SplitSide::Top:
        return ArrowState::Up;
    case SplitSide::Bottom:
        return ArrowState::Down;
    }
    return ArrowState::Left;
}

ArrowState Flipped(ArrowState state) {
    switch (state) {
    case ArrowState::Left:
        return ArrowState::Right;
    case ArrowState::Right:
        return ArrowState::Left;
    case ArrowState::Up:
        return ArrowState::Down;
    case ArrowState::Down:
        return ArrowState::Up;
    }
    return state;
}

Span GripSpan(int barLength, int handleSize, THandleAlign align) {
    switch (align) {
    case THandleAlign::haLeft:
        return {2, handleSize + 2};
    case THandleAlign::haCenter: {
        int start = barLength / 2 - handleSize / 2;
        return {start, start + handleSize};
    }
    case THandleAlign::haRight:
        return {barLength - handleSize - 2, barLength - 2};
    }
    return {};
}

const std::vector<std::string_view>& ArrowPicture(ArrowState state) {
    static const std::vector<std::string_view> left{"SSNS", "SNNS", "NNNS", "SNNS", "SSNS"};
    static const std::vector<std::string_view> right{"SNSS", "SNNS", "SNNN", "SNNS", "SNSS"};
    static const std::vector<std::string_view> up{"SSNSS", "SNNNS", "NNNNN", "SSSSS"};
    static const std::vector<std::string_view> down{"SSSSS", "NNNNN", "SNNNS", "SSNSS"};
    switch (state) {
    case ArrowState::Left:
        return left;
    case ArrowState::Right:
        return right;
    case ArrowState::Up:
        return up;
    case ArrowState::Down:
        return down;
    }
    return left;
}

std::array<Point, 2> ArrowOrigins(ArrowState state, Span grip) {
    if (state == ArrowState::Left || state == ArrowState::Right) {
        return {Point{2, grip.start + 4}, Point{2, grip.end - ArrowHeight(state) - 4}};
    }
    return {Point{grip.start + 4, 2}, Point{grip.end - ArrowWidth(state) - 4, 2}};
}

bool OverGrip(bool handled, SplitSide side, Span grip, int barWidth, int barHeight, Point p) {
    if (!handled) return false;
    if (IsVerticalBar(side)) return p.x >= 0 && p.x < barWidth && p.y >= grip.start && p.y < grip.end;
    return p.x >= grip.start && p.x < grip.end && p.y >= 0 && p.y < barHeight;
}

NeighbourProbes NeighbourProbePoints(SplitSide side, const Box& bar) {
    if (IsVerticalBar(side)) return {Point{bar.left - 1, bar.top}, Point{bar.Right(), bar.top}};
    return {Point{bar.left, bar.top - 1}, Point{bar.left, bar.Bottom()}};
}

int ControlAtPoint(const std::vector<ChildBox>& children, Point p, SplitSide side, int skip) {
    bool towardsStart = side == SplitSide::Left || side == SplitSide::Top;
    for (int i = 0; i < static_cast<int>(children.size()); ++i) {
        const ChildBox& c = children[i];
        if (i == skip || !c.visible || !c.enabled) continue;
        Box b = c.box;
        if (b.width == 0) {
            if (towardsStart) --b.left;
            b.width = 1;
        }
        if (b.height == 0) {
            if (towardsStart) --b.top;
            b.height = 1;
        }
        if (p.x >= b.left && p.x < b.Right() && p.y >= b.top && p.y < b.Bottom()) return i;
    }
    return -1;
}

int LargestSize(int clientExtent, int minSize, int alignedExtentSum, int resizedExtent) {
    return clientExtent - minSize - alignedExtentSum + resizedExtent;
}

DragStep SizeFromPoint(SplitSide side, int resizedSize, Point mouseDown, Point p, int minSize, int largest) {
    DragStep step;
    step.offset = IsVerticalBar(side) ? p.x - mouseDown.x : p.y - mouseDown.y;
    bool growsWithOffset = ResizesControlBefore(side);
    int proposed = growsWithOffset ? resizedSize + step.offset : resizedSize - step.offset;
    step.newSize = proposed;
    if (proposed < minSize) {
        step.newSize = minSize;
    } else if (proposed > largest) {
        step.newSize = largest;
    }
    if (step.newSize != proposed)
        step.offset += growsWithOffset ? step.newSize - proposed : proposed - step.newSize;
    return step;
}

int CollapseState::GripClick(int currentSize) {
    int newSize;
    if (previousSize_ == -1) {
        newSize = 0;
        restoreSize_ = currentSize;
    } else if (previousSize_ > 0) {
        newSize = 0;
        restoreSize_ = previousSize_;
    } else {
        newSize = restoreSize_;
    }
    arrow_ = Flipped(arrow_);
    return newSize;
}

void CollapseState::Applied(int newSize, SplitSide side) {
    if (previousSize_ == 0) arrow_ = ArrowForSide(side);
    previousSize_ = newSize;
}

} // namespace velmora::widgets
