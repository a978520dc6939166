#include "content/text_prep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>

#include "content/charset.h"
#include "content/codepage.h"
#include "settings/settings.h"

namespace {

// Byte string from a list of bytes, for texts holding prosign codes and fillers.
std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}

constexpr int F = FILLER_BYTE;

// Each test starts from the default character set and leaves the live settings as it found them.
class TextPrep : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = g_settings.m_charSet;
        g_settings.m_charSet.ResetDefaults();
    }
    void TearDown() override { g_settings.m_charSet = m_saved; }

    static void Enable(std::initializer_list<CharFlag> on,
                       std::initializer_list<CharFlag> off = {}) {
        for (CharFlag f : on) g_settings.m_charSet.m_flags[f] = true;
        for (CharFlag f : off) g_settings.m_charSet.m_flags[f] = false;
    }
    static std::string Prepared(std::string text) {
        PrepareText(text);
        return text;
    }
    static std::string Parsed(std::string text) {
        ParseProsignEscapes(text);
        return text;
    }

private:
    CharacterSet m_saved;
};

TEST_F(TextPrep, DisplayTextOfEveryEscapeParsesBackToItsCode) {
    // With each code's variant enabled, its display text is an escape that yields the code again
    // in the last position, preceded by fillers over the backslash and leading letters.
    Enable({CF_BT, CF_VA, CF_AR, CF_AS, CF_CL, CF_KA, CF_KN, CF_SOS}, {CF_EQUALS, CF_SK, CF_PLUS});
    for (int code : {3, 6, 7, 8, 10, 11, 12, 13, 14}) {
        if (code == 6) Enable({CF_SK}, {CF_VA});
        if (code == 7) Enable({CF_VA}, {CF_SK});
        const std::string shown = ProsignDisplayText(static_cast<unsigned char>(code));
        ASSERT_EQ(shown[0], '\\') << code;
        std::string expected(shown.size() - 1, static_cast<char>(F));
        expected += static_cast<char>(code);
        EXPECT_EQ(Parsed(shown), expected) << code;
    }
    Enable({CF_TV}, {CF_BT});
    EXPECT_EQ(Parsed(ProsignDisplayText(4)), Bytes({F, F, 4}));

    EXPECT_EQ(ProsignDisplayText(13), "\\SOS");
    EXPECT_EQ(ProsignDisplayText(1), "(");
    EXPECT_EQ(ProsignDisplayText(2), "ch");
    EXPECT_EQ(ProsignDisplayText(5), "=");
    EXPECT_EQ(ProsignDisplayText(9), "+");
    for (int ch : {0, 15, 16, int{'a'}, int{'K'}, 0xE9, 0xFF})
        EXPECT_EQ(ProsignDisplayText(static_cast<unsigned char>(ch)), Bytes({ch})) << ch;
}

TEST_F(TextPrep, EscapesAreRecognisedInAnyCaseWithoutChangingTheLength) {
    Enable({CF_SOS});
    EXPECT_EQ(Parsed("\\sos"), Bytes({F, F, F, 13}));
    EXPECT_EQ(Parsed("\\sOs!"), Bytes({F, F, F, 13, '!'}));
    // Further letters are left alone; the search resumes after the code.
    EXPECT_EQ(Parsed("\\skx\\KN"), Bytes({F, F, 6, 'x', F, F, 12}));
    // A backslash starts an escape only where known letters follow it.
    EXPECT_EQ(Parsed("\\XY \\"), "\\XY \\");
    EXPECT_EQ(Parsed("\\\\SK"), Bytes({'\\', F, F, 6}));
    EXPECT_EQ(Parsed("a\\S"), "a\\S");  // cut off at the end of the text
    EXPECT_EQ(Parsed("\\SO"), "\\SO");
    // Two-letter escapes are tried before SOS and KA before KN.
    EXPECT_EQ(Parsed("\\kA"), Bytes({F, F, 14}));
}

TEST_F(TextPrep, SameSoundingFormsFollowTheEnabledVariant) {
    const std::string text = "\\BT \\TV = \\SK \\VA \\AR +";
    auto codes = [&] {
        std::string parsed = Parsed(text);
        std::erase(parsed, static_cast<char>(F));
        std::erase(parsed, ' ');
        return parsed;
    };
    // Default set: equals sign, SK and plus sign.
    EXPECT_EQ(codes(), Bytes({5, 5, 5, 6, 6, 9, 9}));
    Enable({CF_BT, CF_VA, CF_AR}, {CF_EQUALS, CF_SK, CF_PLUS});
    EXPECT_EQ(codes(), Bytes({3, 3, 3, 7, 7, 8, 8}));
    Enable({CF_TV}, {CF_BT});
    EXPECT_EQ(codes().substr(0, 3), Bytes({4, 4, 4}));
    // No variant of a group enabled: the codes fall to one form, "=" and "+" stay as written.
    Enable({}, {CF_TV, CF_VA, CF_AR});
    EXPECT_EQ(codes(), Bytes({5, 5, '=', 6, 6, 9, '+'}));
}

