// The encodings and line ends of plain-text files, so that a file opened and
// saved without a change of text comes back byte for byte: code page 1254,
// UTF-8 with or without a BOM, UTF-16 LE or BE with a BOM; CRLF, LF or CR.
// The text in between is what the rich-text control holds: UTF-16 units with
// each line break (CRLF, LF or CR in the file) as one CR.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

enum class TextEncoding { Cp1254, Utf8, Utf16LE, Utf16BE };
enum class LineEnd { CrLf, Lf, Cr };

struct TextFormat {
    TextEncoding encoding = TextEncoding::Cp1254;
    bool bom = false;
    // The line end written where the text changed: the one the file uses most
    // (the first of them on a tie; CRLF for a file without line breaks).
    LineEnd lineEnd = LineEnd::CrLf;
    bool operator==(const TextFormat&) const = default;
};

// The encoding by the BOM (UTF-16 LE/BE, UTF-8), else UTF-8 when the bytes are
// valid UTF-8 holding a byte over 0x7F, else code page 1254; and the line end.
TextFormat DetectTextFormat(std::string_view bytes);

// The character a byte of code page 1254 stands for (the five bytes the code
// page leaves undefined stand for the C1 controls of the same value).
char16_t Cp1254ToUnicode(uint8_t byte);

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

struct DecodedText {
    TextFormat format;
    std::u16string text;
};

// Detects the format and decodes. Bytes that do not decode (invalid UTF-8, an
// odd last byte of UTF-16) become U+FFFD, one for each byte.
DecodedText DecodeText(std::string_view bytes);
// Decodes as the given encoding (a BOM it starts with is skipped when
// format.bom says there is one).
std::u16string DecodeAs(std::string_view bytes, const TextFormat& format);

// The position of the first unit the encoding cannot hold (code page 1254
// holds 256 characters, the others everything); npos when there is none.
size_t FindUnencodable(std::u16string_view text, TextEncoding encoding);

// The bytes of text in the format: BOM, line breaks (CR, LF or CRLF in text,
// each one) as format.lineEnd. What the encoding cannot hold becomes '?' (code
// page) or U+FFFD (a lone surrogate in UTF-8): callers ask FindUnencodable first.
std::string EncodeText(std::u16string_view text, const TextFormat& format);

// The bytes to save for text when the file read was `original` in `format`:
// the original bytes where the text begins and ends as it was read (so an
// unchanged text gives the original back exactly, mixed line ends and odd
// bytes included), and the changed part between encoded with format.lineEnd.
// (format is the one DecodeText gave for original.) Whatever is written reads
// back as the text; in the rare case where kept bytes would not, the whole
// text is written anew.
std::string EncodeKeeping(std::string_view original, const TextFormat& format, std::u16string_view text);
// How often EncodeKeeping had to write a whole text anew (for the tests).
int EncodeKeepingFallbacks();

// The control's plain-text stream (a paragraph break as CRLF) in the form the
// decoder gives: each CRLF, LF or CR one CR.
std::u16string NormalizeLineBreaks(std::u16string_view text);

// A 64-bit fingerprint (FNV-1a) of a text, to tell whether it changed.
uint64_t TextFingerprint(std::u16string_view text);

} // namespace velmora
