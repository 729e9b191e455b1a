// Picture decoding speed against plain library baselines, in the same run:
// GIF against giflib's DGifSlurp, JPEG against a bare libjpeg-turbo decode,
// and the Floyd-Steinberg reduction against a plain 24-bit copy.
#include <benchmark/benchmark.h>

#include "../benchmark_main.h"

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

extern "C" {
#if VELMORA_BASELINE_GIFLIB
#include <gif_lib.h>
#endif
#include <jpeglib.h>
}

#include "html/images/color_reduction.h"
#include "html/images/gif_animation.h"
#include "html/images/jpeg_loader.h"

using namespace velmora::images;

namespace {

// ---- test data, made once with the libraries' encoders

#if VELMORA_BASELINE_GIFLIB
int WriteToVector(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

// 100 frames of 640x480 with 256 colours: a moving pattern with some noise,
// about as compressible as a screen recording.
const std::vector<uint8_t>& Animation() {
    static std::vector<uint8_t> file = [] {
        std::vector<uint8_t> out;
        int error = 0;
        GifFileType* gif = EGifOpen(&out, WriteToVector, &error);
        GifColorType colors[256];
        for (int i = 0; i < 256; ++i)
            colors[i] = GifColorType{GifByteType(i), GifByteType(255 - i), GifByteType(i * 7)};
        ColorMapObject* map = GifMakeMapObject(256, colors);
        EGifSetGifVersion(gif, true);
        EGifPutScreenDesc(gif, 640, 480, 8, 0, map);
        std::mt19937 random(7);
        std::vector<GifByteType> line(640);
        for (int f = 0; f < 100; ++f) {
            GraphicsControlBlock gcb{1, false, 4, NO_TRANSPARENT_COLOR};
            GifByteType ext[4];
            EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
            EGifPutImageDesc(gif, 0, 0, 640, 480, false, nullptr);
            for (int y = 0; y < 480; ++y) {
                for (int x = 0; x < 640; ++x)
                    line[size_t(x)] = GifByteType((((x + f * 4) / 8) ^ (y / 8)) * 9 +
                                                  ((random() & 15) == 0 ? random() & 7 : 0));
                EGifPutLine(gif, line.data(), 640);
            }
        }
        EGifCloseFile(gif, &error);
        GifFreeMapObject(map);
        return out;
    }();
    return file;
}

#endif

// A 12-megapixel "photo": smooth gradients with fine noise, quality 90.
const std::vector<uint8_t>& Photo() {
    static std::vector<uint8_t> file = [] {
        const int w = 4000, h = 3000;
        jpeg_compress_struct info;
        jpeg_error_mgr errors;
        info.err = jpeg_std_error(&errors);
        jpeg_create_compress(&info);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&info, &buffer, &size);
        info.image_width = w;
        info.image_height = h;
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 90, TRUE);
        jpeg_start_compress(&info, TRUE);
        std::vector<uint8_t> row(size_t(w) * 3);
        std::mt19937 random(3);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int n = int(random() % 9) - 4;
                row[size_t(x) * 3] = uint8_t(std::clamp(x * 255 / w + n, 0, 255));
                row[size_t(x) * 3 + 1] = uint8_t(std::clamp(y * 255 / h + n, 0, 255));
                row[size_t(x) * 3 + 2] = uint8_t(std::clamp(((x + y) / 16) % 256 + n, 0, 255));
            }
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&info, rows, 1);
        }
        jpeg_finish_compress(&info);
        std::vector<uint8_t> out(buffer, buffer + size);
        jpeg_destroy_compress(&info);
        free(buffer);
        return out;
    }();
    return file;
}

const PixelImage& PhotoPixels() {
    static PixelImage image = [] {
        PixelImage p;
        std::string error;
        DecodeJpeg(Photo().data(), Photo().size(), {}, p, error);
        return p;
    }();
    return image;
}

#if VELMORA_BASELINE_GIFLIB
// ---- GIF

