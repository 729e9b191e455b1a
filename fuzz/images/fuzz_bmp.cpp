#include <cstddef>
#include <cstdint>

#include "html/images/bmp_reader.h"
#include "html/images/color_reduction.h"

using namespace velmora::images;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PixelImage image;
    std::string error;
    if (DecodeBmp(data, size, image, error) && image.width * int64_t(image.height) <= 4096)
        ReduceToPalette(image, DefaultStaticColors()); // small ones also go through the dithering
    return 0;
}
