#include "hexedit/translation.h"

#include <string>

#include "base/os.h"

namespace velmora::hex {

namespace {

// Mac OS Roman 0x80..0xFF. Characters that ISO 8859-1 has keep their code; the
// others take the free ANSI codes so that the table stays one to one.
constexpr uint8_t kMacHigh[128] = {
    0xC4, 0xC5, 0xC7, 0xC9, 0xD1, 0xD6, 0xDC, 0xE1, 0xE0, 0xE2, 0xE4, 0xE3, 0xE5, 0xE7, 0xE9, 0xE8, // 80
    0xEA, 0xEB, 0xED, 0xEC, 0xEE, 0xEF, 0xF1, 0xF3, 0xF2, 0xF4, 0xF6, 0xF5, 0xFA, 0xF9, 0xFB, 0xFC, // 90
    0xDD, 0xB0, 0xA2, 0xA3, 0xA7, 0x80, 0xB6, 0xDF, 0xAE, 0xA9, 0x81, 0xB4, 0xA8, 0x82, 0xC6, 0xD8, // A0
    0x83, 0xB1, 0xBE, 0x84, 0xA5, 0xB5, 0x8F, 0x85, 0xBD, 0xBC, 0x86, 0xAA, 0xBA, 0x87, 0xE6, 0xF8, // B0
    0xBF, 0xA1, 0xAC, 0x88, 0x9F, 0x89, 0x90, 0xAB, 0xBB, 0x8A, 0xA0, 0xC0, 0xC3, 0xD5, 0x91, 0xA6, // C0
    0xAD, 0x8B, 0xB3, 0xB2, 0x8C, 0xB9, 0xF7, 0xD7, 0xFF, 0x8D, 0x8E, 0xA4, 0xD0, 0xF0, 0xDE, 0xFE, // D0
    0xFD, 0xB7, 0x92, 0x93, 0x94, 0xC2, 0xCA, 0xC1, 0xCB, 0xC8, 0xCD, 0xCE, 0xCF, 0xCC, 0xD3, 0xD4, // E0
    0x95, 0xD2, 0xDA, 0xDB, 0xD9, 0x9E, 0x96, 0x97, 0xAF, 0x98, 0x99, 0x9A, 0xB8, 0x9B, 0x9C, 0x9D, // F0
};

struct Tables {
    ByteTable macToAnsi{}, ansiToMac{}, ebcdicDisplay{}, ebcdicTyping{};
    Tables() {
        for (int i = 0; i < 128; ++i)
            macToAnsi[i] = ansiToMac[i] = static_cast<uint8_t>(i);
        for (int i = 0; i < 128; ++i) {
            macToAnsi[128 + i] = kMacHigh[i];
            ansiToMac[kMacHigh[i]] = static_cast<uint8_t>(128 + i);
        }
        // EBCDIC code page 037 for the characters we map.
        auto both = [this](int ansi, int ebcdic) {
            ebcdicTyping[ansi] = static_cast<uint8_t>(ebcdic);
            ebcdicDisplay[ebcdic] = static_cast<uint8_t>(ansi);
        };
        static const char* const punctuation = " !\"#$%&'()*+,-./:;<=>?@\\_`|~";
        static const uint8_t punctuationCodes[] = {0x40, 0x5A, 0x7F, 0x7B, 0x5B, 0x6C, 0x50, 0x7D, 0x4D, 0x5D,
                                                   0x5C, 0x4E, 0x6B, 0x60, 0x4B, 0x61, 0x7A, 0x5E, 0x4C, 0x7E,
                                                   0x6E, 0x6F, 0x7C, 0xE0, 0x6D, 0x79, 0x6A, 0xA1};
        for (int i = 0; punctuation[i]; ++i)
            both(static_cast<unsigned char>(punctuation[i]), punctuationCodes[i]);
        for (int d = 0; d < 10; ++d)
            both('0' + d, 0xF0 + d);
        for (int k = 0; k < 9; ++k) {
            both('A' + k, 0xC1 + k);
            both('J' + k, 0xD1 + k);
            both('a' + k, 0x81 + k);
            both('j' + k, 0x91 + k);
        }
        for (int k = 0; k < 8; ++k) {
            both('S' + k, 0xE2 + k);
            both('s' + k, 0xA2 + k);
        }
        both(0xFE, 0x4F);
        ebcdicDisplay[0x51] = '&';
    }
};

const Tables& Get() {
    static const Tables tables;
    return tables;
}

struct OemTables {
    ByteTable toOem{}, fromOem{};
    OemTables() {
        std::string all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = static_cast<char>(i);
        std::string to = os::ToOem(all), from = os::FromOem(all);
        for (int i = 0; i < 256; ++i) {
            toOem[i] = static_cast<uint8_t>(to[i]);
            fromOem[i] = static_cast<uint8_t>(from[i]);
        }
    }
};

const OemTables& Oem() {
    static const OemTables tables;
    return tables;
}

} // namespace

const ByteTable& MacToAnsiTable() {
    return Get().macToAnsi;
}
const ByteTable& AnsiToMacTable() {
    return Get().ansiToMac;
}
const ByteTable& EbcdicDisplayTable() {
    return Get().ebcdicDisplay;
}
const ByteTable& EbcdicTypingTable() {
    return Get().ebcdicTyping;
}
const ByteTable& AnsiToOemTable() {
    return Oem().toOem;
}
const ByteTable& OemToAnsiTable() {
    return Oem().fromOem;
}

char DisplayChar(TTranslationType translation, uint8_t value) {
    if (value < 32) return '.';
    switch (translation) {
    case TTranslationType::ttAnsi:
        return static_cast<char>(value);
    case TTranslationType::ttASCII:
        if (value >= 128) return '.';
        return static_cast<char>(OemToAnsiTable()[value]);
    case TTranslationType::ttDos8:
        return static_cast<char>(OemToAnsiTable()[value]);
    case TTranslationType::ttMac:
        return static_cast<char>(MacToAnsiTable()[value]);
    case TTranslationType::ttEBCDIC: {
        uint8_t shown = EbcdicDisplayTable()[value];
        return shown == 0 ? '.' : static_cast<char>(shown);
    }
    }
    return '.';
}

int TypedValue(TTranslationType translation, uint8_t character) {
    if (character < 32) return 0;
    switch (translation) {
    case TTranslationType::ttAnsi:
        return character;
    case TTranslationType::ttASCII:
        if (character >= 128) return 0;
        return AnsiToOemTable()[character];
    case TTranslationType::ttDos8:
        return AnsiToOemTable()[character];
    case TTranslationType::ttMac:
        return AnsiToMacTable()[character];
    case TTranslationType::ttEBCDIC:
        return EbcdicTypingTable()[character];
    }
    return 0;
}

void TranslateBuffer(TTranslationType translation, uint8_t* buffer, int32_t count) {
    const ByteTable* table = nullptr;
    switch (translation) {
    case TTranslationType::ttAnsi:
        return;
    case TTranslationType::ttDos8:
    case TTranslationType::ttASCII:
        table = &AnsiToOemTable();
        break;
    case TTranslationType::ttMac:
        table = &AnsiToMacTable();
        break;
    case TTranslationType::ttEBCDIC:
        table = &EbcdicTypingTable();
        break;
    }
    for (int32_t i = 0; i < count; ++i)
        buffer[i] = (*table)[buffer[i]];
}

} // namespace velmora::hex
