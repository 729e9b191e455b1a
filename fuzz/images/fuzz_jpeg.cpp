#include <cstddef>
#include <cstdint>

#include "html/images/color_reduction.h"
#include "html/images/jpeg_loader.h"

using namespace velmora::images;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const JpegOptions quantize{MakeSharedPalette(DefaultStaticColors())};
    PixelImage image;
    std::string error;
    // The first byte picks the output: 24-bit or quantised to the shared palette.
    if (size < 1) return 0;
    DecodeJpeg(data + 1, size - 1, (data[0] & 1) ? quantize : JpegOptions{}, image, error);
    return 0;
}
