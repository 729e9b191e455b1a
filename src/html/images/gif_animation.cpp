#include "html/images/gif_animation.h"

#include <algorithm>
#include <cstring>

namespace velmora::images {

namespace {

const std::shared_ptr<const GifFile>& NoFile() {
    static const auto empty = std::make_shared<const GifFile>();
    return empty;
}

} // namespace

GifAnimation::GifAnimation() : gif_(NoFile()) {}

void GifAnimation::Reset() {
    composite_ = PixelImage();
    compositeMask_.clear();
    savedImage_.clear();
    savedMask_.clear();
    frameIndex_ = 1;
    loopsDone_ = 1;
    firstTick_ = true;
    needsBackground_ = false;
    ++generation_;
}

bool GifAnimation::Start(GifFile gif) {
    return Start(std::make_shared<const GifFile>(std::move(gif)));
}

bool GifAnimation::Start(std::shared_ptr<const GifFile> gif) {
    Reset();
    gif_ = gif ? std::move(gif) : NoFile();
    if (gif_->frames.empty() || !composite_.Allocate(gif_->width, gif_->height, 24)) {
        gif_ = NoFile();
        return false;
    }
    savedImage_.assign(gif_->frames.size(), {});
    savedMask_.assign(gif_->frames.size(), {});
    if (gif_->hasTransparency) compositeMask_.assign(size_t(gif_->width) * size_t(gif_->height), 1);
    DrawCurrentFrame();
    return true;
}

void GifAnimation::Hold(GifFile scanned) {
    Reset();
    gif_ = std::make_shared<const GifFile>(std::move(scanned));
}

void GifAnimation::DrawCurrentFrame() {
    if (gif_->frames.empty() || composite_.Empty()) return;
    ++generation_;
    const GifFrame& f = gif_->frames[size_t(frameIndex_ - 1)];
    if (f.indices.size() < size_t(f.width) * size_t(f.height)) return; // headers only
    needsBackground_ = gif_->frames[0].disposal <= 1 && frameIndex_ == 1;
    const int32_t w = gif_->width;
    if (f.disposal == 3) {
        // Keep what lies under the frame for its disposal.
        auto& image = savedImage_[size_t(frameIndex_ - 1)];
        auto& mask = savedMask_[size_t(frameIndex_ - 1)];
        image.resize(size_t(f.width) * size_t(f.height) * 3);
        for (int32_t y = 0; y < f.height; ++y)
            std::memcpy(image.data() + size_t(y) * f.width * 3,
                        composite_.Row(f.top + y) + size_t(f.left) * 3, size_t(f.width) * 3);
        if (!compositeMask_.empty()) {
            mask.resize(size_t(f.width) * size_t(f.height));
            for (int32_t y = 0; y < f.height; ++y)
                std::memcpy(mask.data() + size_t(y) * f.width,
                            compositeMask_.data() + size_t(f.top + y) * w + f.left, size_t(f.width));
        }
    }
    // The colour of every index, in the composite's byte order.
    uint8_t bgr[256][3];
    for (int i = 0; i < 256; ++i) {
        bgr[i][0] = f.colors[i].b;
        bgr[i][1] = f.colors[i].g;
        bgr[i][2] = f.colors[i].r;
    }
    for (int32_t y = 0; y < f.height; ++y) {
        const uint8_t* in = f.indices.data() + size_t(y) * f.width;
        uint8_t* out = composite_.Row(f.top + y) + size_t(f.left) * 3;
        if (f.transparent) {
            const uint8_t* fm = f.mask.data() + size_t(y) * f.width;
            uint8_t* cm = compositeMask_.data() + size_t(f.top + y) * w + f.left;
            for (int32_t x = 0; x < f.width; ++x) {
                if (fm[x]) continue;
                std::memcpy(out + 3 * x, bgr[in[x]], 3);
                cm[x] = 0;
            }
        } else {
            for (int32_t x = 0; x < f.width; ++x)
                std::memcpy(out + 3 * x, bgr[in[x]], 3);
            if (!compositeMask_.empty())
                std::memset(compositeMask_.data() + size_t(f.top + y) * w + f.left, 0, size_t(f.width));
        }
    }
}

void GifAnimation::DisposeCurrentFrame() {
    if (gif_->frames.empty() || composite_.Empty()) return;
    ++generation_;
    const GifFrame& f = gif_->frames[size_t(frameIndex_ - 1)];
    const int32_t w = gif_->width;
    if (f.disposal == 2) {
        for (int32_t y = 0; y < f.height; ++y) {
            std::memset(composite_.Row(f.top + y) + size_t(f.left) * 3, 0, size_t(f.width) * 3);
            if (!compositeMask_.empty())
                std::memset(compositeMask_.data() + size_t(f.top + y) * w + f.left, 1, size_t(f.width));
        }
    } else if (f.disposal == 3) {
        const auto& image = savedImage_[size_t(frameIndex_ - 1)];
        const auto& mask = savedMask_[size_t(frameIndex_ - 1)];
        if (image.empty()) return;
        for (int32_t y = 0; y < f.height; ++y) {
            std::memcpy(composite_.Row(f.top + y) + size_t(f.left) * 3,
                        image.data() + size_t(y) * f.width * 3, size_t(f.width) * 3);
            if (!compositeMask_.empty() && !mask.empty())
                std::memcpy(compositeMask_.data() + size_t(f.top + y) * w + f.left,
                            mask.data() + size_t(y) * f.width, size_t(f.width));
        }
    }
}

void GifAnimation::SetFrameIndex(int n) {
    if (gif_->frames.empty() || n == frameIndex_) return;
    DisposeCurrentFrame();
    int count = int(gif_->frames.size());
    frameIndex_ = n > count ? 1 : n <= 0 ? count : n;
    DrawCurrentFrame();
}

void GifAnimation::ArmDelay() {
    if (gif_->frames.empty()) return;
    int32_t d = gif_->frames[size_t(frameIndex_ - 1)].delay;
    // Rounded to the nearest millisecond; a delay of 0 runs at the timer's pace.
    delay_ = std::max<int32_t>(1, (d * 100 + SpeedPercent() / 2) / SpeedPercent());
}

void GifAnimation::SetAnimating(bool on, uint32_t now) {
    if (on == animating_) return;
    animating_ = on;
    loopsDone_ = 1;
    if (on && gif_->frames.size() > 1) {
        ArmDelay();
        lastStep_ = now;
    }
}

void GifAnimation::Restart(uint32_t now) {
    if (gif_->frames.empty() || composite_.Empty()) return; // nothing drawn yet (headers only)
    const bool wasAnimating = animating_;
    animating_ = false;
    Start(std::shared_ptr<const GifFile>(gif_));
    SetAnimating(wasAnimating, now);
}

bool GifAnimation::Step(uint32_t now) {
    if (!animating_ || gif_->frames.empty()) return false;
    if (uint32_t(now - lastStep_) < uint32_t(delay_)) return false;
    lastStep_ = now;
    int count = int(gif_->frames.size());
    if (gif_->loopCount > 0 && frameIndex_ == count) {
        if (loopsDone_ >= gif_->loopCount) {
            animating_ = false; // the last frame stays shown
            return false;
        }
        ++loopsDone_;
    }
    bool changed = false;
    if (firstTick_) {
        firstTick_ = false;
    } else {
        DisposeCurrentFrame();
        frameIndex_ = frameIndex_ >= count ? 1 : frameIndex_ + 1;
        DrawCurrentFrame();
        changed = true;
    }
    ArmDelay();
    return changed;
}

} // namespace velmora::images
