// Fonts as the document holds them, and the small interface through which
// their metrics are measured: GDI in the program, fixed numbers in tests.
#pragma once
#include "html/symbols.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::html {

// Rounds like the Windows function: to the nearest, halves away from zero;
// -1 when the divisor is 0.
inline int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator) {
    if (denominator == 0) return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const int64_t p = product < 0 ? -product : product;
    const int64_t d = denominator < 0 ? -static_cast<int64_t>(denominator) : denominator;
    const int64_t q = (p + d / 2) / d;
    return static_cast<int32_t>(negative ? -q : q);
}

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
constexpr uint8_t DEFAULT_CHARSET = 1;

// A font plus the size it has for a default font size of 12 (the nominal
// size) and whether it is the fixed-pitch (preformatted) font.
struct TMyFont {
    std::string Name;
    int32_t Size = 12; // points
    TColor Color = 0;
    int32_t NominalSize = 12;
    uint8_t Style = 0;
    uint8_t CharSet = DEFAULT_CHARSET;
    bool FixedPitch = false;

    // Nominal size and the real size for the document's default size.
    void SetNominalSize(int32_t nominal, int32_t defaultSize) {
        NominalSize = nominal;
        Size = MulDiv(nominal, defaultSize, 12);
    }
    bool operator==(const TMyFont&) const = default;
};

struct TFontMetrics {
    int32_t Height = 0;          // tmHeight
    int32_t ExternalLeading = 0; // tmExternalLeading
    int32_t Descent = 0;
    int32_t Overhang = 0;
};

class FontMetricsSource {
public:
    virtual ~FontMetricsSource() = default;
    virtual TFontMetrics Metrics(const TMyFont& font) = 0;
    virtual int32_t TextWidth(const TMyFont& font, std::string_view text) = 0;
};

// Deterministic metrics that depend only on the size and style: used by tests,
// benchmarks and anything that builds documents without a screen.
class FixedFontMetrics final : public FontMetricsSource {
public:
    TFontMetrics Metrics(const TMyFont& font) override {
        TFontMetrics m;
        m.Height = MulDiv(font.Size, 4, 3);
        m.ExternalLeading = font.Size / 6;
        m.Descent = m.Height / 4;
        m.Overhang = (font.Style & fsItalic) ? 1 : 0;
        return m;
    }
    int32_t TextWidth(const TMyFont& font, std::string_view text) override {
        const int32_t perChar = font.FixedPitch ? MulDiv(font.Size, 2, 3) : font.Size / 2;
        return static_cast<int32_t>(text.size()) * (perChar + ((font.Style & fsBold) ? 1 : 0));
    }
};

} // namespace velmora::html
