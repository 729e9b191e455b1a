#include "base/number_format.h"

#include <cmath>
#include <cstdio>

namespace velmora {

namespace {

std::string Group(const std::string& digits, char thousands) {
    std::string out;
    int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += thousands;
        out += digits[i];
    }
    return out;
}

} // namespace

std::string FormatGrouped(double value, int decimals, char thousands, char decimal) {
    double scale = std::pow(10.0, decimals);
    // Round half away from zero on the scaled value; a tiny nudge absorbs binary noise (2.675 -> 2.68).
    double scaled = std::floor(std::fabs(value) * scale + 0.5 + 1e-9);
    bool negative = value < 0 && scaled > 0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f", scaled);
    std::string digits = buffer;
    if (static_cast<int>(digits.size()) <= decimals) digits.insert(0, decimals + 1 - digits.size(), '0');
    std::string integer = digits.substr(0, digits.size() - decimals);
    std::string fraction = digits.substr(digits.size() - decimals);
    std::string out = (negative ? "-" : "") + Group(integer, thousands);
    if (decimals > 0) out += decimal + fraction;
    return out;
}

std::string FormatGroupedOptional(double value, char thousands) {
    double rounded = std::floor(std::fabs(value) + 0.5);
    if (rounded == 0) return {};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f", rounded);
    return (value < 0 ? "-" : "") + Group(buffer, thousands);
}

} // namespace velmora
