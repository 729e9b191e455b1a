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
// The platform's value; <windows.h> defines it as a macro, so a file may
// include that header before this one.
#ifndef DEFAULT_CHARSET
constexpr uint8_t DEFAULT_CHARSET = 1;
#endif

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

// Text is measured by the document's font index (the font itself comes
// along so that an implementation can make it once and keep it by index).
class FontMetricsSource {
public:
    virtual ~FontMetricsSource() = default;
    virtual TFontMetrics Metrics(const TMyFont& font) = 0;
    virtual int32_t TextWidth(uint32_t fontIndex, const TMyFont& font, std::string_view text) = 0;
    // All prefix widths of a run in one call: widths[i] is the width of the
    // first i + 1 characters. Measuring stops after the first prefix wider
    // than maxExtent; returns how many widths were written.
    virtual size_t PrefixWidths(uint32_t fontIndex, const TMyFont& font, std::string_view text,
                                int32_t maxExtent, int32_t* widths) = 0;
    // The document's font indexes are about to be reused for other fonts.
    virtual void ForgetFonts() {}
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
    static int32_t CharWidth(const TMyFont& font) {
        return (font.FixedPitch ? MulDiv(font.Size, 2, 3) : font.Size / 2) + ((font.Style & fsBold) ? 1 : 0);
    }
    int32_t TextWidth(uint32_t, const TMyFont& font, std::string_view text) override {
        ++Calls;
        return static_cast<int32_t>(text.size()) * CharWidth(font);
    }
    size_t PrefixWidths(uint32_t, const TMyFont& font, std::string_view text, int32_t maxExtent,
                        int32_t* widths) override {
        ++Calls;
        const int32_t w = CharWidth(font);
        int32_t total = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            total += w;
            widths[i] = total;
            if (total > maxExtent) return i + 1;
        }
        return text.size();
    }
    size_t Calls = 0; // measuring calls, for tests that count them
};

} // namespace velmora::html
