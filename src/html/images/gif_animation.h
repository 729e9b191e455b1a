// Composing the frames of a GIF with their disposal methods, and the animation
// clock. Portable: the composite is a 24-bit pixel buffer plus a byte mask;
// the Win32 picture class draws it.
#pragma once
#include <cstdint>

#include "html/images/gif_decoder.h"

namespace velmora::images {

class GifAnimation {
public:
    // Takes a parsed (not scan-only) GIF; the composite starts black (and
    // transparent everywhere when any frame is transparent) with frame 1 drawn.
    bool Start(GifFile gif);
    const GifFile& File() const { return gif_; }
    GifFile& MutableFile() { return gif_; }
    bool Empty() const { return gif_.frames.empty(); }

    const PixelImage& Composite() const { return composite_; }
    // One byte per composite pixel, 1 where transparent; empty without transparency.
    const std::vector<uint8_t>& CompositeMask() const { return compositeMask_; }

    // 1-based, like the frame numbers users see.
    int FrameIndex() const { return frameIndex_; }
    void SetFrameIndex(int n);
    int32_t LoopsDone() const { return loopsDone_; }
    bool Animating() const { return animating_; }
    void SetAnimating(bool on, uint32_t now);
    int32_t CurrentDelay() const { return delay_; }
    int SpeedPercent() const { return 100; }
    // Set after a frame 1 is drawn while frame 1 leaves its pixels: the owner's
    // background buffer must be refilled.
    bool NeedsBackground() const { return needsBackground_; }
    void ClearNeedsBackground() { needsBackground_ = false; }

    // One timer tick at `now` (milliseconds); true when the frame changed.
    bool Step(uint32_t now);

    // Frame drawing into the composite and its disposal (public for tests).
    void DrawCurrentFrame();
    void DisposeCurrentFrame();

private:
    void ArmDelay();
    GifFile gif_;
    PixelImage composite_;
    std::vector<uint8_t> compositeMask_;
    std::vector<std::vector<uint8_t>> savedImage_, savedMask_;
    int frameIndex_ = 1;
    int32_t loopsDone_ = 1;
    bool animating_ = false;
    bool firstTick_ = true;
    bool needsBackground_ = false;
    uint32_t lastStep_ = 0;
    int32_t delay_ = 1;
};

} // namespace velmora::images
