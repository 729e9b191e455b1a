#include "html/images/bmp_reader.h"

#include <algorithm>
#include <cstring>

namespace velmora::images {

namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

// One channel of a bit-field mask: where it sits and how to widen it to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(uint32_t m = 0) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1))
            ++shift;
        while (shift + bits < 32 && ((m >> (shift + bits)) & 1))
            ++bits;
    }
    uint8_t Get(uint32_t pixel) const {
        if (!bits) return 0;
        uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return uint8_t(v >> (bits - 8));
        // Replicate the high bits so that full scale maps to 255.
        uint32_t out = 0;
        int filled = 0;
        while (filled < 8) {
            out = (out << bits) | v;
            filled += bits;
        }
        return uint8_t(out >> (filled - 8));
    }
};

bool Fail(std::string& error, const char* why) {
    error = why;
    return false;
}

// RLE: the rows come bottom-up; pixels the stream never reaches stay index 0.
void DecodeRle(ByteReader& in, PixelImage& out, bool four) {
    int32_t x = 0, y = out.height - 1;
    auto put = [&](uint8_t index) {
        if (x < out.width && y >= 0) out.Row(y)[x] = index;
        ++x;
    };
    for (;;) {
        uint8_t count, value;
        if (!in.U8(count) || !in.U8(value)) return;
        if (count) {
            // Encoded run: a single index, or two alternating nibbles.
            for (int i = 0; i < count && x < out.width; ++i)
                put(four ? uint8_t((i & 1) ? (value & 15) : (value >> 4)) : value);
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            if (--y < 0) return;
            break;
        case 1: // end of bitmap
            return;
        case 2: { // delta
            uint8_t dx, dy;
            if (!in.U8(dx) || !in.U8(dy)) return;
            x += dx;
            y -= dy;
            if (y < 0) return;
            break;
        }
        default: { // absolute run of `value` pixels, padded to a word
            size_t bytes = four ? (value + 1) / 2 : value;
            if (in.Remaining() < bytes) return;
            const uint8_t* p = in.Here();
            for (int i = 0; i < value; ++i)
                put(four ? uint8_t((i & 1) ? (p[i / 2] & 15) : (p[i / 2] >> 4)) : p[i]);
            in.Skip(bytes + (bytes & 1));
        }
        }
    }
}

} // namespace

