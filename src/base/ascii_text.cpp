#include "base/ascii_text.h"

namespace velmora {

std::string LowerAscii(std::string text) {
    for (char& c : text)
        c = LowerAsciiChar(c);
    return text;
}

std::string UpperAscii(std::string text) {
    for (char& c : text)
        c = UpperAsciiChar(c);
    return text;
}

} // namespace velmora
