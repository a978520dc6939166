#include "content/codepage.h"

#include <array>
#include <cstdint>

namespace codepage {
namespace {

// Unicode code points of the bytes 0x80..0x9F; the rest of Windows-1252 equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct CaseTables {
    std::array<unsigned char, 256> lower{};
    std::array<unsigned char, 256> upper{};
    std::array<bool, 256> alpha{};
};

CaseTables MakeCaseTables() {
    CaseTables t;
    for (int i = 0; i < 256; ++i) t.lower[i] = t.upper[i] = static_cast<unsigned char>(i);
    auto pair = [&t](int up, int low) {
        t.lower[up] = static_cast<unsigned char>(low);
        t.upper[low] = static_cast<unsigned char>(up);
        t.alpha[up] = t.alpha[low] = true;
    };
    for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 32);
    // Latin-1 capitals 0xC0..0xDE pair with 0xE0..0xFE, except the multiplication and
    // division signs.
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7) pair(c, c + 32);
    pair(0x8A, 0x9A);  // S with caron
    pair(0x8C, 0x9C);  // ligature OE
    pair(0x8E, 0x9E);  // Z with caron
    pair(0x9F, 0xFF);  // Y with diaeresis
    // Letters without a case partner in the code page.
    t.alpha[0x83] = t.alpha[0xAA] = t.alpha[0xB5] = t.alpha[0xBA] = t.alpha[0xDF] = true;
    return t;
}

const CaseTables& Tables() {
    static const CaseTables tables = MakeCaseTables();
    return tables;
}

char32_t ToCodePoint(unsigned char ch) {
    return (ch >= 0x80 && ch <= 0x9F) ? kHighControls[ch - 0x80] : ch;
}

int FromCodePoint(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == cp) return static_cast<int>(0x80 + i);
    return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i]; returns its length, or 0 when it is malformed
// (overlong forms, surrogates and values above U+10FFFF included).
std::size_t DecodeOne(std::string_view text, std::size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t len;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > text.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

}  // namespace

unsigned char ToLower(unsigned char ch) { return Tables().lower[ch]; }
unsigned char ToUpper(unsigned char ch) { return Tables().upper[ch]; }
bool IsAlpha(unsigned char ch) { return Tables().alpha[ch]; }
bool IsDigit(unsigned char ch) { return ch >= '0' && ch <= '9'; }
bool IsAlnum(unsigned char ch) { return IsAlpha(ch) || IsDigit(ch); }
bool IsSpace(unsigned char ch) { return ch == ' ' || (ch >= 0x09 && ch <= 0x0D); }

void MakeLower(std::string& text) {
    for (char& c : text) c = static_cast<char>(ToLower(static_cast<unsigned char>(c)));
}

void MakeUpper(std::string& text) {
    for (char& c : text) c = static_cast<char>(ToUpper(static_cast<unsigned char>(c)));
}

std::string ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 8);
    for (char c : cp1252) AppendUtf8(out, ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const std::size_t len = DecodeOne(utf8, i, cp);
        if (len == 0) {  // not UTF-8 here: keep the byte as it is
            out += utf8[i++];
            continue;
        }
        const int byte = FromCodePoint(cp);
        out += static_cast<char>(byte < 0 ? kUnmappable : byte);
        i += len;
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t len = DecodeOne(bytes, i, cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string RepairUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t len = DecodeOne(bytes, i, cp);
        if (len == 0) {
            AppendUtf8(out, ToCodePoint(static_cast<unsigned char>(bytes[i++])));
            continue;
        }
        out.append(bytes.substr(i, len));
        i += len;
    }
    return out;
}

std::string DecodeTextFile(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
    if (!IsValidUtf8(bytes)) return std::string(bytes);
    return FromUtf8(bytes);
}

}  // namespace codepage
