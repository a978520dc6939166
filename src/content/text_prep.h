#pragma once
// Text preparation on Windows-1252 bytes: prosign escapes ("\SK", or "^SK" in practice text)
// become one-byte prosign codes (1 to 15) and back into display text, parentheses map to code 1
// for scoring, a typed character list is cleaned, and practice text is filtered against the
// enabled character set.
//
// Escape recognition overwrites the consumed bytes with FILLER_BYTE instead of erasing them, so
// positions inside a string do not move while it is being worked on; later steps drop them.

#include <array>
#include <string>

constexpr unsigned char FILLER_BYTE = 16;

// The text the output pane, the code table and the results show for one sent byte: "\SK" for
// code 6, "(" for code 1, "ch" for code 2 and so on; every other byte stands for itself.
std::string ProsignDisplayText(unsigned char ch);

// Turns escapes into prosign codes (length unchanged: the backslash and all letters but the last
// become FILLER_BYTE, the last letter the code), then makes the written forms of each
// same-sounding group (BT/TV/"=", SK/VA, AR/"+") agree with the variant enabled in the live
// settings' character set.
void ParseProsignEscapes(std::string& text);

// Both parentheses become code 1, the code that stands for them.
void MapBrackets(std::string& text);

// Cleans a typed character list: escapes become codes, the list is lower-cased, and every byte
// outside the Koch alphabet except "(" and ")" is dropped, as are typed control bytes (a tab or
// line break is no prosign code). Order and repetitions stay as typed.
std::string NormaliseCharacterList(const std::string& text);

// Filters practice text against the live character set (FilterText with the Koch alphabet and
// the live fixed-order set string).
void PrepareText(std::string& text);

// Screens the text (control bytes, white space and unknown bytes become spaces; "^" becomes
// "\"), recognises escapes, transliterates disabled accented letters (ä -> ae, Ä -> Ae, ...),
// drops every character whose lower-case form is outside the set string, collapses runs of
// spaces and trims the ends. Parentheses survive when the set string holds code 1.
void FilterText(std::string& text, const std::string& kochAlphabet, const std::string& setString);

// Unless the letter is enabled, replaces it by its two-letter form and its upper-case form by
// the two-letter form with a capital first letter.
void Transliterate(std::string& text, bool letterEnabled, unsigned char letter,
                   const char* twoLetterForm);

// FilterText with its tables built once, for preparing many texts (the lines of a line file)
// against one snapshot of the character set. Apply gives the same result as FilterText with the
// constructor's arguments, as long as the live prosign variants do not change in between.
class TextFilter {
public:
    TextFilter(const std::string& kochAlphabet, const std::string& setString);
    // A filter for PrepareText: the Koch alphabet and the live fixed-order set string.
    static TextFilter ForLiveSettings();

    void Apply(std::string& text) const;

private:
    std::array<bool, 256> m_keepOnScreening{};    // byte survives the screening as itself
    std::array<bool, 256> m_drop{};               // byte is rejected by the set (or a filler)
    std::array<unsigned char, 256> m_variants{};  // same-sounding forms -> enabled variant
    std::array<bool, 7> m_transliterate{};        // per entry of the transliteration list
};
