// GIF pictures on the display: TGIFImage keeps the decoded frames and their
// composite, draws it over the document's background and steps the animation.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "html/images/bitmap.h"
#include "html/images/gif_animation.h"
#include "html/images/memory_stream.h"

namespace velmora::images {

// Fills the background buffer (w x h) with what lies under the picture: the
// cell's or document's colour, or the document's tiled background image.
using BackgroundFill = std::function<void(HDC dc, int w, int h)>;

// One frame: the decoded frame plus its bitmaps, made on request.
class TgfFrame {
public:
    explicit TgfFrame(const GifFrame& frame) : frame_(frame) {}
    const GifFrame& Frame() const { return frame_; }
    int32_t Left() const { return frame_.left; }
    int32_t Top() const { return frame_.top; }
    int32_t Width() const { return frame_.width; }
    int32_t Height() const { return frame_.height; }
    int Disposal() const { return frame_.disposal; }
    int32_t Delay() const { return frame_.delay; }
    bool Transparent() const { return frame_.transparent; }
    const std::string& Comment() const { return frame_.comment; }

private:
    const GifFrame& frame_;
};

class TGIFImage : public TGraphic {
public:
    TGIFImage();
    // A copy animates on its own: same frames, fresh composite, frame 1 shown.
    TGIFImage(const TGIFImage& other);
    TGIFImage& operator=(const TGIFImage&) = delete;

    // Parses the whole data; scan-only reads headers only. False clears the image.
    bool Load(const uint8_t* data, size_t size, bool scanOnly);

    int32_t Width() const override { return animation_.File().width; }
    int32_t Height() const override { return animation_.File().height; }
    bool Animated() const { return animation_.File().Animated(); }
    bool HasTransparency() const { return animation_.File().hasTransparency; }
    bool Empty() const { return animation_.File().frames.empty(); }
    bool ScanOnly() const { return scanOnly_; }
    int ColorBits() const { return animation_.File().colorBits; }
    int FrameCount() const { return int(animation_.File().frames.size()); }
    TgfFrame Frame(int number) const { return TgfFrame(animation_.File().frames[size_t(number - 1)]); }
    int32_t LoopCount() const { return animation_.File().loopCount; }
    int32_t LoopsDone() const { return animation_.LoopsDone(); }
    int SpeedPercent() const { return animation_.SpeedPercent(); }

    int FrameIndex() const { return animation_.FrameIndex(); }
    void SetFrameIndex(int n) { animation_.SetFrameIndex(n); }
    bool Animating() const { return animation_.Animating(); }
    void SetAnimating(bool on) { animation_.SetAnimating(on, clock_()); }
    void RestartAnimation() {
        if (!scanOnly_) animation_.Restart(clock_());
    }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    bool Dither() const { return dither_; }
    void SetDither(bool d) { dither_ = d; }

    // Frame 1 with its transparent pixels in the transparent colour; made once, kept.
    TBitmap* Bitmap();
    // The same before any dithering (transparency masks are made from this one).
    std::unique_ptr<TBitmap> UnditheredBitmap() const;
    // Copies of frame 1's image (transparent pixels black) and mask (only with transparency).
    std::unique_ptr<TBitmap> FirstFrameBitmap() const;
    std::unique_ptr<TBitmap> FirstFrameMask() const;

    void Draw(HDC dc, const BackgroundFill& background, int x, int y, int w, int h);
    // How many times the bitmaps that paints copy from were made from the
    // composite: once per frame shown, however often it is painted.
    int CompositeBuilds() const { return compositeBuilds_; }
    // One tick of the document's animation timer; repaints the last drawn rectangle.
    void StepAnimation(HWND window);
    RECT LastDrawnRect() const { return lastRect_; }

    const GifAnimation& Animation() const { return animation_; }
    // Tests drive the animation with their own clock (milliseconds).
    std::function<uint32_t()> clock_;

private:
    // Brings the display bitmaps of the composite and its mask up to date.
    bool PrepareComposite();
    GifAnimation animation_;
    bool scanOnly_ = false;
    bool visible_ = false;
    bool dither_ = false;
    std::unique_ptr<TBitmap> bitmap_;
    std::unique_ptr<TBitmap> compositeBitmap_; // the composite in the display's format
    std::unique_ptr<TBitmap> maskBitmap_;      // white where the composite is transparent
    uint8_t* maskBits_ = nullptr;              // its rows
    uint32_t builtGeneration_ = 0;
    int compositeBuilds_ = 0;
    std::unique_ptr<TBitmap> background_;
    std::unique_ptr<TBitmap> composed_; // the picture over the background buffer
    uint32_t composedGeneration_ = 0;
    bool composedValid_ = false;
    int backgroundW_ = 0, backgroundH_ = 0;
    RECT lastRect_{};
};

// Scan, then full load; NonAnimated tells one-frame GIFs. None when the data
// is no GIF or is corrupt (unused cache entries are then dropped).
std::unique_ptr<TGIFImage> LoadGifFile(const std::string& fileName, bool& nonAnimated);
std::unique_ptr<TGIFImage> LoadGifStream(TMemoryStream& stream, bool& nonAnimated);
std::unique_ptr<TGIFImage> LoadGifData(const uint8_t* data, size_t size, bool& nonAnimated);

} // namespace velmora::images
