// GIF parsing and LZW decoding into palette indices (no composing here).
#pragma once
#include "html/images/picture.h"

namespace velmora::images {

inline constexpr size_t kMaxGifFrames = 256;
// Every frame's indices together; a small file can claim (and legally decode
// to) many large frames, so the total is bounded as well as each frame.
inline constexpr int64_t kMaxGifTotalPixels = 64'000'000;
inline constexpr const char* kCorruptGif = "Corrupt GIF Image";

struct GifFrame {
    int32_t left = 0, top = 0, width = 0, height = 0;
    int localBits = 0; // 0: the frame uses the global table
    Palette colors;    // 256 entries: the local table or the global one (missing entries black)
    bool interlaced = false;
    int disposal = 0;  // 0 none, 1 leave, 2 restore background, 3 restore previous
    int32_t delay = 0; // milliseconds
    bool transparent = false;
    uint8_t transparentIndex = 0;
    std::string comment;
    std::vector<uint8_t> indices; // width * height, top-down, unpadded
    std::vector<uint8_t> mask;    // transparent frames: 1 where the pixel is transparent
    Rgb TransparentColor() const { return colors[transparentIndex]; }
};

struct GifFile {
    int32_t width = 0, height = 0; // logical screen, enlarged to cover every frame
    Palette globalColors;          // 256 entries, black when the file has no table
    int colorBits = 0;
    int32_t loopCount = 1;
    bool hasTransparency = false;
    std::vector<GifFrame> frames;
    bool Animated() const { return frames.size() > 1; }
};

// Parses a whole GIF held in memory. scanOnly reads blocks and frame headers
// but decodes no pixels. False with a reason (kCorruptGif for bad LZW data).
bool ParseGif(const uint8_t* data, size_t size, bool scanOnly, GifFile& out, std::string& error);

} // namespace velmora::images
