#include "html/images/transparency_probes.h"

#include <algorithm>
#include <cstring>

#include "base/os.h"

namespace velmora::images {

namespace {

constexpr size_t kGifProbeBytes = 790;

uint32_t BigEndian(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Reads chunk by chunk through `read` (position, buffer, count -> count read).
bool ProbePng(const std::function<bool(int64_t, void*, size_t)>& read, uint32_t& color) {
    uint8_t head[8];
    if (!read(0, head, 4) || DetectContentType(head, 4) != ContentType::Png) return false;
    int64_t pos = 8;
    int colourType = -1;
    uint8_t palette[768] = {};
    uint32_t paletteLength = 0;
    // Each chunk moves on by at least 12 bytes, so the loop ends with the file.
    for (;;) {
        if (!read(pos, head, 8)) return false;
        uint32_t length = BigEndian(head);
        if (length > 0x7FFFFFFF) return false;
        pos += 8;
        if (std::memcmp(head + 4, "IHDR", 4) == 0) {
            uint8_t ihdr[13];
            if (length < 13 || !read(pos, ihdr, 13)) return false;
            colourType = ihdr[9];
            if (colourType != 2 && colourType != 3) return false;
        } else if (std::memcmp(head + 4, "PLTE", 4) == 0) {
            paletteLength = std::min<uint32_t>(length, sizeof palette);
            if (!read(pos, palette, paletteLength)) return false;
        } else if (std::memcmp(head + 4, "tRNS", 4) == 0) {
            color = 0;
            if (colourType == 3 && length > 0) {
                uint32_t index = length - 1;
                if (index * 3 + 2 < paletteLength)
                    color = palette[index * 3] | (palette[index * 3 + 1] << 8) |
                            (uint32_t(palette[index * 3 + 2]) << 16);
            }
            return true;
        } else if (std::memcmp(head + 4, "IDAT", 4) == 0) {
            return false;
        }
        pos += int64_t(length) + 4; // data and CRC
    }
}

} // namespace

bool ProbeGifTransparency(const uint8_t* data, size_t size, uint32_t& color) {
    size = std::min(size, kGifProbeBytes);
    if (DetectContentType(data, size) != ContentType::Gif89a || size < 13) return false;
    uint8_t packed = data[10];
    size_t tableBytes = size_t(3) << ((packed & 7) + 1);
    size_t ext = 13 + tableBytes;
    if (ext + 8 > size) return false;
    const uint8_t* e = data + ext;
    if (e[0] != 0x21 || e[1] != 0xF9 || !(e[3] & 1)) return false;
    size_t entry = 13 + size_t(e[6]) * 3;
    if (entry + 3 > size) return false;
    const uint8_t* c = data + entry;
    color = c[0] | (c[1] << 8) | (uint32_t(c[2]) << 16);
    return true;
}

bool ProbeGifTransparencyFile(const std::string& path, uint32_t& color) {
    os::File file;
    if (!file.Open(path, os::File::Mode::Read)) return false;
    uint8_t buffer[kGifProbeBytes];
    int32_t n = file.Read(buffer, sizeof buffer);
    return n > 0 && ProbeGifTransparency(buffer, size_t(n), color);
}

bool ProbePngTransparency(const uint8_t* data, size_t size, uint32_t& color) {
    return ProbePng(
        [&](int64_t pos, void* out, size_t n) {
            if (pos < 0 || size_t(pos) > size || size - size_t(pos) < n) return false;
            std::memcpy(out, data + pos, n);
            return true;
        },
        color);
}

bool ProbePngTransparencyFile(const std::string& path, uint32_t& color) {
    os::File file;
    if (!file.Open(path, os::File::Mode::Read)) return false;
    return ProbePng([&](int64_t pos, void* out,
                        size_t n) { return file.Seek(pos) && file.Read(out, int32_t(n)) == int32_t(n); },
                    color);
}

} // namespace velmora::images