TEST_F(TextPrep, BracketsMapToTheParenthesesCode) {
    std::string text = "(a) b)";
    MapBrackets(text);
    EXPECT_EQ(text, Bytes({1, 'a', 1, ' ', 'b', 1}));
}

TEST_F(TextPrep, CharacterListKeepsOrderAndRepetitionsOfAlphabetBytes) {
    Enable({CF_BT}, {CF_EQUALS});
    EXPECT_EQ(NormaliseCharacterList("AB \\bt"), Bytes({'a', 'b', 3}));
    Enable({}, {CF_BT});
    EXPECT_EQ(NormaliseCharacterList("AB \\bt"), Bytes({'a', 'b', 5}));
    EXPECT_EQ(NormaliseCharacterList("aab"), "aab");
    g_settings.m_charSet.ResetDefaults();
    // Parentheses stay as typed, "=" becomes code 5, "#" is no alphabet byte, "É" becomes "é".
    EXPECT_EQ(NormaliseCharacterList("k (m)=#\xC9"), "k(m)\x05\xE9");
    // Tab, CR and LF share their values with prosign codes 9, 13 and 10, but typed white space
    // and raw control bytes select nothing: only escapes give codes.
    EXPECT_EQ(NormaliseCharacterList("k\tm\r\n\x06\x02 \\sk"), "km\x06");
}

TEST_F(TextPrep, PracticeTextIsFilteredAgainstTheDefaultSet) {
    // "!" and "é" are not in the set, the line break becomes a space, "=" becomes code 5 and the
    // caret with "sk" code 6.
    EXPECT_EQ(Prepared("Hello, World!\n= ^sk 73\xE9"), "Hello, World \x05 \x06 73");
    EXPECT_EQ(Prepared(" \r\n\t \n "), "");
    EXPECT_EQ(Prepared(""), "");
    // An unknown escape loses its backslash (in no set) and keeps its letters.
    EXPECT_EQ(Prepared("a \\XY b"), "a XY b");
    // Raw control bytes, fillers and prosign codes in the input are only white space.
    EXPECT_EQ(Prepared(Bytes({'a', 6, 'b', F, 'c', 0, 'd'})), "a b c d");
}

TEST_F(TextPrep, PreparedEscapesFollowTheEnabledProsigns) {
    Enable({CF_SOS});
    EXPECT_EQ(Prepared("cq \\sos de"), Bytes({'c', 'q', ' ', 13, ' ', 'd', 'e'}));
    EXPECT_EQ(ProsignDisplayText(13), "\\SOS");

    Enable({CF_BT}, {CF_EQUALS});
    const std::string withBt = Prepared("a = b");
    EXPECT_EQ(withBt, Bytes({'a', ' ', 3, ' ', 'b'}));
    EXPECT_EQ(ProsignDisplayText(static_cast<unsigned char>(withBt[2])), "\\BT");

    // Neither AR nor the plus sign: "+" and "\AR" disappear.
    Enable({}, {CF_PLUS, CF_AR});
    EXPECT_EQ(Prepared("a + b \\AR c"), "a b c");
    // A disabled prosign's escape is dropped as a whole.
    Enable({}, {CF_SOS});
    EXPECT_EQ(Prepared("x \\SOS y"), "x y");
}

TEST_F(TextPrep, ParenthesesSurviveOnlyWhenEnabled) {
    EXPECT_EQ(Prepared("(abc) d"), "abc d");
    Enable({CF_PARENTHESES});
    EXPECT_EQ(Prepared("(abc) d"), "(abc) d");
}

TEST_F(TextPrep, DisabledAccentedLettersAreWrittenOut) {
    EXPECT_EQ(Prepared("B\xE4r"), "Baer");
    EXPECT_EQ(Prepared("\xC4pfel"), "Aepfel");  // Ä has an upper-case form in Windows-1252
    EXPECT_EQ(Prepared(std::string("Stra\xDF") + "e \xF8 \xC5"), "Strasse oe Aa");
    Enable({CF_A_UML});
    EXPECT_EQ(Prepared("B\xE4r"), "B\xE4r");
    // é has no two-letter form: it is only filtered.
    EXPECT_EQ(Prepared("caf\xE9 ok"), "caf ok");
    // A capital of a disabled character is dropped like its small letter.
    EXPECT_EQ(Prepared("CAF\xC9 OK"), "CAF OK");
}

