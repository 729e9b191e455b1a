// Text files' encodings and line ends: any bytes read and written back without
// a change of text give the same bytes; an edit reads back as the edited text
// and keeps the BOM. The first four bytes of the input choose the edit (where,
// how much is removed, which part of the text is put in), the rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/text_encoding.h"

namespace {
void CheckAt(bool condition, int line) {
    if (condition) return;
    std::fprintf(stderr, "text_encoding_fuzz.cpp:%d: check failed\n", line);
    std::abort();
}
#define Check(condition) CheckAt((condition), __LINE__)

bool HasLoneSurrogate(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;
        else if (u >= 0xD800 && u <= 0xDFFF)
            return true;
    }
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 4, size - 4);
    const velmora::DecodedText decoded = velmora::DecodeText(bytes);
    const velmora::TextFormat format = decoded.format;
    const std::u16string& text = decoded.text;
    Check(velmora::DetectTextFormat(bytes) == format);
    Check(format.encoding == velmora::TextEncoding::Cp1254 || format.bom || velmora::IsValidUtf8(bytes));
    Check(text.find(u'\n') == std::u16string::npos);
    Check(velmora::DecodeAs(bytes, format) == text);

    // Unchanged: the very bytes.
    Check(velmora::EncodeKeeping(bytes, format, text) == bytes);
    // Written anew in the same format, the text reads back.
    Check(velmora::FindUnencodable(text, format.encoding) == std::u16string::npos);
    Check(velmora::DecodeAs(velmora::EncodeText(text, format), format) == text);

    // An edit: a part removed and a piece of the text (and a line break) put in.
    const size_t at = text.empty() ? 0 : data[0] * text.size() / 256;
    const size_t removed = std::min<size_t>(data[1] % 8, text.size() - at);
    const size_t from = text.empty() ? 0 : data[2] * text.size() / 256;
    std::u16string insert = text.substr(from, data[3] % 8);
    if (data[3] & 0x80) insert += u'\r';
    if (data[3] & 0x40) insert.insert(insert.begin(), u'\r');
    std::u16string edited = text;
    edited.replace(at, removed, insert);
    const std::string saved = velmora::EncodeKeeping(bytes, format, edited);
    const size_t bom = !format.bom ? 0 : format.encoding == velmora::TextEncoding::Utf8 ? 3 : 2;
    Check(saved.compare(0, bom, bytes, 0, bom) == 0);
    if (!(format.encoding == velmora::TextEncoding::Utf8 && HasLoneSurrogate(edited)))
        Check(velmora::DecodeAs(saved, format) == edited);
    Check(velmora::EncodeKeepingFallbacks() == 0);
    // Undone, the edit gives the file back.
    Check(velmora::EncodeKeeping(bytes, format, velmora::NormalizeLineBreaks(text)) == bytes);
    return 0;
}
