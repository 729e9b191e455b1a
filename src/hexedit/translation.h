// How the character field shows bytes and turns typed characters into bytes.
#pragma once
#include <array>
#include <cstdint>

namespace velmora::hex {

enum class TTranslationType { ttAnsi, ttDos8, ttASCII, ttMac, ttEBCDIC };

using ByteTable = std::array<uint8_t, 256>;

// Mac OS Roman to the ANSI code page (indexes below 128 map to themselves) and back.
const ByteTable& MacToAnsiTable();
const ByteTable& AnsiToMacTable();
// EBCDIC byte to the ANSI character shown (0 = shown as "."), and ANSI character
// to the EBCDIC byte typed (0 = cannot be typed).
const ByteTable& EbcdicDisplayTable();
const ByteTable& EbcdicTypingTable();
// The system's OEM code page, byte by byte.
const ByteTable& AnsiToOemTable();
const ByteTable& OemToAnsiTable();

// The character shown for a byte.
char DisplayChar(TTranslationType translation, uint8_t value);
// The byte stored for a typed character; below 32 means refused.
int TypedValue(TTranslationType translation, uint8_t character);
// Converts a search pattern the way typing does, without the refusals.
void TranslateBuffer(TTranslationType translation, uint8_t* buffer, int32_t count);

} // namespace velmora::hex
