#include "base/os.h"

namespace velmora::os {

namespace {

struct CaseTables {
    unsigned char upper[256];
    unsigned char lower[256];
    CaseTables() {
        for (int i = 0; i < 256; ++i) upper[i] = lower[i] = static_cast<unsigned char>(i);
        auto pair = [this](int up, int low) {
            upper[low] = static_cast<unsigned char>(up);
            lower[up] = static_cast<unsigned char>(low);
        };
        for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
        pair(0x8A, 0x9A); // S caron
        pair(0x8C, 0x9C); // OE
        pair(0x9F, 0xFF); // Y diaeresis
        for (int c = 0xC0; c <= 0xDE; ++c)
            if (c != 0xD7 && c != 0xDD) pair(c, c + 32);
        upper[0xFD] = 'I'; // dotless i
        lower[0xDD] = 'i'; // dotted capital I
    }
};

const CaseTables& Tables() {
    static const CaseTables tables;
    return tables;
}

} // namespace

char UpperAnsi(char c) { return static_cast<char>(Tables().upper[static_cast<unsigned char>(c)]); }
char LowerAnsi(char c) { return static_cast<char>(Tables().lower[static_cast<unsigned char>(c)]); }

std::string AnsiUpperCase(std::string text) {
    for (char& c : text) c = UpperAnsi(c);
    return text;
}

std::string AnsiLowerCase(std::string text) {
    for (char& c : text) c = LowerAnsi(c);
    return text;
}

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

File::~File() { Close(); }

bool File::IsOpen() const { return handle_ != -1; }

} // namespace velmora::os
