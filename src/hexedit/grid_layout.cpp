#include "hexedit/grid_layout.h"

#include <cstdio>

namespace velmora::hex {

int32_t OffsetWidthChars(TOffsetDisplayStyle style, int32_t dataSize) {
    char digits[16];
    switch (style) {
    case TOffsetDisplayStyle::odHex:
        return std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(dataSize)) + 3;
    case TOffsetDisplayStyle::odDec:
        return std::snprintf(digits, sizeof digits, "%d", dataSize) + 1;
    case TOffsetDisplayStyle::odNone:
        return 0;
    }
    return 0;
}

std::string OffsetText(TOffsetDisplayStyle style, int32_t offset, int32_t widthChars, char separator) {
    char text[48];
    switch (style) {
    case TOffsetDisplayStyle::odHex:
        std::snprintf(text, sizeof text, "0x%0*X%c", widthChars - 3 > 0 ? widthChars - 3 : 1,
                      static_cast<unsigned>(offset), separator);
        return text;
    case TOffsetDisplayStyle::odDec:
        std::snprintf(text, sizeof text, "%0*d%c", widthChars - 1 > 0 ? widthChars - 1 : 1, offset,
                      separator);
        return text;
    case TOffsetDisplayStyle::odNone:
        return " ";
    }
    return " ";
}

int32_t ColumnWidthChars(int32_t col, int32_t bpl, int32_t bytesPerColumn, int32_t offsetChars,
                         bool showMarkerColumn) {
    if (col == 0) return offsetChars;
    if (col == 1) return showMarkerColumn ? 1 : 0;
    if (IsHexColumn(col, bpl)) {
        int32_t group = 2 * (bytesPerColumn < 1 ? 1 : bytesPerColumn);
        return col % group == 1 ? 2 : 1;
    }
    return 1;
}

} // namespace velmora::hex
