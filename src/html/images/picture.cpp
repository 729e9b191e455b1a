#include "html/images/picture.h"

#include <cstring>

namespace velmora::images {

bool PixelImage::Allocate(int32_t w, int32_t h, int bitCount) {
    pixels.clear();
    if (!PictureSizeAllowed(w, h) || (bitCount != 8 && bitCount != 24)) return false;
    width = w;
    height = h;
    bits = bitCount;
    stride = StrideFor(w, bitCount);
    pixels.assign(size_t(stride) * size_t(h), 0);
    return true;
}

Rgb PixelImage::PixelAt(int32_t x, int32_t y) const {
    const uint8_t* row = Row(y);
    if (bits == 24) return Rgb{row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
    uint8_t index = row[x];
    return index < palette.size() ? palette[index] : Rgb{};
}

PixelImage PixelImage::To24() const {
    PixelImage out;
    if (Empty() || !out.Allocate(width, height, 24)) return out;
    for (int32_t y = 0; y < height; ++y) {
        if (bits == 24) {
            std::memcpy(out.Row(y), Row(y), size_t(width) * 3);
            continue;
        }
        const uint8_t* in = Row(y);
        uint8_t* o = out.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            Rgb c = in[x] < palette.size() ? palette[in[x]] : Rgb{};
            o[0] = c.b;
            o[1] = c.g;
            o[2] = c.r;
            o += 3;
        }
    }
    return out;
}

ContentType DetectContentType(const uint8_t* d, size_t n) {
    if (n >= 2 && d[0] == 'B' && d[1] == 'M') return ContentType::Bmp;
    if (n >= 4 && d[0] == 'G' && d[1] == 'I' && d[2] == 'F' && d[3] == '8')
        return n >= 5 && d[4] == '9' ? ContentType::Gif89a : ContentType::Gif87a;
    if (n >= 4 && d[0] == 0x89 && d[1] == 'P' && d[2] == 'N' && d[3] == 'G') return ContentType::Png;
    // Start of image, then any marker: camera photos begin with an EXIF segment
    // (APP1), others with ICC or Adobe segments or straight with their tables;
    // libjpeg decides whether the rest is sound.
    if (n >= 4 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF && d[3] >= 0xC0 && d[3] != 0xFF)
        return ContentType::Jpeg;
    return ContentType::Unknown;
}

bool ByteReader::Bytes(void* out, size_t n) {
    if (n > Remaining()) return false;
    std::memcpy(out, data_ + pos_, n);
    pos_ += n;
    return true;
}

} // namespace velmora::images