bool DecodeBmp(const uint8_t* data, size_t size, PixelImage& out, std::string& error) {
    out = PixelImage();
    ByteReader in(data, size);
    uint16_t magic;
    uint32_t fileSize, reserved, offBits, headerSize;
    if (!in.U16(magic) || magic != 0x4D42) return Fail(error, "not a BMP file");
    if (!in.U32(fileSize) || !in.U32(reserved) || !in.U32(offBits) || !in.U32(headerSize))
        return Fail(error, "truncated BMP header");

    int64_t width, height;
    uint16_t planes, bitCount;
    uint32_t compression = kRgb, colorsUsed = 0;
    uint32_t masks[3] = {0, 0, 0};
    size_t entrySize = 4;
    bool core = headerSize == 12;
    if (core) { // OS/2 1.x core header: 16-bit sizes, 3-byte colour entries
        uint16_t w, h;
        if (!in.U16(w) || !in.U16(h) || !in.U16(planes) || !in.U16(bitCount)) return Fail(error, "truncated");
        width = w;
        height = h;
        entrySize = 3;
    } else if (headerSize >= 16 && headerSize <= 1024) {
        uint32_t w, h;
        if (!in.U32(w) || !in.U32(h) || !in.U16(planes) || !in.U16(bitCount)) return Fail(error, "truncated");
        width = int32_t(w);
        height = int32_t(h);
        ByteReader rest(in.Here(), std::min<size_t>(in.Remaining(), headerSize - 16));
        uint32_t imageSize, xres, yres, important;
        if (rest.U32(compression)) {
            rest.U32(imageSize);
            rest.U32(xres);
            rest.U32(yres);
            rest.U32(colorsUsed);
            rest.U32(important);
            // Version 2 and later headers carry the masks themselves.
            if (headerSize >= 52) {
                rest.U32(masks[0]);
                rest.U32(masks[1]);
                rest.U32(masks[2]);
            }
        }
        // OS/2 2.x: compression 3 means Huffman there, and 4 RLE24; neither is used in practice.
        if (headerSize == 64 && compression >= 3) return Fail(error, "unsupported OS/2 compression");
        in.Skip(headerSize - 16);
        if ((compression == kBitFields || compression == kAlphaBitFields) && headerSize < 52) {
            if (!in.U32(masks[0]) || !in.U32(masks[1]) || !in.U32(masks[2]))
                return Fail(error, "truncated masks");
            if (compression == kAlphaBitFields) in.Skip(4);
        }
    } else {
        return Fail(error, "unknown BMP header");
    }
    if (in.Position() > size) return Fail(error, "truncated");

    bool topDown = height < 0;
    if (topDown) height = -height;
    if (!PictureSizeAllowed(width, height)) return Fail(error, "picture too large or empty");
    bool rle = compression == kRle8 || compression == kRle4;
    if (rle && (topDown || bitCount != (compression == kRle8 ? 8 : 4))) return Fail(error, "bad RLE header");
    if (compression == kBitFields || compression == kAlphaBitFields) {
        if (bitCount != 16 && bitCount != 32) return Fail(error, "bit fields need 16 or 32 bits");
    } else if (!rle && compression != kRgb) {
        return Fail(error, "unsupported compression");
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return Fail(error, "unsupported bit count");

    // Colour table: as many entries as the header says, as far as the file
    // has them before the pixels (short tables leave the rest black).
    Palette palette;
    if (bitCount <= 8) {
        size_t wanted = colorsUsed && colorsUsed < (1u << bitCount) ? colorsUsed : (1u << bitCount);
        size_t tableStart = in.Position();
        size_t available = in.Remaining() / entrySize;
        if (offBits > tableStart && offBits <= size)
            available = std::min(available, (offBits - tableStart) / entrySize);
        size_t count = std::min(wanted, available);
        palette.resize(size_t(1) << bitCount);
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* e = in.Here() + i * entrySize;
            palette[i] = Rgb{e[2], e[1], e[0]};
        }
        in.Skip(count * entrySize);
    }
    // Pixels start at the offset the file gives; a nonsense offset means right after the table.
    size_t pixelStart = offBits >= in.Position() && offBits < size ? offBits : in.Position();
    ByteReader pixels(data + pixelStart, size - pixelStart);

    int32_t w = int32_t(width), h = int32_t(height);
    if (rle) {
        if (!out.Allocate(w, h, 8)) return Fail(error, "out of memory");
        out.palette = palette;
        DecodeRle(pixels, out, compression == kRle4);
        return true;
    }
    int64_t rowBytes = ((int64_t(bitCount) * width + 31) / 32) * 4;
    // A header that claims more rows than the file holds is refused before allocating.
    if (rowBytes * height > int64_t(pixels.Size())) return Fail(error, "pixel data truncated");
    if (!out.Allocate(w, h, bitCount <= 8 ? 8 : 24)) return Fail(error, "out of memory");
    out.palette = palette;

    Channel r, g, b;
    if (compression == kBitFields || compression == kAlphaBitFields) {
        r = Channel(masks[0]);
        g = Channel(masks[1]);
        b = Channel(masks[2]);
    } else if (bitCount == 16) {
        r = Channel(0x7C00);
        g = Channel(0x03E0);
        b = Channel(0x001F);
    } else {
        r = Channel(0xFF0000);
        g = Channel(0x00FF00);
        b = Channel(0x0000FF);
    }
    for (int32_t row = 0; row < h; ++row) {
        const uint8_t* src = pixels.Data() + size_t(rowBytes) * size_t(row);
        uint8_t* dst = out.Row(topDown ? row : h - 1 - row);
        switch (bitCount) {
        case 1:
        case 4:
            for (int32_t x = 0; x < w; ++x) {
                int bitPos = x * bitCount;
                dst[x] = uint8_t((src[bitPos >> 3] >> (8 - bitCount - (bitPos & 7))) & ((1 << bitCount) - 1));
            }
            break;
        case 8:
            std::memcpy(dst, src, size_t(w));
            break;
        case 24:
            std::memcpy(dst, src, size_t(w) * 3);
            break;
        case 16:
        case 32:
            for (int32_t x = 0; x < w; ++x) {
                uint32_t p = bitCount == 16
                                 ? uint32_t(src[2 * x] | (src[2 * x + 1] << 8))
                                 : uint32_t(src[4 * x]) | (uint32_t(src[4 * x + 1]) << 8) |
                                       (uint32_t(src[4 * x + 2]) << 16) | (uint32_t(src[4 * x + 3]) << 24);
                dst[3 * x] = b.Get(p);
                dst[3 * x + 1] = g.Get(p);
                dst[3 * x + 2] = r.Get(p);
            }
            break;
        }
    }
    return true;
}

} // namespace velmora::images
