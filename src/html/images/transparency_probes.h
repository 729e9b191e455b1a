// Quick looks at a file's header for a transparent colour, without decoding it.
#pragma once
#include <cstdint>
#include <functional>

#include "html/images/picture.h"

namespace velmora::images {

// GIF89a whose graphic control extension directly follows the global colour
// table, with its transparency flag set: the colour (red in the low byte).
// Only the first 790 bytes are looked at.
bool ProbeGifTransparency(const uint8_t* data, size_t size, uint32_t& color);
bool ProbeGifTransparencyFile(const std::string& path, uint32_t& color);

// PNG with a tRNS chunk before its image data (truecolour or indexed only).
// For indexed pictures `color` is the palette entry at the tRNS length - 1.
bool ProbePngTransparency(const uint8_t* data, size_t size, uint32_t& color);
bool ProbePngTransparencyFile(const std::string& path, uint32_t& color);

} // namespace velmora::images
