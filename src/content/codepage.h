#pragma once
// Windows-1252, the 8-bit code page all practice and copy text uses inside the program.
// Case mapping and classification are the project's own tables, never the C locale, so the
// accented letters (Latin-1 byte values) behave the same on every machine.

#include <string>
#include <string_view>

namespace codepage {

unsigned char ToLower(unsigned char ch);
unsigned char ToUpper(unsigned char ch);
bool IsAlpha(unsigned char ch);
bool IsDigit(unsigned char ch);
bool IsAlnum(unsigned char ch);
// Tab, line feed, vertical tab, form feed, carriage return and space.
bool IsSpace(unsigned char ch);

void MakeLower(std::string& text);
void MakeUpper(std::string& text);

// The byte that stands for a character Windows-1252 cannot hold. It is no Morse character,
// no prosign code (1 to 15) and not the filler (16).
constexpr unsigned char kUnmappable = 0x7F;

// Converts Windows-1252 bytes to UTF-8 (every byte has a Unicode counterpart; the five
// undefined bytes 0x81 0x8D 0x8F 0x90 0x9D map to the C1 controls of the same value).
std::string ToUtf8(std::string_view cp1252);
// Converts UTF-8 to Windows-1252; a character without a byte becomes kUnmappable. Malformed
// sequences are taken byte by byte as Windows-1252.
std::string FromUtf8(std::string_view utf8);
// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);
// Makes text well-formed UTF-8 while keeping every well-formed sequence as it is: each byte that
// begins no well-formed sequence is taken as a Windows-1252 character.
std::string RepairUtf8(std::string_view bytes);
// Decodes a text file's bytes: valid UTF-8 (a byte order mark is dropped) is converted to
// Windows-1252, anything else is taken as Windows-1252 already.
std::string DecodeTextFile(std::string_view bytes);

}  // namespace codepage
