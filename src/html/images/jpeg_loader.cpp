#include "html/images/jpeg_loader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

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

} // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, const JpegOptions& options, PixelImage& out,
                std::string& error) {
    out = PixelImage();
    if (size == 0 || size > 0x7FFFFFFF) {
        error = "empty file";
        return false;
    }
    jpeg_decompress_struct info;
    ErrorManager errors;
    Progress progress;
    std::vector<uint8_t> row; // sized before setjmp's second return can see it change
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.emit_message = OnMessage;
    errors.message[0] = 0;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        out = PixelImage();
        error = errors.message[0] ? errors.message : "JPEG error";
        return false;
    }
    jpeg_create_decompress(&info);
    progress.base.progress_monitor = OnProgress;
    progress.errors = &errors;
    info.progress = &progress.base;
    jpeg_mem_src(&info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (!PictureSizeAllowed(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
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
    jpeg_start_decompress(&info);
    const int32_t width = int32_t(info.output_width), height = int32_t(info.output_height);
    if (!PictureSizeAllowed(width, height) || !out.Allocate(width, height, (grey || quantize) ? 8 : 24)) {
        jpeg_destroy_decompress(&info);
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
    const bool inverted = info.saw_Adobe_marker;
    row.resize(size_t(width) * 4);
    while (info.output_scanline < info.output_height) {
        uint8_t* target = out.Row(int32_t(info.output_scanline));
        JSAMPROW rows[1] = {cmyk ? row.data() : target};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
        if (cmyk) CmykRowToBgr(row.data(), target, width, inverted);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace velmora::images
