#include "content/charset.h"

#include <algorithm>
#include <iterator>

namespace {

// What each option contributes to the set string, in the fixed order of the set string.
// The first byte of each entry is the one whose presence sets the option when a string is
// parsed (the letters are recognised by "a", the digits by "0").
struct FlagBytes {
    CharFlag flag;
    const char* bytes;
};

constexpr FlagBytes kFixedOrder[] = {
    {CF_LETTERS, "abcdefghijklmnopqrstuvwxyz"},
    {CF_AE, "\xE6"},
    {CF_O_SLASH, "\xF8"},
    {CF_A_RING, "\xE5"},
    {CF_A_UML, "\xE4"},
    {CF_O_UML, "\xF6"},
    {CF_U_UML, "\xFC"},
    {CF_SZ, "\xDF"},
    {CF_A_GRAVE, "\xE0"},
    {CF_E_ACUTE, "\xE9"},
    {CF_THORN, "\xFE"},
    {CF_ETH, "\xF0"},
    {CF_AT, "@"},
    {CF_DIGITS, "0123456789"},
    {CF_PERIOD, "."},
    {CF_COMMA, ","},
    {CF_SLASH, "/"},
    {CF_QUESTION, "?"},
    {CF_APOSTROPHE, "'"},
    {CF_EXCLAMATION, "!"},
    {CF_COLON, ":"},
    {CF_SEMICOLON, ";"},
    {CF_HYPHEN, "-"},
    {CF_UNDERSCORE, "_"},
    {CF_QUOTE, "\""},
    // Prosign codes: the equals and plus signs first, then the others by code, KA (14) before
    // KN (12) and SOS (13) as the character-set page lists them.
    {CF_EQUALS, "\x05"},
    {CF_PLUS, "\x09"},
    {CF_PARENTHESES, "\x01"},
    {CF_CH, "\x02"},
    {CF_BT, "\x03"},
    {CF_TV, "\x04"},
    {CF_SK, "\x06"},
    {CF_VA, "\x07"},
    {CF_AR, "\x08"},
    {CF_AS, "\x0A"},
    {CF_CL, "\x0B"},
    {CF_KA, "\x0E"},
    {CF_KN, "\x0C"},
    {CF_SOS, "\x0D"},
};
static_assert(std::size(kFixedOrder) == CF_COUNT);

constexpr CharFlag kDefaultOn[] = {CF_LETTERS, CF_AT,       CF_DIGITS, CF_PERIOD, CF_COMMA,
                                   CF_SLASH,   CF_QUESTION, CF_EQUALS, CF_SK,     CF_PLUS};

// Options that share one Morse pattern; at most one of each pair may be on.
constexpr CharFlag kSameSounding[][2] = {
    {CF_AE, CF_A_UML},  {CF_O_SLASH, CF_O_UML}, {CF_A_RING, CF_A_GRAVE}, {CF_BT, CF_TV},
    {CF_BT, CF_EQUALS}, {CF_TV, CF_EQUALS},     {CF_SK, CF_VA},          {CF_AR, CF_PLUS},
};

// Prosign codes 1 to 15 complete the Koch alphabet after every ordinary character.
constexpr unsigned char kFirstProsignCode = 1;
constexpr unsigned char kLastProsignCode = 15;

}  // namespace

CharacterSet::CharacterSet(bool appendProsignsToKochAlphabet) {
    ResetDefaults();
    // Guarded so that the alphabet holds each code once however often a live set is built.
    if (appendProsignsToKochAlphabet &&
        g_kochAlphabet.find(static_cast<char>(kFirstProsignCode)) == std::string::npos) {
        for (unsigned code = kFirstProsignCode; code <= kLastProsignCode; ++code)
            g_kochAlphabet += static_cast<char>(code);
    }
}

void CharacterSet::ResetDefaults() {
    std::fill(std::begin(m_flags), std::end(m_flags), false);
    for (CharFlag flag : kDefaultOn) m_flags[flag] = true;
}

std::string CharacterSet::BuildSetString(bool kochOrder) const {
    std::string fixed;
    for (const FlagBytes& entry : kFixedOrder)
        if (m_flags[entry.flag]) fixed += entry.bytes;
    if (!kochOrder) return fixed;

    std::string koch = g_kochAlphabet;
    std::erase_if(koch, [&](char ch) { return fixed.find(ch) == std::string::npos; });
    return koch;
}

void CharacterSet::ParseSetString(const std::string& setString) {
    for (const FlagBytes& entry : kFixedOrder)
        m_flags[entry.flag] = setString.find(entry.bytes[0]) != std::string::npos;

    bool acceptable = BuildSetString(true).size() >= 2;
    for (const auto& group : kSameSounding)
        if (m_flags[group[0]] && m_flags[group[1]]) acceptable = false;
    if (!acceptable) ResetDefaults();
}

std::string GetKochAlphabet() {
    return g_kochAlphabet;
}
