// GIF parsing, frame composition and a full animation cycle.
#include <cstddef>
#include <cstdint>

#include "html/images/gif_animation.h"

using namespace velmora::images;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GifFile scan;
    std::string error;
    ParseGif(data, size, true, scan, error);
    GifFile gif;
    if (!ParseGif(data, size, false, gif, error)) return 0;
    GifAnimation animation;
    if (!animation.Start(std::move(gif))) return 0;
    int frames = int(animation.File().frames.size());
    animation.SetAnimating(true, 0);
    uint32_t now = 0;
    for (int i = 0; i <= frames + 1; ++i)
        animation.Step(now += 100000);
    animation.SetFrameIndex(0);
    animation.SetFrameIndex(frames + 5);
    return 0;
}
