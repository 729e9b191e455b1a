// The program's one colour type, shared by the portable HTML reader and the
// Windows side: 0x00BBGGRR (red in the low byte, as Windows keeps a colour),
// or a reference to a system colour (kSystemColor | COLOR_* index) that the
// Windows side looks up in the current scheme each time it is used.
#pragma once
#include <cstdint>

namespace velmora {

using TColor = uint32_t;
constexpr TColor kSystemColor = 0x80000000u;
constexpr TColor SystemColor(int index) {
    return kSystemColor | static_cast<TColor>(index);
}
constexpr bool IsSystemColor(TColor color) {
    return (color & kSystemColor) != 0;
}

} // namespace velmora
