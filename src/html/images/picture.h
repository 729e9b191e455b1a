// Plain pixel buffers that the decoders produce and the colour reduction reads.
// No platform types here: the Win32 side turns these into device bitmaps.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::images {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
using Palette = std::vector<Rgb>;

// Colour value with red in the low byte, as the platform's colour values are.
inline uint32_t ColorValue(Rgb c) {
    return c.r | (c.g << 8) | (uint32_t(c.b) << 16);
}

// Largest picture we agree to hold. The program is 32-bit: a 24-bit picture of
// this size is 120 MB, and the display side may need two more copies of it.
inline constexpr int64_t kMaxPicturePixels = 40'000'000;
inline constexpr int32_t kMaxPictureSide = 32767;

// True when a width x height picture may be allocated at all.
inline bool PictureSizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

// A decoded picture: 8-bit palette indices or 24-bit pixels (blue, green, red
// bytes, as device-independent bitmaps hold them). Rows are top-down and padded
// to 4 bytes, so that a top-down DIB can use them as they are.
struct PixelImage {
    int32_t width = 0;
    int32_t height = 0;
    int bits = 0; // 8 or 24
    int32_t stride = 0;
    Palette palette; // 8-bit pictures: the colours of the indices (up to 256)
    bool greyscale = false;
    std::vector<uint8_t> pixels;

    static int32_t StrideFor(int32_t width, int bits) { return ((bits * width + 31) / 32) * 4; }
    // Allocates zeroed pixels; false (and nothing allocated) when the size is refused.
    bool Allocate(int32_t w, int32_t h, int bitCount);
    bool Empty() const { return pixels.empty(); }
    uint8_t* Row(int32_t y) { return pixels.data() + size_t(y) * size_t(stride); }
    const uint8_t* Row(int32_t y) const { return pixels.data() + size_t(y) * size_t(stride); }
    // The colour of one pixel, whatever the depth (tests and masks use it).
    Rgb PixelAt(int32_t x, int32_t y) const;
    // A 24-bit copy (8-bit pictures through their palette).
    PixelImage To24() const;
};

enum class ContentType { Unknown, Bmp, Gif87a, Gif89a, Png, Jpeg };

// The first bytes decide, never the file name.
ContentType DetectContentType(const uint8_t* data, size_t size);

// Read-only bytes with bounds: every decoder reads through one of these.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t Position() const { return pos_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return size_ - pos_; }
    bool AtEnd() const { return pos_ >= size_; }
    bool Seek(size_t pos) {
        if (pos > size_) return false;
        pos_ = pos;
        return true;
    }
    bool Skip(size_t n) {
        if (n > Remaining()) return false;
        pos_ += n;
        return true;
    }
    bool U8(uint8_t& v) {
        if (pos_ >= size_) return false;
        v = data_[pos_++];
        return true;
    }
    bool U16(uint16_t& v) {
        if (Remaining() < 2) return false;
        v = uint16_t(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return true;
    }
    bool U32(uint32_t& v) {
        if (Remaining() < 4) return false;
        v = uint32_t(data_[pos_]) | (uint32_t(data_[pos_ + 1]) << 8) | (uint32_t(data_[pos_ + 2]) << 16) |
            (uint32_t(data_[pos_ + 3]) << 24);
        pos_ += 4;
        return true;
    }
    bool Bytes(void* out, size_t n);
    const uint8_t* Here() const { return data_ + pos_; }
    const uint8_t* Data() const { return data_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Nothing we decode can come from a file larger than this in a 32-bit program.
inline constexpr int64_t kMaxFileBytes = 256 << 20;

} // namespace velmora::images
