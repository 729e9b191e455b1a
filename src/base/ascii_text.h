// Letter case of ASCII letters only: HTML names and values, file-name
// extensions and registry keys compare this way. Every other byte, the code
// page's own letters included, is kept as it is.
#pragma once
#include <string>

namespace velmora {

constexpr char LowerAsciiChar(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char UpperAsciiChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string LowerAscii(std::string text);
std::string UpperAscii(std::string text);

} // namespace velmora
