#include "content/generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "content/random.h"
#include "content/text_sources.h"
#include "content/vocabulary.h"
#include "scoring/score_tally.h"
#include "settings/settings.h"

namespace {

// Saves and restores the live settings the generator reads, and the line array.
class Generator : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved.CopyFrom(g_settings);
        m_lines = g_textLines;
        g_settings.CopyFrom(CSettings());
        m_tally.Clear();
        SeedRandom(7);
    }
    void TearDown() override {
        g_settings.CopyFrom(m_saved);
        g_textLines = m_lines;
    }

    static void SetSelected(const std::string& list) {
        std::lock_guard lock(g_settingsLock);
        g_settings.m_nSource = SOURCE_CHARSET;
        g_settings.m_strSelectedCharacters = list;
    }
    void Tally(unsigned char ch, int correct, int wrong) {
        m_tally.correct[ch] = correct;
        m_tally.wrong[ch] = wrong;
    }

    ScoreTally m_tally;

private:
    CSettings m_saved;
    std::vector<std::string> m_lines;
};

TEST_F(Generator, KochLessonFavoursItsNewestCharacters) {
    g_settings.m_nCharactersUsed = 10;
    EXPECT_EQ(BuildPool(m_tally, false), "kmrsuaptloo");

    // Extra copies of the newest and the second newest character by lesson size.
    struct Row {
        int n, newest, second;
    };
    const Row rows[] = {{5, 0, 0},  {6, 1, 0},   {10, 1, 0}, {11, 2, 1}, {15, 2, 1},
                        {16, 3, 1}, {20, 3, 1},  {21, 4, 2}, {25, 4, 2}, {41, 8, 4},
                        {45, 8, 4}, {71, 14, 7}, {73, 14, 7}};
    {
        std::lock_guard lock(g_settingsLock);
        std::fill(std::begin(g_settings.m_charSet.m_flags), std::end(g_settings.m_charSet.m_flags),
                  true);
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.n);
        g_settings.m_nCharactersUsed = row.n;
        const std::string lesson = g_settings.GetActiveCharacters();
        ASSERT_EQ(lesson.size(), static_cast<size_t>(row.n));
        const std::string expected = lesson + std::string(row.newest, lesson[row.n - 1]) +
                                     std::string(row.second, lesson[row.n - 2]);
        EXPECT_EQ(BuildPool(m_tally, false), expected);
        EXPECT_EQ(BuildPool(m_tally, true), lesson);  // recording: the plain lesson
    }
    for (int source :
         {SOURCE_WORDS, SOURCE_LINE_FILE, SOURCE_TEXT_FILE, SOURCE_KOCH | SOURCE_WORDS}) {
        g_settings.m_nSource = source;
        EXPECT_EQ(BuildPool(m_tally, false), "") << source;
    }
}

TEST_F(Generator, WeakCharactersGetExtraCopiesWorstFirst) {
    g_settings.m_nCharactersUsed = 11;  // "kmrsuaptlow": one extra copy per weak character
    const std::string lesson = g_settings.GetActiveCharacters();
    const std::string favoured = lesson + "wwo";
    Tally('X', 9, 1);  // 90 %: not weak
    Tally('Y', 8, 1);  // 88.9 %
    Tally('Z', 1, 1);  // 50 %
    Tally('B', 1, 1);  // 50 %, lower byte than Z
    Tally('Q', 0, 3);  // 0 %
    Tally(' ', 0, 9);  // spaces never
    Tally('W', 0, 5);  // the newest character already has its extra copies
    Tally(6, 1, 2);    // a prosign code stays a code
    // By ascending accuracy, equal ones by byte: " ", Q, W (0 %), code 6, B, Z, Y.
    const std::string fromCode6 = std::string(1, '\x06') + "bzy";
    EXPECT_EQ(BuildPool(m_tally, false), favoured + "q" + fromCode6);

    // In the training mode the newest character is weighted like any weak one.
    g_settings.m_bPracticeMode = true;
    EXPECT_EQ(BuildPool(m_tally, false), lesson + "qw" + fromCode6);

    // Selected characters: weak ones still come up more often, newest ones do not.
    g_settings.m_bPracticeMode = false;
    SetSelected("abcdefghijk");
    EXPECT_EQ(BuildPool(m_tally, false), "abcdefghijkqw" + fromCode6);

    // A lesson of 10 gives weak characters no extra copy (ceil(10 * 0.1) - 1 = 0).
    g_settings.m_nSource = SOURCE_KOCH;
    g_settings.m_nCharactersUsed = 10;
    EXPECT_EQ(BuildPool(m_tally, false), "kmrsuaptloo");
}

