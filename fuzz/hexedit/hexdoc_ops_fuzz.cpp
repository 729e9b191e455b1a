// Runs a sequence of edits, selections, seeks and searches read from the input
// on a hex document and checks every result against a plain byte vector.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/os.h"
#include "hexedit/hex_document.h"

using velmora::hex::HexDocument;
namespace os = velmora::os;

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool Empty() const { return at >= size; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
};

#define CHECK(cond)                                                                                          \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            std::fprintf(stderr, "check failed: %s (line %d)\n", #cond, __LINE__);                           \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

int32_t NaiveFind(const std::vector<uint8_t>& data, std::vector<uint8_t> pattern, int32_t start,
                  int32_t endPos, bool ignoreCase) {
    int32_t size = static_cast<int32_t>(data.size());
    int32_t count = static_cast<int32_t>(pattern.size());
    if (endPos >= size) endPos = size - 1;
    if (start < 0) start = 0;
    if (count < 1 || start + count > endPos + 1) return -1;
    auto fold = [&](uint8_t c) {
        return ignoreCase ? static_cast<uint8_t>(os::LowerAnsi(static_cast<char>(c))) : c;
    };
    for (uint8_t& c : pattern)
        c = fold(c);
    for (int32_t p = start; p + count - 1 <= endPos; ++p) {
        int32_t i = 0;
        while (i < count && fold(data[p + i]) == pattern[i])
            ++i;
        if (i == count) return p;
    }
    return -1;
}

std::string Scratch() {
    static std::string path =
        os::TempFolder() + "hexdoc_ops_fuzz_" + std::to_string(os::TickCount()) + ".bin";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{data, size};
    std::vector<uint8_t> model(in.Word() % 700);
    for (uint8_t& b : model)
        b = in.Byte();
    {
        os::File f;
        if (!f.Open(Scratch(), os::File::Mode::Create)) return 0;
        if (!model.empty()) f.Write(model.data(), static_cast<int32_t>(model.size()));
    }
    HexDocument doc;
    CHECK(doc.LoadFromFile(Scratch()));
    for (int step = 0; step < 64 && !in.Empty(); ++step) {
        const int32_t n = static_cast<int32_t>(model.size());
        CHECK(doc.DataSize() == n);
        switch (in.Byte() % 9) {
        case 0: { // overwrite a byte
            if (n == 0) break;
            int32_t at = in.Word() % n;
            uint8_t value = in.Byte();
            doc.ChangeByte(doc.ByteAt(at), value, at);
            model[at] = value;
            CHECK(doc.ByteAt(at) == value);
            break;
        }
        case 1: { // select and remove
            if (n == 0) break;
            int32_t a = in.Word() % n, b = in.Word() % n;
            doc.SetSelStart(a);
            doc.SetSelEnd(b);
            CHECK(doc.SelectionStart() == std::min(a, b) && doc.SelectionEnd() == std::max(a, b));
            CHECK(doc.SelEnd() == b && doc.SelStart() == a);
            doc.DeleteSelection();
            model.erase(model.begin() + std::min(a, b), model.begin() + std::max(a, b) + 1);
            break;
        }
        case 2: { // remove the caret byte
            if (n == 0) {
                doc.DeleteSelection();
                break;
            }
            int32_t a = in.Word() % n;
            doc.SetSelStart(a);
            doc.DeleteSelection();
            model.erase(model.begin() + a);
            break;
        }
        case 3: { // append
            int32_t count = 1 + in.Byte() % 16;
            std::vector<uint8_t> bytes(count);
            for (uint8_t& b : bytes)
                b = in.Byte();
            doc.AppendBytes(bytes.data(), count);
            model.insert(model.end(), bytes.begin(), bytes.end());
            CHECK(doc.SelectionStart() == n && doc.SelectionEnd() == n + count - 1);
            break;
        }
        case 4: { // search
            int32_t count = in.Byte() % 7;
            std::vector<uint8_t> pattern(count);
            for (uint8_t& b : pattern)
                b = in.Byte() % 4 == 0 ? in.Byte() : "aAiI\xDD"[in.Byte() % 5];
            int32_t start = static_cast<int32_t>(in.Word() % 800) - 50;
            int32_t endPos = static_cast<int32_t>(in.Word() % 800) - 50;
            bool ignoreCase = in.Byte() & 1;
            std::vector<uint8_t> buffer = pattern;
            int32_t got = doc.Find(buffer.data(), count, start, endPos, ignoreCase, false);
            CHECK(got == NaiveFind(model, pattern, start, endPos, ignoreCase));
            break;
        }
        case 5: { // seek
            int32_t offset = static_cast<int32_t>(in.Word()) - 32768;
            int32_t origin = in.Byte() % 4;
            bool strict = in.Byte() & 1;
            int64_t base = n == 0 ? 0 : doc.SelStart();
            int64_t target = origin == 0   ? offset
                             : origin == 1 ? offset + base
                             : origin == 2 ? int64_t{offset} + n - 1
                                           : base;
            bool ok = doc.Seek(offset, origin, strict);
            if (n == 0 || (strict && (target < 0 || target >= n))) {
                CHECK(!ok);
            } else {
                CHECK(ok);
                CHECK(doc.SelStart() == std::clamp<int64_t>(target, 0, n - 1));
            }
            break;
        }
        case 6: { // a different line length
            doc.SetBytesPerLine(1 + in.Byte());
            break;
        }
        case 7: { // compare every byte
            for (int32_t i = 0; i < n; ++i)
                CHECK(doc.ByteAt(i) == model[i]);
            break;
        }
        case 8: { // a removal whose tail move meets one failing write: done, or refused as if never tried
            if (n == 0) break;
            int32_t a = in.Word() % n, b = in.Word() % n;
            doc.SetSelStart(a);
            doc.SetSelEnd(b);
            const int32_t records = doc.UndoRecordCount();
            const bool modified = doc.Modified();
            os::FileFaults faults;
            faults.writeBytes = in.Word() % 800;
            faults.writeRecovers = true;
            faults.failTruncate = (in.Byte() & 7) == 0;
            os::InjectFileFaults(faults);
            bool refused = false;
            try {
                doc.DeleteSelection();
            } catch (const std::exception&) {
                refused = true;
            }
            os::ClearFileFaults();
            if (refused) {
                CHECK(doc.LastError() == velmora::hex::HexError::EditFailed);
                CHECK(!doc.Damaged());
                CHECK(doc.UndoRecordCount() == records && doc.Modified() == modified);
            } else {
                model.erase(model.begin() + std::min(a, b), model.begin() + std::max(a, b) + 1);
            }
            CHECK(doc.DataSize() == static_cast<int32_t>(model.size()));
            for (int32_t i = 0; i < doc.DataSize(); ++i)
                CHECK(doc.ByteAt(i) == model[i]);
            break;
        }
        }
        // The journal walks back from its end, record by record.
        const std::vector<uint8_t> j = doc.JournalBytes();
        size_t pos = j.size();
        int32_t records = 0;
        while (pos > 0) {
            CHECK(pos >= 4);
            int32_t length;
            std::memcpy(&length, j.data() + pos - 4, 4);
            CHECK(length >= 37 && static_cast<size_t>(length) <= pos);
            pos -= static_cast<size_t>(length);
            ++records;
        }
        CHECK(records == doc.UndoRecordCount() && records <= 100);
    }
    CHECK(doc.DataSize() == static_cast<int32_t>(model.size()));
    for (int32_t i = 0; i < doc.DataSize(); ++i)
        CHECK(doc.ByteAt(i) == model[i]);
    return 0;
}
