// Text helpers of the HTML reader. Attribute values compare without regard to
// the case of ASCII letters only: base/ascii_text.h.
#pragma once
#include <string>

namespace velmora::html {

// Without the leading and trailing control characters and spaces.
inline std::string TrimCopy(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

} // namespace velmora::html
