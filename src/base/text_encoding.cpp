#include "base/text_encoding.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <type_traits>
#include <vector>

namespace velmora {

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';
constexpr char16_t kReplacement = 0xFFFD;

std::atomic<int> keepingFallbacks{0};

// Code page 1254 from 0x80 to 0x9F. The five bytes the code page leaves
// undefined map to the C1 controls of the same value, as Windows maps them,
// so that they come back as they were.
constexpr char16_t kCp1254High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x008E, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178,
};

// The byte of a unit in code page 1254, or -1.
int ToCp1254(char16_t unit) {
    static const std::array<int16_t, 0x10000> table = [] {
        std::array<int16_t, 0x10000> made;
        made.fill(-1);
        for (int b = 0; b < 256; ++b)
            made[Cp1254ToUnicode(static_cast<uint8_t>(b))] = static_cast<int16_t>(b);
        return made;
    }();
    return table[unit];
}

bool IsHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// The length of the well-formed UTF-8 sequence at p (left bytes there), 0 when
// there is none; the code point in cp.
size_t Utf8Sequence(const uint8_t* p, size_t left, uint32_t& cp) {
    const uint8_t b0 = p[0];
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t need;
    uint8_t lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (left < need + 1) return 0;
    for (size_t i = 1; i <= need; ++i) {
        const uint8_t b = p[i];
        if (b < (i == 1 ? lo : 0x80) || b > (i == 1 ? hi : 0xBF)) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    return need + 1;
}

size_t BomLength(const TextFormat& format) {
    if (!format.bom) return 0;
    return format.encoding == TextEncoding::Utf8 ? 3 : format.encoding == TextEncoding::Cp1254 ? 0 : 2;
}

enum class StepKind { Text, LoneCr, CrLf, LoneLf };

const std::array<char16_t, 256>& Cp1254Table() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> made{};
        for (int b = 0; b < 256; ++b)
            made[static_cast<size_t>(b)] = Cp1254ToUnicode(static_cast<uint8_t>(b));
        return made;
    }();
    return table;
}