// Draws many items from a pool and returns them.
std::vector<std::string> Items(const std::string& pool, int count) {
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) items.push_back(NextItem(pool));
    return items;
}

TEST_F(Generator, GroupsKeepWithinTheWordLengths) {
    std::set<size_t> lengths;
    for (const std::string& item : Items("abc\xE4", 3000)) {
        ASSERT_EQ(item.back(), ' ');
        lengths.insert(item.size() - 1);
        EXPECT_EQ(item.find_first_not_of("abc\xE4"), item.size() - 1) << item;
    }
    EXPECT_EQ(lengths, (std::set<size_t>{2, 3, 4, 5, 6, 7}));

    // A stored maximum below the minimum gives groups of the minimum length.
    g_settings.m_nMinWordLength = 6;
    g_settings.m_nMaxWordLength = 3;
    for (const std::string& item : Items("ab", 200)) EXPECT_EQ(item.size(), 7u);
    g_settings.m_nMinWordLength = -4;
    g_settings.m_nMaxWordLength = -9;
    for (const std::string& item : Items("ab", 200)) EXPECT_EQ(item.size(), 2u);

    EXPECT_EQ(NextItem(""), " ");
}

TEST_F(Generator, ProsignsComeAloneAndOnlyInAGroupsFirstHalf) {
    g_settings.m_nMinWordLength = 6;
    g_settings.m_nMaxWordLength = 6;
    // Half the draws are the SK code. It ends the group only among the first three draws, so
    // seven items in eight are the code alone (1 - 1/2^3); anywhere would give 63 in 64.
    const int count = 8000;
    int alone = 0;
    for (const std::string& item : Items("a\x06", count)) {
        if (item == "\x06 ") {
            ++alone;
        } else {
            EXPECT_EQ(item, "aaaaaa ");
        }
    }
    EXPECT_NEAR(static_cast<double>(alone) / count, 7.0 / 8.0, 0.02);
}

TEST_F(Generator, BracketedGroupsFitTheMaximum) {
    int bracketed = 0;
    for (const std::string& item : Items("ab\x01", 3000)) {
        ASSERT_EQ(item.back(), ' ');
        const std::string group = item.substr(0, item.size() - 1);
        EXPECT_EQ(group.find('\x01'), std::string::npos);
        if (group.front() != '(') {
            EXPECT_EQ(group.find_first_of("()"), std::string::npos) << group;
            continue;
        }
        ++bracketed;
        EXPECT_EQ(group.back(), ')') << group;
        EXPECT_LE(group.size(), 7u) << group;
        // A short group is lengthened so that a character still fits between the parentheses.
        EXPECT_GE(group.size(), 3u) << group;
        EXPECT_EQ(group.substr(1, group.size() - 2).find_first_not_of("ab"), std::string::npos);
    }
    EXPECT_GT(bracketed, 500);
}

TEST_F(Generator, PoolsOfProsignCodesOnlyStillGiveItems) {
    // Nothing in these pools could ever fill a group of one: the draw must still end.
    g_settings.m_nMinWordLength = 1;
    g_settings.m_nMaxWordLength = 1;
    for (const std::string& item : Items("\x05\x06", 100))
        EXPECT_TRUE(item == "\x05 " || item == "\x06 ") << item;
    g_settings.m_nMinWordLength = 2;
    g_settings.m_nMaxWordLength = 7;
    for (const std::string& item : Items("\x01", 100)) EXPECT_EQ(item, "() ");
}

TEST_F(Generator, VocabularyAndLineFileSources) {
    g_settings.m_nSource = SOURCE_WORDS | SOURCE_Q_CODES;
    SeedRandom(99);
    const std::vector<std::string> items = Items("abc", 20);
    SeedRandom(99);
    for (const std::string& item : items) EXPECT_EQ(item, NextVocabularyItem());

    g_settings.m_nSource = SOURCE_LINE_FILE;
    g_textLines.clear();
    EXPECT_EQ(NextItem("abc"), " ");  // no lines prepared yet
    g_textLines = {"one", "two two", "three"};
    std::set<std::string> seen;
    for (const std::string& item : Items("abc", 200)) seen.insert(item);
    EXPECT_EQ(seen, (std::set<std::string>{"one ", "two two ", "three "}));
}

}  // namespace