TEST_F(TextPrep, CapitalsOfDisabledLettersAreNotSent) {
    g_settings.m_charSet.m_flags[CF_LETTERS] = false;
    EXPECT_EQ(Prepared("Hello 73, QTH Berlin 599"), "73, 599");
}

// ---- Equivalence with the literal, step-by-step algorithm ----

// The same-sounding rules applied one after the other, as written.
void LiteralVariants(std::string& text) {
    const bool* flags = g_settings.m_charSet.m_flags;
    auto rule = [&](int from, int to) {
        std::replace(text.begin(), text.end(), static_cast<char>(from), static_cast<char>(to));
    };
    const int t = flags[CF_BT] ? 3 : flags[CF_TV] ? 4 : 5;
    if (t == 3) rule(4, 3), rule('=', 3);
    if (t == 4) rule(3, 4), rule('=', 4);
    if (t == 5) rule(3, 5), rule(4, 5);
    if (flags[CF_VA])
        rule(6, 7);
    else
        rule(7, 6);
    if (flags[CF_AR])
        rule('+', 8);
    else
        rule(8, 9);
    if (flags[CF_EQUALS]) rule('=', 5);
    if (flags[CF_PLUS]) rule('+', 9);
}

void LiteralParseProsignEscapes(std::string& text) {
    static const std::pair<const char*, int> escapes[] = {
        {"BT", 3},  {"TV", 4},  {"SK", 6},  {"VA", 7},  {"AR", 8},
        {"AS", 10}, {"CL", 11}, {"KA", 14}, {"KN", 12}, {"SOS", 13}};
    std::size_t p = text.find('\\');
    while (p != std::string::npos) {
        std::size_t next = p + 1;
        for (const auto& [letters, code] : escapes) {
            std::string upper = text.substr(p + 1, std::strlen(letters));
            codepage::MakeUpper(upper);
            if (upper != letters) continue;
            const std::size_t n = upper.size();
            for (std::size_t k = 0; k < n; ++k) text[p + k] = static_cast<char>(F);
            text[p + n] = static_cast<char>(code);
            next = p + n + 1;
            break;
        }
        p = text.find('\\', next);
    }
    LiteralVariants(text);
}

void LiteralTransliterate(std::string& text, bool enabled, unsigned char letter, std::string form) {
    if (enabled) return;
    for (std::size_t p; (p = text.find(static_cast<char>(letter))) != std::string::npos;)
        text.replace(p, 1, form);
    const unsigned char upper = codepage::ToUpper(letter);
    form[0] = static_cast<char>(codepage::ToUpper(static_cast<unsigned char>(form[0])));
    for (std::size_t p; (p = text.find(static_cast<char>(upper))) != std::string::npos;)
        text.replace(p, 1, form);
}

void LiteralFilterText(std::string& text, const std::string& koch, const std::string& set) {
    for (char& ch : text) {
        const unsigned char c = codepage::ToLower(static_cast<unsigned char>(ch));
        const bool asciiAlnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        const bool listed = std::string("+=()\\^").find(static_cast<char>(c)) != std::string::npos;
        if (c <= 16 || codepage::IsSpace(c))
            ch = ' ';
        else if (!asciiAlnum && !listed && koch.find(static_cast<char>(c)) == std::string::npos)
            ch = ' ';
    }
    std::replace(text.begin(), text.end(), '^', '\\');
    LiteralParseProsignEscapes(text);
    const std::pair<unsigned char, const char*> forms[] = {{0xE6, "ae"}, {0xF8, "oe"}, {0xE5, "aa"},
                                                           {0xE4, "ae"}, {0xF6, "oe"}, {0xFC, "ue"},
                                                           {0xDF, "ss"}};
    for (const auto& [letter, form] : forms)
        LiteralTransliterate(text, set.find(static_cast<char>(letter)) != std::string::npos, letter,
                             form);
    const bool parentheses = g_settings.m_charSet.m_flags[CF_PARENTHESES];
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(codepage::ToLower(static_cast<unsigned char>(b)));
        if (c != ' ' && set.find(c) == std::string::npos &&
            !((c == '(' || c == ')') && parentheses)) {
            std::replace(text.begin(), text.end(), c, static_cast<char>(F));
            std::replace(text.begin(), text.end(), static_cast<char>(b), static_cast<char>(F));
        }
    }
    for (std::size_t p; (p = text.find(static_cast<char>(F))) != std::string::npos;)
        text.erase(p, 1);
    for (std::size_t p; (p = text.find("  ")) != std::string::npos;) text.replace(p, 2, " ");
    if (!text.empty() && text.front() == ' ') text.erase(0, 1);
    if (!text.empty() && text.back() == ' ') text.pop_back();
}

