#pragma once
// The learner's character set: 39 on/off choices (letters, accented letters, digits,
// punctuation, prosigns), the set string built from them in fixed or Koch teaching order, and
// the Koch alphabet that defines that teaching order.
//
// In set strings every prosign, the parentheses and the sign "ch" are one prosign code byte
// (1 to 15); accented letters are their Windows-1252 (Latin-1) bytes.

#include <string>

enum CharFlag {
    CF_LETTERS = 0,
    CF_AE,
    CF_O_SLASH,
    CF_A_RING,
    CF_A_UML,
    CF_O_UML,
    CF_U_UML,
    CF_SZ,
    CF_CH,
    CF_A_GRAVE,
    CF_E_ACUTE,
    CF_THORN,
    CF_ETH,
    CF_AT,
    CF_DIGITS,
    CF_PERIOD,
    CF_COMMA,
    CF_SLASH,
    CF_QUESTION,
    CF_APOSTROPHE,
    CF_EXCLAMATION,
    CF_COLON,
    CF_SEMICOLON,
    CF_HYPHEN,
    CF_UNDERSCORE,
    CF_QUOTE,
    CF_PARENTHESES,
    CF_BT,
    CF_TV,
    CF_EQUALS,
    CF_SK,
    CF_VA,
    CF_AR,
    CF_PLUS,
    CF_AS,
    CF_CL,
    CF_KA,
    CF_KN,
    CF_SOS,
    CF_COUNT
};
static_assert(CF_COUNT == 39);

struct CharacterSet {
    bool m_flags[CF_COUNT];

    // Sets the default flags. Only the live settings pass true: their construction completes the
    // Koch alphabet by appending the prosign codes 1 to 15 (done once per process).
    explicit CharacterSet(bool appendProsignsToKochAlphabet = false);

    void ResetDefaults();
    // The enabled characters, in fixed order or in Koch teaching order.
    std::string BuildSetString(bool kochOrder) const;
    // Sets every flag from the bytes present in a set string; falls back to the defaults when
    // two same-sounding options are both present or fewer than two characters result.
    void ParseSetString(const std::string& setString);

    bool operator==(const CharacterSet&) const = default;
};

// Every sendable character in Koch teaching order: 59 bytes at start-up, 74 once the live
// settings have appended the prosign codes.
extern std::string g_kochAlphabet;
std::string GetKochAlphabet();