// Walks the steps of decoding from byte `start`: a character (one or two
// units) or a line break (one CR unit for CRLF, LF or CR). For each step
// visit(units, count, byte, length, kind) is called; it returns false to stop.
// Bytes that do not decode are one U+FFFD each. With `run`, a run of ASCII
// characters other than CR and LF (in code page 1254 and UTF-8) is handed to
// run(bytes, count) at once instead.
template <typename Visit, typename Run = std::nullptr_t>
void WalkSteps(std::string_view bytes, TextEncoding encoding, size_t start, Visit&& visit,
               Run&& run = nullptr) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t n = bytes.size();
    char16_t units[2];
    auto asciiRun = [&](size_t& i) {
        if constexpr (std::is_same_v<std::decay_t<Run>, std::nullptr_t>) {
            return false;
        } else {
            size_t j = i;
            while (j < n && p[j] < 0x80 && p[j] != '\r' && p[j] != '\n')
                ++j;
            if (j == i) return false;
            run(p + i, j - i);
            i = j;
            return true;
        }
    };
    switch (encoding) {
    case TextEncoding::Cp1254: {
        const std::array<char16_t, 256>& table = Cp1254Table();
        for (size_t i = start; i < n;) {
            if (asciiRun(i)) continue;
            const uint8_t b = p[i];
            if (b == '\r') {
                const bool pair = i + 1 < n && p[i + 1] == '\n';
                units[0] = kCr;
                if (!visit(units, 1, i, pair ? 2u : 1u, pair ? StepKind::CrLf : StepKind::LoneCr)) return;
                i += pair ? 2 : 1;
                continue;
            }
            units[0] = b == '\n' ? kCr : table[b];
            if (!visit(units, 1, i, 1u, b == '\n' ? StepKind::LoneLf : StepKind::Text)) return;
            ++i;
        }
        return;
    }
    case TextEncoding::Utf8:
        for (size_t i = start; i < n;) {
            if (asciiRun(i)) continue;
            const uint8_t b = p[i];
            if (b == '\r') {
                const bool pair = i + 1 < n && p[i + 1] == '\n';
                units[0] = kCr;
                if (!visit(units, 1, i, pair ? 2u : 1u, pair ? StepKind::CrLf : StepKind::LoneCr)) return;
                i += pair ? 2 : 1;
                continue;
            }
            if (b < 0x80) {
                units[0] = b == '\n' ? kCr : b;
                if (!visit(units, 1, i, 1u, b == '\n' ? StepKind::LoneLf : StepKind::Text)) return;
                ++i;
                continue;
            }
            uint32_t cp = 0;
            size_t length = Utf8Sequence(p + i, n - i, cp);
            int count = 1;
            if (length == 0) {
                units[0] = kReplacement;
                length = 1;
            } else if (cp >= 0x10000) {
                cp -= 0x10000;
                units[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
                units[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
                count = 2;
            } else {
                units[0] = static_cast<char16_t>(cp);
            }
            if (!visit(units, count, i, length, StepKind::Text)) return;
            i += length;
        }
        return;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        const bool little = encoding == TextEncoding::Utf16LE;
        auto unitAt = [&](size_t i) -> char16_t {
            return little ? static_cast<char16_t>(p[i] | (p[i + 1] << 8))
                          : static_cast<char16_t>((p[i] << 8) | p[i + 1]);
        };
        for (size_t i = start; i < n;) {
            if (n - i < 2) {
                units[0] = kReplacement; // an odd last byte
                visit(units, 1, i, 1u, StepKind::Text);
                return;
            }
            const char16_t u = unitAt(i);
            if (u == kCr) {
                const bool pair = n - i >= 4 && unitAt(i + 2) == kLf;
                units[0] = kCr;
                if (!visit(units, 1, i, pair ? 4u : 2u, pair ? StepKind::CrLf : StepKind::LoneCr)) return;
                i += pair ? 4 : 2;
                continue;
            }
            units[0] = u == kLf ? kCr : u;
            if (!visit(units, 1, i, 2u, u == kLf ? StepKind::LoneLf : StepKind::Text)) return;
            i += 2;
        }
        return;
    }
    }
}

TextFormat DetectEncoding(std::string_view bytes) {
    TextFormat format;
    auto starts = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    if (starts("\xFF\xFE")) {
        format.encoding = TextEncoding::Utf16LE;
        format.bom = true;
    } else if (starts("\xFE\xFF")) {
        format.encoding = TextEncoding::Utf16BE;
        format.bom = true;
    } else if (starts("\xEF\xBB\xBF")) {
        format.encoding = TextEncoding::Utf8;
        format.bom = true;
    } else if (std::any_of(bytes.begin(), bytes.end(),
                           [](char c) { return static_cast<uint8_t>(c) > 0x7F; }) &&
               IsValidUtf8(bytes)) {
        format.encoding = TextEncoding::Utf8;
    }
    return format;
}

