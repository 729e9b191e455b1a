// The texts of the hex panel's find and go-to prompts, turned into bytes and
// positions.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::hex {

// "0x10", "$10", "16", "-1" as a 32-bit integer ("0x" stands for "$"); -1 for
// anything that is not such a number.
int32_t ParsePosition(std::string text);
// The bytes a find text stands for: the text itself, or after a "$" the hex
// digits in it, in pairs, with a "0" put in front of an odd count. Empty when
// a "$" text holds no digit.
std::vector<uint8_t> SearchPattern(const std::string& text);
// Whether SearchPattern reads the text as characters (case is then ignored).
bool IsTextSearch(const std::string& text);

} // namespace velmora::hex
