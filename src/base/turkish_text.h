// Letter case of Turkish text in code page 1254, as a Turkish reader sees it:
// 'I' goes with dotless 'ı' and dotted 'İ' with 'i'. The platform's own rules
// (CharLower, the rich-text control's find) pair 'I' with 'i' and leave 'İ'
// and 'ı' without a partner, and the control's find folds only ASCII letters.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// The small letter of c by Turkish rules; c itself when it is no capital.
char TurkishLower(char c);
std::string TurkishLowerCase(std::string text);

// The first position at or after from where what stands in text, letter case
// ignored by Turkish rules; npos when it is nowhere or what is empty.
size_t FindIgnoringCase(std::string_view text, std::string_view what, size_t from = 0);

} // namespace velmora