// Decodes from after the BOM, counting the kinds of line breaks; the text is
// appended to out when it is not null.
TextFormat DecodeCounting(std::string_view bytes, std::u16string* out) {
    TextFormat format = DetectEncoding(bytes);
    size_t counts[3] = {0, 0, 0}; // CRLF, LF, CR
    int order[3] = {-1, -1, -1};  // the break number that first showed each kind
    int breaks = 0;
    size_t written = 0;
    if (out) out->resize(bytes.size() + 1);
    WalkSteps(
        bytes, format.encoding, BomLength(format),
        [&](const char16_t* units, int count, size_t, size_t, StepKind kind) {
            if (out) {
                (*out)[written] = units[0];
                if (count == 2) (*out)[written + 1] = units[1];
            }
            written += static_cast<size_t>(count);
            if (kind == StepKind::Text) return true;
            int which = kind == StepKind::CrLf ? 0 : kind == StepKind::LoneLf ? 1 : 2;
            if (order[which] < 0) order[which] = breaks;
            ++counts[which];
            ++breaks;
            return true;
        },
        [&](const uint8_t* ascii, size_t count) {
            if (out)
                for (size_t k = 0; k < count; ++k)
                    (*out)[written + k] = ascii[k];
            written += count;
        });
    if (out) out->resize(written);
    int best = -1;
    for (int kind = 0; kind < 3; ++kind) {
        if (counts[kind] == 0) continue;
        if (best < 0 || counts[kind] > counts[best] ||
            (counts[kind] == counts[best] && order[kind] < order[best]))
            best = kind;
    }
    format.lineEnd = best <= 0 ? LineEnd::CrLf : best == 1 ? LineEnd::Lf : LineEnd::Cr;
    return format;
}

void AppendUnit(std::string& out, char16_t unit, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf16LE) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    } else {
        out += static_cast<char>(unit >> 8);
        out += static_cast<char>(unit & 0xFF);
    }
}

void AppendCodePoint(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendLineEnd(std::string& out, LineEnd lineEnd, TextEncoding encoding) {
    const char16_t* units = lineEnd == LineEnd::CrLf ? u"\r\n" : lineEnd == LineEnd::Lf ? u"\n" : u"\r";
    for (; *units; ++units) {
        if (encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE)
            AppendUnit(out, *units, encoding);
        else
            out += static_cast<char>(*units);
    }
}

std::string Bom(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8:
        return "\xEF\xBB\xBF";
    case TextEncoding::Utf16LE:
        return "\xFF\xFE";
    case TextEncoding::Utf16BE:
        return "\xFE\xFF";
    case TextEncoding::Cp1254:
        break;
    }
    return {};
}

// The text without a BOM. The first and the last line break may be given
// their own line end (so that they do not join a CR or LF beside them into
// one CRLF).
void EncodeBody(std::string& out, std::u16string_view text, TextEncoding encoding, LineEnd lineEnd,
                LineEnd firstBreak, LineEnd lastBreak) {
    auto isBreak = [](char16_t u) { return u == kCr || u == kLf; };
    size_t firstBreakAt = std::u16string_view::npos, lastBreakAt = std::u16string_view::npos;
    if (firstBreak != lineEnd)
        firstBreakAt = static_cast<size_t>(std::find_if(text.begin(), text.end(), isBreak) - text.begin());
    if (lastBreak != lineEnd) {
        for (size_t i = text.size(); i-- > 0;) {
            if (isBreak(text[i])) {
                lastBreakAt = text[i] == kLf && i > 0 && text[i - 1] == kCr ? i - 1 : i;
                break;
            }
        }
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (isBreak(u)) {
            LineEnd end = i == firstBreakAt ? firstBreak : i == lastBreakAt ? lastBreak : lineEnd;
            if (u == kCr && i + 1 < text.size() && text[i + 1] == kLf) ++i;
            AppendLineEnd(out, end, encoding);
            continue;
        }
        switch (encoding) {
        case TextEncoding::Cp1254: {
            int b = ToCp1254(u);
            out += b < 0 ? '?' : static_cast<char>(b);
            break;
        }
        case TextEncoding::Utf8:
            if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
                AppendCodePoint(out, 0x10000 + ((static_cast<uint32_t>(u) - 0xD800) << 10) +
                                         (static_cast<uint32_t>(text[i + 1]) - 0xDC00));
                ++i;
            } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
                AppendCodePoint(out, kReplacement);
            } else {
                AppendCodePoint(out, u);
            }
            break;
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE:
            AppendUnit(out, u, encoding);
            break;
        }
    }
}

