#include "content/charset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "settings/settings.h"

namespace {

using namespace std::string_literals;

const std::string kKochText = "kmrsuaptlowi.njef0yv,g5/q9zh38b?427c1d6x@";

std::string Sorted(std::string s) {
    std::sort(s.begin(), s.end());
    return s;
}

// Flags chosen at random, respecting the same-sounding groups (the first of a clashing pair
// wins) and with the letters on so that the set is always large enough.
CharacterSet RandomValidSet(std::mt19937& rng) {
    CharacterSet set;
    for (bool& flag : set.m_flags) flag = rng() % 2;
    set.m_flags[CF_LETTERS] = true;
    const CharFlag pairs[][2] = {{CF_AE, CF_A_UML}, {CF_O_SLASH, CF_O_UML}, {CF_A_RING, CF_A_GRAVE},
                                 {CF_BT, CF_TV},    {CF_BT, CF_EQUALS},     {CF_TV, CF_EQUALS},
                                 {CF_SK, CF_VA},    {CF_AR, CF_PLUS}};
    for (const auto& pair : pairs)
        if (set.m_flags[pair[0]]) set.m_flags[pair[1]] = false;
    return set;
}

TEST(CharacterSet, KochAlphabetListsEverySendableCharacterOnce) {
    // The live settings have completed it during static construction.
    const std::string alphabet = GetKochAlphabet();
    ASSERT_EQ(alphabet.size(), 74u);
    EXPECT_EQ(alphabet.substr(0, 41), kKochText);
    EXPECT_EQ(alphabet.substr(41, 11), "\xE6\xF8\xE5\xE4\xF6\xFC\xDF\xFE\xF0\xE0\xE9");
    EXPECT_EQ(alphabet.substr(52, 7), "'!:;-_\"");
    for (int code = 1; code <= 15; ++code) EXPECT_EQ(alphabet[58 + code], code);
    std::string unique = Sorted(alphabet);
    EXPECT_EQ(std::unique(unique.begin(), unique.end()), unique.end());
    // Building another live set does not append the codes a second time.
    CharacterSet again(true);
    EXPECT_EQ(GetKochAlphabet(), alphabet);
}

TEST(CharacterSet, DefaultSetStrings) {
    CharacterSet set;
    EXPECT_EQ(set.BuildSetString(false), "abcdefghijklmnopqrstuvwxyz@0123456789.,/?\x05\x09\x06"s);
    EXPECT_EQ(set.BuildSetString(true), kKochText + "\x05\x06\x09");
    EXPECT_EQ(set.BuildSetString(false).size(), 44u);
    EXPECT_EQ(set.BuildSetString(true).size(), 44u);
    set.m_flags[CF_LETTERS] = false;
    set.ResetDefaults();
    EXPECT_TRUE(set == CharacterSet());
}

TEST(CharacterSet, EverySetInBothOrdersHoldsTheSameBytes) {
    std::mt19937 rng(7);
    CharacterSet all;
    std::fill(std::begin(all.m_flags), std::end(all.m_flags), true);
    // Every contributed byte exists once and only in the alphabet: 26 + 11 + 1 + 10 + 11 + 14.
    EXPECT_EQ(Sorted(all.BuildSetString(false)), Sorted(all.BuildSetString(true)));
    EXPECT_EQ(all.BuildSetString(false).size(), 73u);
    for (int i = 0; i < 200; ++i) {
        const CharacterSet set = RandomValidSet(rng);
        EXPECT_EQ(Sorted(set.BuildSetString(false)), Sorted(set.BuildSetString(true)));
    }
}

TEST(CharacterSet, ProsignOrderInBothOrders) {
    CharacterSet set;
    set.m_flags[CF_CH] = true;
    set.m_flags[CF_BT] = true;
    set.m_flags[CF_EQUALS] = false;
    set.m_flags[CF_PARENTHESES] = true;
    set.m_flags[CF_APOSTROPHE] = true;
    set.m_flags[CF_E_ACUTE] = true;
    const std::string koch = set.BuildSetString(true);
    // "ch" follows every ordinary character and precedes code 3.
    EXPECT_EQ(koch.substr(koch.find('\x02') - 3), "\xE9'\x01\x02\x03\x06\x09"s);
    const std::string fixed = set.BuildSetString(false);
    EXPECT_EQ(fixed.substr(fixed.size() - 5), "\x09\x01\x02\x03\x06"s);
    set.m_flags[CF_EQUALS] = true;
    set.m_flags[CF_BT] = false;
    const std::string withEquals = set.BuildSetString(false);
    EXPECT_LT(withEquals.find('\x05'), withEquals.find('\x09'));
    EXPECT_LT(withEquals.find('\x09'), withEquals.find('\x01'));
}

TEST(CharacterSet, ParsingABuiltSetGivesTheSameFlags) {
    std::mt19937 rng(11);
    for (int i = 0; i < 200; ++i) {
        const CharacterSet set = RandomValidSet(rng);
        CharacterSet parsed;
        parsed.ParseSetString(set.BuildSetString(false));
        EXPECT_TRUE(parsed == set) << i;
        parsed.ParseSetString(set.BuildSetString(true));
        EXPECT_TRUE(parsed == set) << i;
    }
}

TEST(CharacterSet, ParsingRefusesSameSoundingPairsAndTinySets) {
    const CharacterSet defaults;
    const std::string clashes[] = {"ab\xE6\xE4", "ab\xF8\xF6", "ab\xE5\xE0", "ab\x03\x04",
                                   "ab\x03\x05", "ab\x04\x05", "ab\x06\x07", "ab\x08\x09"};
    for (const std::string& clash : clashes) {
        CharacterSet set;
        set.m_flags[CF_LETTERS] = false;
        set.ParseSetString(clash);
        EXPECT_TRUE(set == defaults) << clash;
        // Either member of the pair alone is fine.
        set.ParseSetString(clash.substr(0, 3));
        EXPECT_TRUE(set.m_flags[CF_LETTERS]);
        EXPECT_FALSE(set == defaults) << clash;
    }

    CharacterSet set;
    set.ParseSetString("@");
    EXPECT_TRUE(set == defaults);
    set.ParseSetString("");
    EXPECT_TRUE(set == defaults);
    set.ParseSetString("?@");
    EXPECT_EQ(set.BuildSetString(false), "@?");
    set.ParseSetString("\x06\x0C");  // two prosigns make a set too
    EXPECT_EQ(set.BuildSetString(true), "\x06\x0C"s);
}

TEST(CharacterSet, ParsingTestsOneRepresentativeByte) {
    CharacterSet set;
    set.ParseSetString("ABCDEFGHIJKLMNOPQRSTUVWXYZ1?@");  // capitals and "1" are not tested
    EXPECT_FALSE(set.m_flags[CF_LETTERS]);
    EXPECT_FALSE(set.m_flags[CF_DIGITS]);
    EXPECT_EQ(set.BuildSetString(false), "@?");
    set.ParseSetString("a0.\"");
    EXPECT_EQ(set.BuildSetString(false), "abcdefghijklmnopqrstuvwxyz0123456789.\"");
}

}  // namespace