void GifOurs(benchmark::State& state) {
    const auto& file = Animation();
    for (auto _ : state) {
        GifFile gif;
        std::string error;
        if (!ParseGif(file.data(), file.size(), false, gif, error)) state.SkipWithError("parse failed");
        GifAnimation animation;
        animation.Start(std::move(gif));
        for (int f = 2; f <= 100; ++f)
            animation.SetFrameIndex(f); // compose every frame
        benchmark::DoNotOptimize(animation.Composite().pixels.data());
    }
}
BENCHMARK(GifOurs)->Unit(benchmark::kMillisecond);

struct ReadCursor {
    const std::vector<uint8_t>* data;
    size_t pos;
};
int ReadFromVector(GifFileType* gif, GifByteType* out, int n) {
    auto* c = static_cast<ReadCursor*>(gif->UserData);
    size_t take = std::min<size_t>(size_t(n), c->data->size() - c->pos);
    std::memcpy(out, c->data->data() + c->pos, take);
    c->pos += take;
    return int(take);
}

void GifDGifSlurp(benchmark::State& state) {
    const auto& file = Animation();
    for (auto _ : state) {
        ReadCursor cursor{&file, 0};
        int error = 0;
        GifFileType* gif = DGifOpen(&cursor, ReadFromVector, &error);
        if (DGifSlurp(gif) != GIF_OK) state.SkipWithError("slurp failed");
        benchmark::DoNotOptimize(gif->SavedImages);
        DGifCloseFile(gif, &error);
    }
}
BENCHMARK(GifDGifSlurp)->Unit(benchmark::kMillisecond);

#endif

// ---- JPEG

void JpegOurs(benchmark::State& state) {
    const auto& file = Photo();
    for (auto _ : state) {
        PixelImage image;
        std::string error;
        if (!DecodeJpeg(file.data(), file.size(), {}, image, error)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(image.pixels.data());
    }
}
BENCHMARK(JpegOurs)->Unit(benchmark::kMillisecond);

void JpegBareLibjpeg(benchmark::State& state) {
    const auto& file = Photo();
    for (auto _ : state) {
        jpeg_decompress_struct info;
        jpeg_error_mgr errors;
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.data(), file.size());
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        const size_t stride = size_t(info.output_width) * 3;
        std::vector<uint8_t> pixels(stride * info.output_height);
        while (info.output_scanline < info.output_height) {
            JSAMPROW rows[1] = {pixels.data() + stride * info.output_scanline};
            jpeg_read_scanlines(&info, rows, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(JpegBareLibjpeg)->Unit(benchmark::kMillisecond);

// ---- Floyd-Steinberg to the shared palette

void FloydSteinberg12MP(benchmark::State& state) {
    const PixelImage& image = PhotoPixels();
    const Palette shared = MakeSharedPalette(DefaultStaticColors());
    for (auto _ : state) {
        PixelImage reduced = ReduceToPalette(image, shared);
        benchmark::DoNotOptimize(reduced.pixels.data());
    }
    state.counters["MP/s"] = benchmark::Counter(
        double(image.width) * image.height / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(FloydSteinberg12MP)->Unit(benchmark::kMillisecond);

void Plain24BitCopy12MP(benchmark::State& state) {
    const PixelImage& image = PhotoPixels();
    for (auto _ : state) {
        PixelImage copy;
        copy.Allocate(image.width, image.height, 24);
        std::memcpy(copy.pixels.data(), image.pixels.data(), image.pixels.size());
        benchmark::DoNotOptimize(copy.pixels.data());
    }
    state.counters["MP/s"] = benchmark::Counter(
        double(image.width) * image.height / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(Plain24BitCopy12MP)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
#if VELMORA_BASELINE_GIFLIB
    const char* note = nullptr;
#else
    // Built without its baseline library: say what is left out.
    const char* note = "images_bench: giflib not found at build time; the GIF benchmarks are not built "
                       "(install libgif-dev, or run scripts/bench, which does)";
#endif
    return RunBenchmarks(argc, argv, note);
}