// Where a unit position falls in the original's steps: the step boundary at or
// before it (atOrBefore) or at or after it, with the boundary's byte offset and
// the kind of line break on either side of it.
struct Boundary {
    size_t unit = 0, byte = 0;
    bool loneCrBefore = false; // the step ending here is a CR not followed by LF
    bool loneLfAfter = false;  // the step starting here is an LF not after a CR
};

// A step's start in the original: its byte offset and unit position.
struct StepStart {
    size_t byte = 0, unit = 0;
};

// The prefix boundary (the last step boundary at or before prefixUnits) and
// the suffix boundary (the first at or after suffixStartUnits). Also, for the
// check of what is written: a step start at least four bytes before the
// prefix boundary (a step reads no further ahead than that), and the first
// step starts from the suffix boundary on (the end of the text included).
void FindBoundaries(std::string_view original, const TextFormat& format, size_t prefixUnits,
                    size_t suffixStartUnits, Boundary& prefix, Boundary& suffix, StepStart& before,
                    std::vector<StepStart>& after) {
    constexpr size_t kAfter = 8;
    const size_t first = BomLength(format);
    StepStart recent[4];
    size_t steps = 0;
    size_t unit = 0;
    StepKind last = StepKind::Text;
    bool prefixDone = false, suffixDone = false;
    after.clear();
    auto backFour = [&] { return steps < 4 ? StepStart{first, 0} : recent[steps % 4]; };
    WalkSteps(original, format.encoding, first,
              [&](const char16_t*, int count, size_t byte, size_t, StepKind kind) {
                  const size_t next = unit + static_cast<size_t>(count);
                  if (!prefixDone && next > prefixUnits) {
                      prefix = Boundary{unit, byte, last == StepKind::LoneCr, kind == StepKind::LoneLf};
                      before = backFour();
                      prefixDone = true;
                  }
                  if (unit >= suffixStartUnits) {
                      if (!suffixDone)
                          suffix = Boundary{unit, byte, last == StepKind::LoneCr, kind == StepKind::LoneLf};
                      suffixDone = true;
                      after.push_back(StepStart{byte, unit});
                      if (after.size() >= kAfter) return false;
                  }
                  recent[steps++ % 4] = StepStart{byte, unit};
                  unit = next;
                  last = kind;
                  return true;
              });
    if (after.size() >= kAfter) return;
    // The end of the text is the boundary after the last step.
    const Boundary end{unit, original.size(), last == StepKind::LoneCr, false};
    if (!suffixDone) suffix = end;
    if (!prefixDone) {
        prefix = end;
        before = backFour();
    }
    after.push_back(StepStart{original.size(), unit});
}

// Whether out (the original with its bytes from suffixStart in the original
// moved to outSuffixStart) reads back as text, looking only where it can
// differ: from `before` until the reading meets a step start of the
// original's suffix. False also when that cannot be told here.
bool ReadsBackAround(std::string_view out, const TextFormat& format, std::u16string_view text, size_t wasSize,
                     const StepStart& before, size_t outSuffixStart, size_t suffixStart,
                     const std::vector<StepStart>& after) {
    size_t t = before.unit;
    bool stopped = false, ok = false;
    WalkSteps(out, format.encoding, before.byte,
              [&](const char16_t* units, int count, size_t byte, size_t, StepKind) {
                  if (byte >= outSuffixStart) {
                      const size_t originalByte = byte - outSuffixStart + suffixStart;
                      for (const StepStart& s : after) {
                          if (s.byte == originalByte) {
                              // From here on the same bytes read the same.
                              ok = t == s.unit - wasSize + text.size();
                              stopped = true;
                              return false;
                          }
                      }
                      if (originalByte > after.back().byte) {
                          stopped = true;
                          return false;
                      }
                  }
                  for (int k = 0; k < count; ++k, ++t) {
                      if (t >= text.size() || text[t] != units[k]) {
                          stopped = true;
                          return false;
                      }
                  }
                  return true;
              });
    return stopped ? ok : t == text.size();
}

} // namespace

