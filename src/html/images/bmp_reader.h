// Our own BMP reader: the formats BMP files in the wild use.
#pragma once
#include "html/images/picture.h"

namespace velmora::images {

// 1/4/8-bit pictures (RLE4/RLE8 included) give 8-bit indices with their
// palette; 16/24/32-bit ones give 24-bit pixels. False with a reason otherwise.
bool DecodeBmp(const uint8_t* data, size_t size, PixelImage& out, std::string& error);

} // namespace velmora::images
