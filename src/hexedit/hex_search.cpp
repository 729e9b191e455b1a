#include "hexedit/hex_search.h"

#include <cstring>

#include "base/os.h"

namespace velmora::hex {

int32_t ParsePosition(std::string text) {
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    }
    if (i >= text.size()) return -1;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return -1;
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0xFFFFFFFFll) return -1;
    }
    if (hex && value > 0x7FFFFFFF) value -= 0x100000000ll; // "$FFFFFFFF" is -1, as 32-bit values go
    if (!hex && value > 0x7FFFFFFF + (negative ? 1ll : 0ll)) return -1;
    return static_cast<int32_t>(negative ? -value : value);
}

bool IsTextSearch(const std::string& text) {
    return !text.empty() && os::UpperAnsi(text[0]) != '$';
}

std::vector<uint8_t> SearchPattern(const std::string& text) {
    std::vector<uint8_t> pattern;
    if (text.empty()) return pattern;
    if (IsTextSearch(text)) {
        pattern.assign(text.begin(), text.end());
        return pattern;
    }
    std::string digits;
    for (char c : os::AnsiLowerCase(text))
        if (std::strchr("0123456789abcdef", c) && c != '\0') digits += c;
    if (digits.size() % 2) digits.insert(digits.begin(), '0');
    auto value = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        pattern.push_back(static_cast<uint8_t>(value(digits[i]) * 16 + value(digits[i + 1])));
    return pattern;
}

} // namespace velmora::hex
