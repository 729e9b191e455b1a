// JPEG decoding through libjpeg, with our own error manager: a corrupt file
// gives "no picture" and never ends the process.
#pragma once
#include "html/images/picture.h"

namespace velmora::images {

struct JpegOptions {
    // Empty: 24-bit output. Otherwise libjpeg quantises colour pictures to this
    // palette itself (8-bit output); greyscale pictures come out as 8-bit grey.
    Palette quantizeTo;
};

bool DecodeJpeg(const uint8_t* data, size_t size, const JpegOptions& options, PixelImage& out,
                std::string& error);

} // namespace velmora::images
