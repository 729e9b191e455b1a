#include <cstddef>
#include <cstdint>

#include "html/images/transparency_probes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t color;
    velmora::images::ProbeGifTransparency(data, size, color);
    return 0;
}
