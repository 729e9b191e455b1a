// Number pictures of the status line: "###,##0.00" and "###,###" with the
// given thousands and decimal separators.
#pragma once
#include <string>

namespace velmora {

// At least one integer digit, exactly `decimals` decimals, integer digits grouped
// by thousands; halves round away from zero.
std::string FormatGrouped(double value, int decimals, char thousands, char decimal);
// Rounded to a whole number and grouped by thousands; no mandatory digit, so a
// value that rounds to 0 gives an empty text.
std::string FormatGroupedOptional(double value, char thousands);

} // namespace velmora
