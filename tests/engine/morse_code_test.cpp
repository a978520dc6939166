#include "engine/morse_code.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>

#include "content/codepage.h"

namespace {

// The dichotomic tree of the code: start at 1, a dot goes to 2i, a dash to 2i + 1. An oracle for
// letters and digits that shares nothing with the table under test.
constexpr char kTree[] = "**ETIANMSURWDKGOHVF*L*PJBXCYZQ**54*3***2*******16*******7***8*90";

char DecodeByTree(const std::string& pattern) {
    size_t i = 1;
    for (char element : pattern) {
        i = 2 * i + (element == '-' ? 1 : 0);
        if (i >= sizeof kTree - 1) return '*';
    }
    return kTree[i];
}

std::string Byte(int b) {
    return std::string(1, static_cast<char>(b));
}

}  // namespace

TEST(MorseCode, LettersAndDigitsDecodeBackThroughTheTree) {
    for (int c = 'a'; c <= 'z'; ++c) {
        EXPECT_EQ(DecodeByTree(LookupMorseCode(c)), std::toupper(c)) << Byte(c);
        EXPECT_EQ(LookupMorseCode(std::toupper(c)), LookupMorseCode(c)) << Byte(c);
    }
    for (int c = '0'; c <= '9'; ++c) EXPECT_EQ(DecodeByTree(LookupMorseCode(c)), c) << Byte(c);
}

// Every one of the 256 bytes: the known ones give exactly their pattern, all others nothing.
TEST(MorseCode, WholeTableAgainstTheChart) {
    std::map<int, std::string> chart = {
        {' ', " "},        {'!', "-.-.--"}, {'"', ".-..-."},   {'\'', ".----."}, {'(', "-.--.-"},
        {')', "-.--.-"},   {'+', ".-.-."},  {',', "--..--"},   {'-', "-....-"},  {'.', ".-.-.-"},
        {'/', "-..-."},    {':', "---..."}, {';', "-.-.-."},   {'=', "-...-"},   {'?', "..--.."},
        {'@', ".--.-."},   {'_', "..--.-"}, {0xDF, "...--.."}, {0xE0, ".--.-"},  {0xE4, ".-.-"},
        {0xE5, ".--.-"},   {0xE6, ".-.-"},  {0xE9, "..-.."},   {0xF0, "..--."},  {0xF6, "---."},
        {0xF8, "---."},    {0xFC, "..--"},  {0xFE, ".--.."},   {1, "-.--.-"},    {2, "----"},
        {3, "-...-"},      {4, "-...-"},    {5, "-...-"},      {6, "...-.-"},    {7, "...-.-"},
        {8, ".-.-."},      {9, ".-.-."},    {10, ".-..."},     {11, "-.-..-.."}, {12, "-.--."},
        {13, "...---..."}, {14, "-.-.-"},   {15, "........"}};
    for (int c = 'a'; c <= 'z'; ++c) chart[c] = chart[c - 32] = LookupMorseCode(c);
    for (int c = '0'; c <= '9'; ++c) chart[c] = LookupMorseCode(c);
    // Capitals of the accented letters, through the code page's lower-casing.
    for (int c : {0xC0, 0xC4, 0xC5, 0xC6, 0xC9, 0xD0, 0xD6, 0xD8, 0xDC, 0xDE})
        chart[c] = chart.at(codepage::ToLower(c));

    for (int b = 0; b < 256; ++b) {
        const auto known = chart.find(b);
        EXPECT_EQ(LookupMorseCode(b), known == chart.end() ? "" : known->second) << "byte " << b;
    }
    EXPECT_EQ(LookupMorseCode(0xC4), ".-.-");  // Ä sounds as ä
    EXPECT_EQ(LookupMorseCode(0xD7), "");      // × is no letter
}

TEST(MorseCode, PatternsAreWellFormedAndDistinctExceptTheSoundAlikes) {
    std::map<std::string, std::set<int>> byPattern;
    for (int b = 0; b < 256; ++b) {
        const std::string p = LookupMorseCode(b);
        if (p.empty() || p == " " || codepage::ToLower(b) != b) continue;
        EXPECT_LE(p.size(), 9u) << b;
        EXPECT_EQ(p.find_first_not_of(".-"), std::string::npos) << b;
        byPattern[p].insert(b);
    }
    const std::map<std::string, std::set<int>> shared = {
        {"-.--.-", {1, '(', ')'}}, {"-...-", {3, 4, 5, '='}}, {"...-.-", {6, 7}},
        {".-.-.", {8, 9, '+'}},    {".--.-", {0xE0, 0xE5}},   {".-.-", {0xE4, 0xE6}},
        {"---.", {0xF6, 0xF8}}};
    for (const auto& [pattern, bytes] : byPattern) {
        const auto expected = shared.find(pattern);
        if (expected != shared.end())
            EXPECT_EQ(bytes, expected->second) << pattern;
        else
            EXPECT_EQ(bytes.size(), 1u) << pattern;
    }
    EXPECT_EQ(LookupMorseCode(13).size(), 9u);
}
