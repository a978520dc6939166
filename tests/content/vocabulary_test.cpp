#include "content/vocabulary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "content/random.h"
#include "res/common_words.h"
#include "settings/settings.h"

namespace {

std::vector<std::string> Load(int id) {
    std::vector<std::string> array;
    LoadVocabulary(array, id);
    return array;
}

TEST(Vocabulary, CommonWordsListHasItsPromisedShape) {
    const std::string raw(reinterpret_cast<const char*>(g_commonWordsBytes),
                          g_commonWordsByteCount);
    EXPECT_EQ(raw.size(), 5843u);
    // Single spaces, and CR LF in exactly two places; nothing else separates the words.
    size_t crlf = 0;
    for (size_t i = 0; i < raw.size(); ++i) {
        const unsigned char ch = raw[i];
        ASSERT_TRUE(ch == ' ' || ch == '\r' || ch == '\n' || (ch > 0x20 && ch < 0x7F)) << i;
        if (ch == '\r') {
            ASSERT_EQ(raw[i + 1], '\n');
            ++crlf;
        }
        if (ch == ' ' || ch == '\n') {
            EXPECT_NE(raw[i - 1], ' ') << i;
        }
    }
    EXPECT_EQ(crlf, 2u);

    const std::vector<std::string> words = Load(VOCABULARY_COMMON_WORDS);
    ASSERT_EQ(words.size(), 1001u);
    std::string head;
    for (int i = 0; i < 25; ++i) head += words[i] + (i < 24 ? " " : "");
    EXPECT_EQ(head,
              "the of to and a in is it you that he was for on are with as I his they be at one "
              "have this");
    EXPECT_EQ(words[29], "hot");
    EXPECT_EQ(words[487], "hot");
    EXPECT_EQ(words[355], ".");
    EXPECT_EQ(words.back(), "neck");
    EXPECT_NE(std::find(words.begin(), words.end(), "don't"), words.end());
    EXPECT_NE(std::find(words.begin(), words.end(), "won't"), words.end());
    std::map<std::string, int> counts;
    for (const std::string& word : words) {
        ++counts[word];
        if (word != "I") {
            EXPECT_FALSE(std::any_of(word.begin(), word.end(), ::isupper)) << word;
        }
    }
    for (const auto& [word, count] : counts) EXPECT_EQ(count, word == "hot" ? 2 : 1) << word;
}

TEST(Vocabulary, RadioListsAndUnknownIds) {
    const std::vector<std::string> abbreviations = Load(VOCABULARY_ABBREVIATIONS);
    ASSERT_EQ(abbreviations.size(), 92u);
    EXPECT_EQ(abbreviations.front(), "73");
    EXPECT_EQ(abbreviations[40], "LID");
    EXPECT_EQ(abbreviations.back(), "YL");
    const std::vector<std::string> qCodes = Load(VOCABULARY_Q_CODES);
    ASSERT_EQ(qCodes.size(), 17u);
    EXPECT_EQ(qCodes.front(), "QRL");
    EXPECT_EQ(qCodes.back(), "QTR");
    EXPECT_TRUE(Load(4711).empty());
    // Loading appends.
    std::vector<std::string> both = qCodes;
    LoadVocabulary(both, VOCABULARY_Q_CODES);
    EXPECT_EQ(both.size(), 34u);
    EXPECT_EQ(both[17], "QRL");
}

class VocabularyDraws : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved.CopyFrom(g_settings);
        SeedRandom(1234);
    }
    void TearDown() override { g_settings.CopyFrom(m_saved); }

    // Draws n items and counts them, without the trailing space (checked on the way).
    std::map<std::string, int> Draw(int n) {
        std::map<std::string, int> counts;
        for (int i = 0; i < n; ++i) {
            std::string item = NextVocabularyItem();
            EXPECT_EQ(item.back(), ' ');
            item.pop_back();
            ++counts[item];
        }
        return counts;
    }

    CSettings m_saved;
};

TEST_F(VocabularyDraws, WordsToUseLimitsTheWordsDrawnFrom) {
    g_settings.m_nSource = SOURCE_WORDS;
    g_settings.m_nWordsToUse = 1;
    EXPECT_EQ(Draw(50), (std::map<std::string, int>{{"the", 50}}));

    g_settings.m_nWordsToUse = 25;
    const std::map<std::string, int> counts = Draw(3000);
    const std::vector<std::string> words = Load(VOCABULARY_COMMON_WORDS);
    const std::set<std::string> first25(words.begin(), words.begin() + 25);
    EXPECT_EQ(counts.size(), 25u);  // every one of them comes up
    for (const auto& [word, count] : counts) EXPECT_TRUE(first25.count(word)) << word;
}

TEST_F(VocabularyDraws, WordsToUseBeyondTheListStaysInsideIt) {
    g_settings.m_nSource = SOURCE_WORDS;
    g_settings.m_nWordsToUse = 5000;
    const std::map<std::string, int> counts = Draw(20000);
    const std::vector<std::string> words = Load(VOCABULARY_COMMON_WORDS);
    for (const auto& [word, count] : counts)
        EXPECT_NE(std::find(words.begin(), words.end(), word), words.end()) << word;
    // With the whole list in play, words from its far end come up too.
    EXPECT_GT(counts.size(), 900u);
    EXPECT_TRUE(counts.count("neck"));
}

TEST_F(VocabularyDraws, EachEnabledVocabularyGetsAnEqualShare) {
    g_settings.m_nSource = SOURCE_VOCABULARY_MASK;
    g_settings.m_nWordsToUse = 1000;
    const std::vector<std::string> abbreviations = Load(VOCABULARY_ABBREVIATIONS);
    const std::vector<std::string> qCodes = Load(VOCABULARY_Q_CODES);
    const int n = 30000;
    int q = 0, abbreviation = 0;
    for (const auto& [item, count] : Draw(n)) {
        if (std::find(qCodes.begin(), qCodes.end(), item) != qCodes.end()) q += count;
        if (std::find(abbreviations.begin(), abbreviations.end(), item) != abbreviations.end())
            abbreviation += count;
    }
    EXPECT_NEAR(q / double(n), 1 / 3.0, 0.02);
    EXPECT_NEAR(abbreviation / double(n), 1 / 3.0, 0.02);

    g_settings.m_nSource = SOURCE_Q_CODES;
    for (const auto& [item, count] : Draw(500))
        EXPECT_NE(std::find(qCodes.begin(), qCodes.end(), item), qCodes.end()) << item;
}

TEST_F(VocabularyDraws, NoVocabularySourceGivesASpace) {
    g_settings.m_nSource = SOURCE_KOCH;
    EXPECT_EQ(NextVocabularyItem(), " ");
}

}  // namespace
