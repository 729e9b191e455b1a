// The hex grid's columns: offset, marker, hex field, separator, character
// field. Portable arithmetic shared by the control and its tests.
#pragma once
#include <cstdint>
#include <string>

namespace velmora::hex {

enum class TOffsetDisplayStyle { odHex, odDec, odNone };

struct GridCell {
    int32_t col = 0;
    int32_t row = 0;
};

inline int32_t SeparatorColumn(int32_t bpl) {
    return 2 * bpl + 2;
}
inline int32_t FirstCharColumn(int32_t bpl) {
    return 2 * bpl + 3;
}
inline int32_t ColumnCount(int32_t bpl) {
    return 3 * bpl + 3;
}
inline bool IsCharColumn(int32_t col, int32_t bpl) {
    return col > 2 * bpl + 2;
}
inline bool IsHexColumn(int32_t col, int32_t bpl) {
    return col >= 2 && col <= 2 * bpl + 1;
}

inline int32_t ByteIndexOfCell(int32_t col, int32_t row, int32_t bpl) {
    int64_t index = IsCharColumn(col, bpl) ? static_cast<int64_t>(row) * bpl + col - (2 * bpl + 3)
                                           : static_cast<int64_t>(row) * bpl + (col - 2) / 2;
    return index < 0 ? 0 : static_cast<int32_t>(index);
}

inline GridCell CellOfByte(int32_t index, bool charField, int32_t bpl) {
    GridCell cell;
    cell.row = index / bpl;
    cell.col = charField ? index % bpl + 2 * bpl + 3 : 2 * (index % bpl) + 2;
    return cell;
}

inline int32_t TwinColumn(int32_t col, int32_t bpl) {
    return IsCharColumn(col, bpl) ? 2 * col - 4 * bpl - 4 : (col - 2) / 2 + 2 * bpl + 3;
}

// Width of the offset column in characters.
int32_t OffsetWidthChars(TOffsetDisplayStyle style, int32_t dataSize);
// Text of the offset column for a row starting at offset.
std::string OffsetText(TOffsetDisplayStyle style, int32_t offset, int32_t widthChars, char separator);
// Width of a column in character widths.
int32_t ColumnWidthChars(int32_t col, int32_t bpl, int32_t bytesPerColumn, int32_t offsetChars,
                         bool showMarkerColumn);

} // namespace velmora::hex
