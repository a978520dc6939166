#include "scoring/results_rows.h"

#include <gtest/gtest.h>

#include <vector>

#include "scoring/score_tally.h"

TEST(ResultRowsTest, WorstFirstAndEqualAccuraciesInByteOrder) {
    ScoreTally tally;
    tally.Clear();
    const struct {
        unsigned char ch;
        int correct;
        int wrong;
    } counts[] = {
        {'E', 7, 3},  {'C', 5, 0}, {'Z', 0, 1},  // 70 %, 100 %, never copied
        {'A', 14, 6}, {' ', 1, 1}, {'B', 0, 2},  // 70 % like 'E', 50 %, never copied
        {0xC4, 3, 0}, {6, 2, 2},                 // 100 % after 'C', prosign code at 50 %
        {0, 4, 4},    {255, 0, 9},               // never listed
    };
    for (const auto& count : counts) {
        tally.correct[count.ch] = count.correct;
        tally.wrong[count.ch] = count.wrong;
    }

    std::vector<unsigned char> order;
    for (const auto& row : BuildResultRows(tally)) order.push_back(row.ch);
    EXPECT_EQ(order, (std::vector<unsigned char>{'B', 'Z', 6, ' ', 'A', 'E', 'C', 0xC4}));
}

TEST(ResultRowsTest, DurationAndAccuracyTexts) {
    EXPECT_EQ(DurationText(180), "3 m ");
    EXPECT_EQ(DurationText(200), "3 m 20 s");
    EXPECT_EQ(DurationText(59), "59 s");
    EXPECT_EQ(DurationText(0), "");

    EXPECT_EQ(AccuracyText(AccuracyPercent(7, 3)), "70.0%");
    EXPECT_EQ(AccuracyText(AccuracyPercent(0, 0)), "100.0%");
    EXPECT_EQ(AccuracyText(AccuracyPercent(0, 5)), "0.0%");
    EXPECT_EQ(AccuracyText(AccuracyPercent(2, 1)), "66.7%");
    // Counts whose product with 100 leaves the 32-bit range.
    EXPECT_EQ(AccuracyText(AccuracyPercent(2000000000, 2000000000)), "50.0%");
}

TEST(ResultRowsTest, CharacterTextsAndComments) {
    EXPECT_EQ(ResultCharacterText(1), "( )");
    EXPECT_EQ(ResultCharacterText(6), "\\SK");
    EXPECT_EQ(ResultCharacterText(' '), " ");

    EXPECT_EQ(CharacterComment(' '), "词间隙");
    EXPECT_EQ(CharacterComment('-'), "连字符");
    EXPECT_EQ(CharacterComment('"'), "引号");
    EXPECT_EQ(CharacterComment(')'), "括号");
    // The parentheses are tallied under code 1 and named like "(".
    EXPECT_EQ(CharacterComment(1), "括号");
    for (const unsigned char none : {'A', '5', '@', '='}) EXPECT_EQ(CharacterComment(none), "");
    // Prosign codes (a line break in the copy is tallied under 13 and 10) and accented letters.
    for (int code = 2; code <= 16; ++code) EXPECT_EQ(CharacterComment(code), "") << code;
    EXPECT_EQ(CharacterComment(0xC4), "");
}