std::string LiteralNormaliseCharacterList(std::string text) {
    std::erase_if(text, [](char ch) { return static_cast<unsigned char>(ch) <= F; });
    LiteralParseProsignEscapes(text);
    for (std::size_t p; (p = text.find(static_cast<char>(F))) != std::string::npos;)
        text.erase(p, 1);
    codepage::MakeLower(text);
    const std::string koch = GetKochAlphabet();
    for (std::size_t i = text.size(); i-- > 0;)
        if (koch.find(text[i]) == std::string::npos && text[i] != '(' && text[i] != ')')
            text.erase(i, 1);
    return text;
}

// Random texts rich in what the preparation reacts to: escapes in both cases, carets, group
// forms, accented letters and their capitals, runs of white space, codes, fillers, and any byte.
std::string RandomText(std::mt19937& rng) {
    static const std::string pieces[] = {
        "\\",   "^",    "\\sk", "^SOS", "\\bT", "\\tv", "\\VA", "\\ar",
        "\\kn", "\\Ka", "\\xy", "=",    "+",    "(",    ")",    " ",
        "  ",   "\r\n", "\t",   "\xE4", "\xC4", "\xDF", "\xE6", "\xC6",
        "\xF8", "\xE9", "\xC9", "\xFC", "\xDC", "\xE5", "\xC5", "!",
        "?",    ".",    ",",    "@",    "#",    "\x06", "\x10", std::string(1, '\0'),
        "e",    "T",    "7",    "Sk"};
    std::uniform_int_distribution<int> length(0, 40), pick(0, std::size(pieces) - 1),
        anyByte(0, 255), coin(0, 3);
    std::string text;
    for (int n = length(rng); n > 0; --n) {
        if (coin(rng) == 0)
            text += static_cast<char>(anyByte(rng));
        else
            text += pieces[pick(rng)];
    }
    return text;
}

TEST_F(TextPrep, SinglePassFilterMatchesTheLiteralStepsUnderManyCharacterSets) {
    const std::initializer_list<CharFlag> configs[] = {
        {},  // the default set
        {CF_BT, CF_VA, CF_AR, CF_PARENTHESES, CF_A_UML, CF_SZ, CF_E_ACUTE, CF_SOS, CF_KA},
        {CF_TV, CF_AE, CF_O_SLASH, CF_A_RING, CF_U_UML, CF_EXCLAMATION, CF_QUOTE, CF_CH},
        {CF_O_UML, CF_A_GRAVE, CF_THORN, CF_ETH, CF_HYPHEN, CF_APOSTROPHE, CF_KN, CF_CL},
    };
    std::mt19937 rng(20240611);
    for (std::size_t config = 0; config < std::size(configs) + 2; ++config) {
        g_settings.m_charSet.ResetDefaults();
        if (config < std::size(configs)) {
            Enable(configs[config]);
            // Keep the same-sounding groups exclusive, as the character-set page does.
            if (g_settings.m_charSet.m_flags[CF_BT] || g_settings.m_charSet.m_flags[CF_TV])
                Enable({}, {CF_EQUALS});
            if (g_settings.m_charSet.m_flags[CF_VA]) Enable({}, {CF_SK});
            if (g_settings.m_charSet.m_flags[CF_AR]) Enable({}, {CF_PLUS});
        } else if (config == std::size(configs)) {
            Enable({CF_DIGITS}, {CF_LETTERS, CF_EQUALS, CF_SK, CF_PLUS, CF_PERIOD});
        } else {
            // Every flag on, groups included: the rules still apply in their written order.
            for (bool& flag : g_settings.m_charSet.m_flags) flag = true;
        }
        const std::string koch = GetKochAlphabet();
        const std::string set = g_settings.m_charSet.BuildSetString(false);
        for (int i = 0; i < 800; ++i) {
            const std::string input = RandomText(rng);

            std::string fast = input, literal = input;
            FilterText(fast, koch, set);
            LiteralFilterText(literal, koch, set);
            ASSERT_EQ(fast, literal)
                << "config " << config << " input " << testing::PrintToString(input);

            std::string parsed = input, literalParsed = input;
            ParseProsignEscapes(parsed);
            LiteralParseProsignEscapes(literalParsed);
            ASSERT_EQ(parsed, literalParsed) << "config " << config;

            ASSERT_EQ(NormaliseCharacterList(input), LiteralNormaliseCharacterList(input))
                << "config " << config;
        }
    }
}

}  // namespace
