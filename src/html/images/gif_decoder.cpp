#include "html/images/gif_decoder.h"

#include <algorithm>
#include <cstring>

namespace velmora::images {

namespace {

bool Fail(std::string& error, const char* why) {
    error = why;
    return false;
}

// Skips data sub-blocks up to and including the zero-length terminator.
bool SkipSubBlocks(ByteReader& in) {
    for (;;) {
        uint8_t n;
        if (!in.U8(n)) return false;
        if (!n) return true;
        if (!in.Skip(n)) return false;
    }
}

// Reads a colour table of 2^bits entries into a 256-entry palette.
bool ReadTable(ByteReader& in, int bits, Palette& table, bool keep) {
    size_t count = size_t(1) << bits;
    if (in.Remaining() < count * 3) return false;
    if (keep) {
        table.assign(256, Rgb{});
        const uint8_t* p = in.Here();
        for (size_t i = 0; i < count; ++i)
            table[i] = Rgb{p[3 * i], p[3 * i + 1], p[3 * i + 2]};
    }
    return in.Skip(count * 3);
}

// Writes decoded pixels row by row, in interlaced pass order when asked.
class RowWriter {
public:
    RowWriter(GifFrame& f) : frame_(f), width_(f.width), height_(f.height), interlaced_(f.interlaced) {
        row_ = frame_.indices.data();
        if (f.transparent) maskRow_ = frame_.mask.data();
    }
    bool Done() const { return y_ >= height_; }
    // Copies n pixels; what comes after the last row is dropped.
    void Put(const uint8_t* p, int n) {
        while (n > 0 && y_ < height_) {
            int take = std::min(n, width_ - x_);
            std::memcpy(row_ + x_, p, size_t(take));
            if (maskRow_) {
                uint8_t t = frame_.transparentIndex;
                for (int i = 0; i < take; ++i)
                    maskRow_[x_ + i] = p[i] == t;
            }
            x_ += take;
            p += take;
            n -= take;
            if (x_ == width_) NextRow();
        }
    }

private:
    void NextRow() {
        x_ = 0;
        if (!interlaced_) {
            ++y_;
        } else {
            static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            y_ += step[pass_];
            while (y_ >= height_ && pass_ < 3) {
                ++pass_;
                y_ = start[pass_];
            }
        }
        if (y_ < height_) {
            row_ = frame_.indices.data() + size_t(y_) * size_t(width_);
            if (maskRow_) maskRow_ = frame_.mask.data() + size_t(y_) * size_t(width_);
        }
    }
    GifFrame& frame_;
    int width_, height_;
    bool interlaced_;
    int x_ = 0, y_ = 0, pass_ = 0;
    uint8_t* row_;
    uint8_t* maskRow_ = nullptr;
};

// LZW decoding of one frame's image data (the reader stands at the minimum code size).
bool DecodeLzw(ByteReader& in, GifFrame& frame, std::string& error) {
    uint8_t minSize;
    if (!in.U8(minSize)) return Fail(error, kCorruptGif);
    if (minSize > 11) return Fail(error, kCorruptGif);
    // Gather the sub-blocks into one run of bytes; bounded by the input.
    // Data cut off before the terminator is a truncated file and fails the load.
    std::vector<uint8_t> bytes;
    for (;;) {
        uint8_t n;
        if (!in.U8(n)) return Fail(error, "truncated frame data");
        if (!n) break;
        if (in.Remaining() < n) return Fail(error, "truncated frame data");
        bytes.insert(bytes.end(), in.Here(), in.Here() + n);
        in.Skip(n);
    }
    bytes.resize(bytes.size() + 4, 0); // lets the bit reader load whole words
    const size_t totalBits = (bytes.size() - 4) * 8;

    const int clear = 1 << minSize, end = clear + 1;
    static thread_local uint16_t prefix[4096];
    static thread_local uint8_t suffix[4096];
    static thread_local uint8_t stack[4097];
    for (int i = 0; i < clear; ++i) {
        suffix[i] = uint8_t(i);
        prefix[i] = 0;
    }
    int width = minSize + 1, freeCode = clear + 2;
    int previous = -1;
    uint8_t firstByte = 0;
    size_t bitPos = 0;
    RowWriter writer(frame);
    const uint8_t* data = bytes.data();

    while (!writer.Done()) {
        if (bitPos + size_t(width) > totalBits) break; // no complete code left
        uint32_t word = uint32_t(data[bitPos >> 3]) | (uint32_t(data[(bitPos >> 3) + 1]) << 8) |
                        (uint32_t(data[(bitPos >> 3) + 2]) << 16);
        int code = int((word >> (bitPos & 7)) & ((1u << width) - 1));
        bitPos += size_t(width);

        if (code == clear) {
            width = minSize + 1;
            freeCode = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end) break;
        if (previous < 0) { // first code after a clear: a root, the first pixel
            if (code >= clear) return Fail(error, kCorruptGif);
            firstByte = uint8_t(code);
            writer.Put(&firstByte, 1);
            previous = code;
            continue;
        }
        int sp = 4097;
        int current = code;
        if (code >= freeCode) { // not yet defined: previous string + its first byte
            stack[--sp] = firstByte;
            current = previous;
        }
        while (current >= clear) {
            if (sp == 0) return Fail(error, kCorruptGif);
            stack[--sp] = suffix[current];
            current = prefix[current];
        }
        if (sp == 0) return Fail(error, kCorruptGif);
        firstByte = uint8_t(current);
        stack[--sp] = firstByte;
        if (freeCode < 4096) {
            prefix[freeCode] = uint16_t(previous);
            suffix[freeCode] = firstByte;
            ++freeCode;
            if (freeCode >= (1 << width) && width < 12) ++width;
        }
        previous = code;
        writer.Put(stack + sp, 4097 - sp);
    }
    // Whatever follows up to the terminator was consumed with the sub-blocks.
    return true;
}

enum class FrameRead { Read, Refused, Failed };

FrameRead ReadFrame(ByteReader& in, GifFile& gif, const uint8_t (&control)[6], bool haveControl,
                    bool scanOnly, int64_t& totalPixels, GifFrame& f, std::string& error) {
    auto failed = [&](const char* why) {
        error = why;
        return FrameRead::Failed;
    };
    uint16_t left, top, w, h;
    uint8_t packed;
    if (!in.U16(left) || !in.U16(top) || !in.U16(w) || !in.U16(h) || !in.U8(packed))
        return failed("truncated frame");
    f.left = left;
    f.top = top;
    f.width = w;
    f.height = h;
    if (packed & 0x80) {
        f.localBits = (packed & 7) + 1;
        if (!ReadTable(in, f.localBits, f.colors, !scanOnly)) return failed("truncated colour table");
    } else if (!scanOnly) {
        f.colors = gif.globalColors;
    }
    f.interlaced = packed & 0x40;
    if (haveControl) {
        int disposal = (control[1] >> 2) & 7;
        f.disposal = disposal == 0 || disposal == 1 || disposal == 3 ? disposal : 2;
        f.delay = (control[2] | (control[3] << 8)) * 10;
        f.transparent = control[1] & 1;
        f.transparentIndex = control[4];
    }
    // Sizes are checked before any allocation: the frame itself, the screen it
    // will stretch to cover, and all frames together. The scan applies the same
    // rule, so that both passes agree on the frames there are.
    int64_t pixels = int64_t(w) * h;
    if (pixels > kMaxPicturePixels || totalPixels + pixels > kMaxGifTotalPixels ||
        !PictureSizeAllowed(std::max<int64_t>(gif.width, int64_t(left) + w),
                            std::max<int64_t>(gif.height, int64_t(top) + h))) {
        error = "frame too large";
        return FrameRead::Refused;
    }
    totalPixels += pixels;
    if (scanOnly) {
        uint8_t minSize;
        if (!in.U8(minSize) || !SkipSubBlocks(in)) return failed("truncated frame data");
        uint8_t zero;
        while (in.Remaining() && *in.Here() == 0)
            in.U8(zero);
        return FrameRead::Read;
    }
    f.indices.assign(size_t(pixels), 0);
    if (f.transparent) f.mask.assign(size_t(pixels), 0);
    if (pixels == 0) {
        uint8_t minSize;
        if (!in.U8(minSize) || !SkipSubBlocks(in)) return failed("truncated frame data");
        return FrameRead::Read;
    }
    return DecodeLzw(in, f, error) ? FrameRead::Read : FrameRead::Failed;
}

} // namespace

bool ParseGif(const uint8_t* data, size_t size, bool scanOnly, GifFile& gif, std::string& error) {
    gif = GifFile();
    ByteReader in(data, size);
    if (size < 3 || std::memcmp(data, "GIF", 3) != 0) return Fail(error, "not a GIF file");
    uint16_t screenW, screenH;
    uint8_t packed, background, aspect;
    if (!in.Skip(6) || !in.U16(screenW) || !in.U16(screenH) || !in.U8(packed) || !in.U8(background) ||
        !in.U8(aspect))
        return Fail(error, "truncated GIF header");
    gif.width = std::max<int32_t>(screenW, 1); // grown to cover the frames at the end
    gif.height = std::max<int32_t>(screenH, 1);
    gif.globalColors.assign(256, Rgb{});
    if (packed & 0x80) {
        gif.colorBits = (packed & 7) + 1;
        if (!ReadTable(in, gif.colorBits, gif.globalColors, true))
            return Fail(error, "truncated colour table");
    }

    uint8_t control[6] = {};
    bool haveControl = false;
    std::string comment;
    int64_t totalPixels = 0;
    while (!in.AtEnd()) {
        uint8_t introducer;
        in.U8(introducer);
        if (introducer == 0x21) {
            uint8_t label;
            if (!in.U8(label)) break;
            if (label == 0xF9) {
                if (!in.Bytes(control, 6)) return Fail(error, "truncated extension");
                haveControl = true;
                // A longer block than the usual 4 bytes: skip the rest of it.
                if (control[5] != 0 && !SkipSubBlocks(in)) return Fail(error, "truncated extension");
            } else if (label == 0xFE) {
                for (;;) {
                    uint8_t n;
                    if (!in.U8(n)) return Fail(error, "truncated comment");
                    if (!n) break;
                    if (in.Remaining() < n) return Fail(error, "truncated comment");
                    comment.append(reinterpret_cast<const char*>(in.Here()), n);
                    in.Skip(n);
                }
            } else if (label == 0xFF) {
                uint8_t blockSize;
                char id[11];
                if (!in.U8(blockSize)) return Fail(error, "truncated extension");
                if (blockSize == 11 && in.Remaining() >= 11) {
                    in.Bytes(id, 11);
                    if (std::memcmp(id, "NETSCAPE2.0", 11) == 0) {
                        // The loop count is a 3-byte first sub-block; any other
                        // first sub-block (buffering hints, an empty block) is
                        // skipped with the rest of the extension.
                        uint8_t subSize;
                        if (!in.U8(subSize)) return Fail(error, "truncated extension");
                        if (subSize == 3 && in.Remaining() >= 3) {
                            uint8_t subId = 0;
                            uint16_t loops = 0;
                            in.U8(subId);
                            in.U16(loops);
                            gif.loopCount = loops;
                        } else if (subSize == 0) {
                            continue; // that was the terminator
                        } else if (!in.Skip(subSize)) {
                            return Fail(error, "truncated extension");
                        }
                    }
                } else if (!in.Skip(blockSize)) {
                    return Fail(error, "truncated extension");
                }
                if (!SkipSubBlocks(in)) return Fail(error, "truncated extension");
            } else if (label == 0x01) {
                if (!SkipSubBlocks(in)) return Fail(error, "truncated extension");
            } else {
                break; // unknown label: keep what was read
            }
        } else if (introducer == 0x2C) {
            if (gif.frames.size() >= kMaxGifFrames) break;
            GifFrame frame;
            FrameRead read = ReadFrame(in, gif, control, haveControl, scanOnly, totalPixels, frame, error);
            if (read == FrameRead::Failed) return false;
            // A frame past the pixel budget ends the picture; what was read shows,
            // as with more frames than we keep.
            if (read == FrameRead::Refused) {
                if (gif.frames.empty()) return false;
                break;
            }
            gif.colorBits = std::max(gif.colorBits, frame.localBits);
            gif.hasTransparency = gif.hasTransparency || frame.transparent;
            frame.comment = std::move(comment);
            comment.clear();
            std::memset(control, 0, sizeof control);
            haveControl = false;
            gif.frames.push_back(std::move(frame));
        } else {
            break; // the trailer ';' or stray bytes
        }
    }
    if (gif.frames.empty()) return Fail(error, "no frames");
    int64_t w = screenW, h = screenH;
    for (const GifFrame& f : gif.frames) {
        w = std::max<int64_t>(w, int64_t(f.left) + f.width);
        h = std::max<int64_t>(h, int64_t(f.top) + f.height);
    }
    if (!PictureSizeAllowed(w, h)) return Fail(error, "picture too large or empty");
    gif.width = int32_t(w);
    gif.height = int32_t(h);
    return true;
}

} // namespace velmora::images
