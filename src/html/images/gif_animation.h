// Composing the frames of a GIF with their disposal methods, and the animation
// clock. Portable: the composite is a 24-bit pixel buffer plus a byte mask;
// the Win32 picture class draws it.
#pragma once
#include <cstdint>
#include <memory>

#include "html/images/gif_decoder.h"

namespace velmora::images {

class GifAnimation {
public:
    GifAnimation();
    // Takes a parsed (not scan-only) GIF; the composite starts black (and
    // transparent everywhere when any frame is transparent) with frame 1 drawn.
    bool Start(GifFile gif);
    // The same on decoded frames that other animations use too: each keeps its
    // own composite and place, the frames are held once.
    bool Start(std::shared_ptr<const GifFile> gif);
    // Holds a scanned file (headers only): nothing is composed.
    void Hold(GifFile scanned);
    const GifFile& File() const { return *gif_; }
    const std::shared_ptr<const GifFile>& SharedFile() const { return gif_; }
    bool Empty() const { return gif_->frames.empty(); }
    // Changes whenever the composite (or its mask) changes: those who keep
    // something made from it know when to make it again.
    uint32_t Generation() const { return generation_; }

    const PixelImage& Composite() const { return composite_; }
    // One byte per composite pixel, 1 where transparent; empty without transparency.
    const std::vector<uint8_t>& CompositeMask() const { return compositeMask_; }

    // 1-based, like the frame numbers users see.
    int FrameIndex() const { return frameIndex_; }
    void SetFrameIndex(int n);
    int32_t LoopsDone() const { return loopsDone_; }
    bool Animating() const { return animating_; }
    void SetAnimating(bool on, uint32_t now);
    // Back to frame 1 as when it started (composite, loops and delay), still
    // running when it ran: a new layout shows the animation from its start.
    void Restart(uint32_t now);
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
    void Reset();
    std::shared_ptr<const GifFile> gif_;
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
    uint32_t generation_ = 0;
};

} // namespace velmora::images
