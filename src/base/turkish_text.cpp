#include "base/turkish_text.h"

#include <algorithm>
#include <array>
#include <functional>

#include "base/os.h"

namespace velmora {

namespace {

const std::array<unsigned char, 256>& LowerTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[i] = static_cast<unsigned char>(os::LowerAnsi(static_cast<char>(i)));
        t['I'] = 0xFD; // dotless small i
        t[0xDD] = 'i'; // capital I with a dot
        return t;
    }();
    return table;
}

struct FoldedEqual {
    bool operator()(char a, char b) const { return TurkishLower(a) == TurkishLower(b); }
};
struct FoldedHash {
    size_t operator()(char c) const { return static_cast<unsigned char>(TurkishLower(c)); }
};

} // namespace

char TurkishLower(char c) {
    return static_cast<char>(LowerTable()[static_cast<unsigned char>(c)]);
}

std::string TurkishLowerCase(std::string text) {
    for (char& c : text)
        c = TurkishLower(c);
    return text;
}

size_t FindIgnoringCase(std::string_view text, std::string_view what, size_t from) {
    if (what.empty() || from > text.size() || what.size() > text.size() - from) return std::string_view::npos;
    // Boyer-Moore: a long line searched over a long text of near misses does not
    // cost the one length times the other.
    std::boyer_moore_searcher searcher(what.begin(), what.end(), FoldedHash{}, FoldedEqual{});
    auto found = std::search(text.begin() + static_cast<ptrdiff_t>(from), text.end(), searcher);
    return found == text.end() ? std::string_view::npos : static_cast<size_t>(found - text.begin());
}

} // namespace velmora
