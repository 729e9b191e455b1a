#include "html/images/jpeg_loader.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

extern "C" {
#include <jpeglib.h>
}

namespace velmora::images {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
    auto* self = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, self->message);
    std::longjmp(self->jump, 1);
}

void OnMessage(j_common_ptr, int) {} // warnings are not shown anywhere

// A progressive file can hold any number of scans; each costs a pass over the
// whole picture. Real files have a dozen or so.
constexpr int kMaxScans = 500;
struct Progress {
    jpeg_progress_mgr base;
    ErrorManager* errors;
};
void OnProgress(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxScans) {
        auto* self = reinterpret_cast<ErrorManager*>(info->err);
        std::snprintf(self->message, sizeof self->message, "too many scans");
        std::longjmp(self->jump, 1);
    }
}

// Adobe CMYK files are stored inverted; what libjpeg hands over is then
// "ink absent" per channel, so the colour is simply c * k / 255.
void CmykRowToBgr(const uint8_t* in, uint8_t* out, int32_t width, bool inverted) {
    for (int32_t x = 0; x < width; ++x, in += 4, out += 3) {
        int c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[2] = uint8_t((c * k + 127) / 255);
        out[1] = uint8_t((m * k + 127) / 255);
        out[0] = uint8_t((y * k + 127) / 255);
    }
}

// The libjpeg object and what it reports through; destroyed (with every
// buffer of libjpeg's pools) on every way out of a decode.
struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    Progress progress{};
    Decompressor() = default;
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    ~Decompressor() { jpeg_destroy_decompress(&info); } // nothing to free before creation
};

// The libjpeg calls. A libjpeg error longjmps back to the setjmp here; nothing
// in this frame that needs destroying is made after it, so nothing is skipped.
// Our own allocations may throw std::bad_alloc past it to the caller.
bool Decode(Decompressor& d, const uint8_t* data, size_t size, const JpegOptions& options, PixelImage& out,
            std::string& error) {
    jpeg_decompress_struct& info = d.info;
    info.err = jpeg_std_error(&d.errors.base);
    d.errors.base.error_exit = OnError;
    d.errors.base.emit_message = OnMessage;
    d.errors.message[0] = 0;
    if (setjmp(d.errors.jump)) {
        error = d.errors.message[0] ? d.errors.message : "JPEG error";
        return false;
    }
    jpeg_create_decompress(&info);
    d.progress.base.progress_monitor = OnProgress;
    d.progress.errors = &d.errors;
    info.progress = &d.progress.base;
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (!PictureSizeAllowed(info.image_width, info.image_height)) {
        error = "picture too large";
        return false;
    }
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const bool quantize = !options.quantizeTo.empty() && !grey && !cmyk;
    if (grey) {
        info.out_color_space = JCS_GRAYSCALE;
    } else if (cmyk) {
        info.out_color_space = JCS_CMYK;
    } else if (quantize) {
        info.out_color_space = JCS_RGB; // the colour map is given in red, green, blue order
    } else {
        // Straight into device-independent byte order (blue first).
        info.out_color_space = JCS_EXT_BGR;
    }
    if (quantize) {
        int n = int(std::min<size_t>(options.quantizeTo.size(), 256));
        info.quantize_colors = TRUE;
        info.dither_mode = JDITHER_FS;
        info.colormap =
            (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, JDIMENSION(n), 3);
        for (int i = 0; i < n; ++i) {
            info.colormap[0][i] = options.quantizeTo[size_t(i)].r;
            info.colormap[1][i] = options.quantizeTo[size_t(i)].g;
            info.colormap[2][i] = options.quantizeTo[size_t(i)].b;
        }
        info.actual_number_of_colors = n;
    }
    // Our picture is allocated before libjpeg takes its large buffers.
    jpeg_calc_output_dimensions(&info);
    const int32_t width = int32_t(info.output_width), height = int32_t(info.output_height);
    if (!PictureSizeAllowed(width, height) || !out.Allocate(width, height, (grey || quantize) ? 8 : 24)) {
        error = "picture too large";
        return false;
    }
    if (grey) {
        out.greyscale = true;
        out.palette.resize(256);
        for (int i = 0; i < 256; ++i)
            out.palette[size_t(i)] = Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
    } else if (quantize) {
        out.palette = options.quantizeTo;
        out.palette.resize(256);
    }
    jpeg_start_decompress(&info);
    if (int32_t(info.output_width) != width || int32_t(info.output_height) != height) {
        error = "JPEG size changed";
        return false;
    }
    // The CMYK conversion's row comes from libjpeg's pool: freed with the rest.
    JSAMPROW cmykRow = nullptr;
    if (cmyk)
        cmykRow = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                            JDIMENSION(width) * 4, 1)[0];
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        uint8_t* target = out.Row(int32_t(info.output_scanline));
        JSAMPROW rows[1] = {cmyk ? cmykRow : target};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
        if (cmyk) CmykRowToBgr(cmykRow, target, width, inverted);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, const JpegOptions& options, PixelImage& out,
                std::string& error) {
    out = PixelImage();
    if (size == 0 || size > 0x7FFFFFFF) {
        error = "empty file";
        return false;
    }
    bool decoded = false;
    try {
        Decompressor decompressor;
        decoded = Decode(decompressor, data, size, options, out, error);
    } catch (const std::bad_alloc&) {
        error = "out of memory";
        decoded = false;
    }
    if (!decoded) out = PixelImage();
    return decoded;
}

} // namespace velmora::images
