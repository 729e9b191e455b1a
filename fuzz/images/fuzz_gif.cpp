// GIF parsing, frame composition and a full animation cycle.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "html/images/gif_animation.h"

using namespace velmora::images;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GifFile scan;
    std::string error;
    if (ParseGif(data, size, true, scan, error)) {
        // A scanned file has no pixels: holding and stepping it composes nothing.
        GifAnimation held;
        held.Hold(std::move(scan));
        held.SetFrameIndex(2);
    }
    GifFile gif;
    if (!ParseGif(data, size, false, gif, error)) return 0;
    auto shared = std::make_shared<const GifFile>(std::move(gif));
    GifAnimation animation, copy;
    if (!animation.Start(shared)) return 0;
    int frames = int(animation.File().frames.size());
    animation.SetAnimating(true, 0);
    uint32_t now = 0;
    for (int i = 0; i <= frames + 1; ++i)
        animation.Step(now += 100000);
    animation.SetFrameIndex(0);
    // A second animation on the same frames goes its own way.
    if (!copy.Start(shared)) __builtin_trap();
    copy.SetFrameIndex(frames);
    animation.SetFrameIndex(frames + 5);
    return 0;
}