char16_t Cp1254ToUnicode(uint8_t b) {
    if (b < 0x80) return b;
    if (b < 0xA0) return kCp1254High[b - 0x80];
    // Latin-1 but for the six Turkish letters.
    switch (b) {
    case 0xD0:
        return 0x011E; // Ğ
    case 0xDD:
        return 0x0130; // İ
    case 0xDE:
        return 0x015E; // Ş
    case 0xF0:
        return 0x011F; // ğ
    case 0xFD:
        return 0x0131; // ı
    case 0xFE:
        return 0x015F; // ş
    }
    return b;
}

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t i = 0;
    while (i < bytes.size()) {
        // Runs of ASCII quickly.
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        uint32_t cp;
        size_t n = Utf8Sequence(p + i, bytes.size() - i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

TextFormat DetectTextFormat(std::string_view bytes) {
    return DecodeCounting(bytes, nullptr);
}

DecodedText DecodeText(std::string_view bytes) {
    DecodedText decoded;
    decoded.format = DecodeCounting(bytes, &decoded.text);
    return decoded;
}

std::u16string DecodeAs(std::string_view bytes, const TextFormat& format) {
    size_t start = BomLength(format);
    if (bytes.substr(0, start) != Bom(format.encoding).substr(0, start)) start = 0;
    std::u16string text(bytes.size() + 1, u'\0');
    size_t written = 0;
    char16_t* out = text.data();
    WalkSteps(
        bytes, format.encoding, start,
        [&](const char16_t* units, int count, size_t, size_t, StepKind) {
            out[written] = units[0];
            if (count == 2) out[written + 1] = units[1];
            written += static_cast<size_t>(count);
            return true;
        },
        [&](const uint8_t* ascii, size_t count) {
            for (size_t k = 0; k < count; ++k)
                out[written + k] = ascii[k];
            written += count;
        });
    text.resize(written);
    return text;
}

size_t FindUnencodable(std::u16string_view text, TextEncoding encoding) {
    if (encoding != TextEncoding::Cp1254) return std::u16string_view::npos;
    for (size_t i = 0; i < text.size(); ++i)
        if (ToCp1254(text[i]) < 0) return i;
    return std::u16string_view::npos;
}

std::string EncodeText(std::u16string_view text, const TextFormat& format) {
    std::string out = format.bom ? Bom(format.encoding) : std::string();
    out.reserve(out.size() + text.size() * (format.encoding == TextEncoding::Cp1254 ? 1 : 2) + 16);
    EncodeBody(out, text, format.encoding, format.lineEnd, format.lineEnd, format.lineEnd);
    return out;
}

std::string EncodeKeeping(std::string_view original, const TextFormat& format, std::u16string_view edited) {
    std::u16string normalized;
    std::u16string_view text = edited;
    if (edited.find(kLf) != std::u16string_view::npos) {
        normalized = NormalizeLineBreaks(edited);
        text = normalized;
    }
    const std::u16string was = DecodeAs(original, format);
    const size_t limit = std::min(was.size(), text.size());
    size_t same = 0;
    while (same < limit && was[same] == text[same])
        ++same;
    size_t sameEnd = 0;
    while (sameEnd < limit - same && was[was.size() - 1 - sameEnd] == text[text.size() - 1 - sameEnd])
        ++sameEnd;

    Boundary prefix, suffix;
    StepStart before;
    std::vector<StepStart> after;
    FindBoundaries(original, format, same, was.size() - sameEnd, prefix, suffix, before, after);
    std::u16string_view middle;
    // The kept bytes must read back as they did where they meet what is
    // written between them; where they would not, the last kept character
    // before goes into the changed part.
    for (;;) {
        middle = text.substr(prefix.unit, text.size() - (was.size() - suffix.unit) - prefix.unit);
        if (prefix.unit == 0) break;
        const auto next = static_cast<uint8_t>(suffix.byte < original.size() ? original[suffix.byte] : 0);
        // A lone CR and a lone LF side by side read back as one CRLF.
        const bool joinedBreak = middle.empty() && prefix.loneCrBefore && suffix.loneLfAfter;
        // An invalid UTF-8 lead byte before a continuation byte may make a character.
        const bool joinedSequence = middle.empty() && format.encoding == TextEncoding::Utf8 &&
                                    suffix.byte < original.size() && next >= 0x80 && next <= 0xBF;
        // An odd last byte of UTF-16 is kept only at the end.
        const bool oddByteInside =
            (format.encoding == TextEncoding::Utf16LE || format.encoding == TextEncoding::Utf16BE) &&
            prefix.byte == original.size() && (original.size() - BomLength(format)) % 2 == 1 &&
            !middle.empty();
        if (!joinedBreak && !joinedSequence && !oddByteInside) break;
        FindBoundaries(original, format, prefix.unit - 1, suffix.unit, prefix, suffix, before, after);
    }
    // The changed part's first and last line breaks must not join a kept lone
    // CR before them or a kept lone LF after them into one CRLF: such a break
    // is written as CRLF.
    auto isBreak = [](char16_t u) { return u == kCr || u == kLf; };
    LineEnd firstBreak = format.lineEnd, lastBreak = format.lineEnd;
    if (prefix.loneCrBefore && format.lineEnd == LineEnd::Lf && !middle.empty() && isBreak(middle.front()))
        firstBreak = LineEnd::CrLf;
    if (suffix.loneLfAfter && format.lineEnd == LineEnd::Cr && !middle.empty() && isBreak(middle.back()))
        lastBreak = LineEnd::CrLf;

    std::string out;
    out.reserve(original.size() + middle.size() * 2);
    out.append(original.substr(0, prefix.byte));
    EncodeBody(out, middle, format.encoding, format.lineEnd, firstBreak, lastBreak);
    out.append(original.substr(suffix.byte));
    // What is written reads back as the text, or the whole text is written
    // anew. (Not for a changed part the encoding cannot hold as it is: the
    // kept parts hold only what the original held.)
    bool exact = FindUnencodable(middle, format.encoding) == std::u16string::npos;
    if (format.encoding == TextEncoding::Utf8)
        for (size_t i = 0; exact && i < middle.size(); ++i) {
            if (IsHighSurrogate(middle[i]) && i + 1 < middle.size() && IsLowSurrogate(middle[i + 1]))
                ++i;
            else if (IsHighSurrogate(middle[i]) || IsLowSurrogate(middle[i]))
                exact = false;
        }
    const size_t outSuffixStart = out.size() - (original.size() - suffix.byte);
    if (exact &&
        !ReadsBackAround(out, format, text, was.size(), before, outSuffixStart, suffix.byte, after) &&
        DecodeAs(out, format) != text) {
        ++keepingFallbacks;
        return EncodeText(text, format);
    }
    return out;
}

int EncodeKeepingFallbacks() {
    return keepingFallbacks;
}

std::u16string NormalizeLineBreaks(std::u16string_view text) {
    std::u16string out(text.size(), u'\0');
    const char16_t* from = text.data();
    const char16_t* end = from + text.size();
    char16_t* to = out.data();
    while (from < end) {
        const char16_t u = *from++;
        if (u == kCr) {
            if (from < end && *from == kLf) ++from;
        } else if (u == kLf) {
            *to++ = kCr;
            continue;
        }
        *to++ = u;
    }
    out.resize(static_cast<size_t>(to - out.data()));
    return out;
}

uint64_t TextFingerprint(std::u16string_view text) {
    // FNV-1a over the 16-bit units.
    uint64_t hash = 14695981039346656037ull;
    for (char16_t u : text)
        hash = (hash ^ u) * 1099511628211ull;
    return hash;
}

} // namespace velmora
