#include "history/text_alignment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

namespace {

// The oracle's own reading of a text: upper case, "\XX" (or "\SOS") one token, both parentheses
// one token, white-space runs one gap, the ends trimmed. It knows only the escapes the tests use.
std::vector<std::string> OracleTokens(const std::string& text) {
    std::vector<std::string> tokens;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
            tokens.push_back(" ");
            continue;
        }
        if (c == '\\') {
            std::string escape;
            for (size_t k = i + 1; k < text.size() && k <= i + 3; ++k)
                escape += static_cast<char>(std::toupper(static_cast<unsigned char>(text[k])));
            const size_t len = escape.rfind("SOS", 0) == 0 ? 3 : 2;
            tokens.push_back("\\" + escape.substr(0, len));
            i += 1 + len;
            continue;
        }
        tokens.push_back(c == '(' || c == ')' ? "()" : std::string(1, static_cast<char>(std::toupper(c))));
        ++i;
    }
    while (!tokens.empty() && tokens.front() == " ") tokens.erase(tokens.begin());
    while (!tokens.empty() && tokens.back() == " ") tokens.pop_back();
    return tokens;
}

// Plain full-table edit distance.
int OracleDistance(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::vector<std::vector<int>> d(a.size() + 1, std::vector<int>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = static_cast<int>(i);
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = static_cast<int>(j);
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j)
            d[i][j] = std::min({d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1), d[i - 1][j] + 1,
                                d[i][j - 1] + 1});
    return d[a.size()][b.size()];
}

// The alignment is a complete, ordered edit script whose marks agree with the symbols.
void ExpectValidScript(const TextAlignment& t) {
    int32_t nextSent = 0;
    int32_t nextCopy = 0;
    for (const AlignedPair& p : t.pairs) {
        if (p.sent >= 0) {
            EXPECT_EQ(p.sent, nextSent++);
        }
        if (p.copy >= 0) {
            EXPECT_EQ(p.copy, nextCopy++);
        }
        if (p.mark == AlignmentMark::Correct || p.mark == AlignmentMark::Wrong) {
            ASSERT_TRUE(p.sent >= 0 && p.copy >= 0);
            EXPECT_EQ(p.mark == AlignmentMark::Correct,
                      t.sent[static_cast<size_t>(p.sent)].ch == t.copy[static_cast<size_t>(p.copy)].ch);
        }
        if (p.mark == AlignmentMark::Missing) {
            EXPECT_EQ(p.copy, -1);
        }
        if (p.mark == AlignmentMark::Extra) {
            EXPECT_EQ(p.sent, -1);
        }
    }
    EXPECT_EQ(nextSent, static_cast<int32_t>(t.sent.size()));
    EXPECT_EQ(nextCopy, static_cast<int32_t>(t.copy.size()));
}

std::string Marks(const TextAlignment& t) {
    std::string marks;
    for (const AlignedPair& p : t.pairs) marks += "=xm+"[static_cast<int>(p.mark)];
    return marks;
}

TEST(ScoredSymbols, ReadEscapesParenthesesAndGapsAsOneCharacterEach) {
    const std::string text = "  ab \\sk\r\n(c)  ";
    const std::vector<TextSymbol> s = ScoredSymbols(text);
    ASSERT_EQ(s.size(), 8u);  // A B gap SK gap ( C ): the line break is one gap
    EXPECT_EQ(s[0].ch, 'A');
    EXPECT_EQ(s[3].ch, 6);  // the code of SK
    EXPECT_EQ(text.substr(s[3].start, s[3].length), "\\sk");
    EXPECT_EQ(s[4].ch, ' ');
    EXPECT_EQ(text.substr(s[4].start, s[4].length), "\r\n");
    EXPECT_EQ(s[5].ch, 1);
    EXPECT_EQ(s[7].ch, 1);  // ")" is the same character as "("
}

TEST(AlignTexts, MarksEachKindOfError) {
    struct Case {
        const char* sent;
        const char* copy;
        const char* marks;
    } cases[] = {
        {"ABCDE", "abcde", "====="},
        {"ABCDE", "ABXDE", "==x=="},
        {"ABCDE", "ABDE", "==m=="},
        {"ABCDE", "ABXCDE", "==+==="},
        {"AB \\BT CD", "ab \\bt cd", "======="},
        {"PARIS", "", "mmmmm"},
        {"", "XY", "++"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.sent) + " / " + c.copy);
        const TextAlignment t = AlignTexts(c.sent, c.copy);
        ExpectValidScript(t);
        EXPECT_EQ(Marks(t), c.marks);
    }
    EXPECT_DOUBLE_EQ(AlignTexts("ABCD", "ABXD").AccuracyPercent(), 75.0);
    EXPECT_DOUBLE_EQ(AlignTexts("ABC", "ABCX").AccuracyPercent(), 75.0);  // extra counts as wrong
    EXPECT_DOUBLE_EQ(AlignTexts("", " \n").AccuracyPercent(), 100.0);
}

TEST(AlignTexts, ScoresALateCopyFairlyWhereTheLiveWindowWouldNot) {
    // Copy that lags far behind the sender: every character is still paired.
    const std::string sent = "KMRSU AAPTL OWKMR SUAPT LOWIK";
    const TextAlignment t = AlignTexts(sent, sent);
    EXPECT_EQ(t.correct, static_cast<int32_t>(t.sent.size()));
    EXPECT_DOUBLE_EQ(t.AccuracyPercent(), 100.0);
}

TEST(AlignTexts, ListsConfusionsWorstFirstWithoutGaps) {
    // B copied as D three times, M as N once, a gap copied as a letter once.
    const TextAlignment t = AlignTexts("AB AB AB KM XY", "AD AD AD KN XQY");
    const std::vector<Confusion> c = t.Confusions();
    ASSERT_GE(c.size(), 2u);
    EXPECT_EQ(c[0], (Confusion{'B', 'D', 3}));
    EXPECT_EQ(c[1], (Confusion{'M', 'N', 1}));
    for (const Confusion& x : c) EXPECT_TRUE(x.sent != ' ' && x.copied != ' ');
}

TEST(AlignTexts, AgreesWithAFullTableOracleOnRandomCopies) {
    std::mt19937 rng(20240501);
    const std::vector<std::string> alphabet = {"A", "B", "E", "K", "M", "5", "?", " ", "\\SK", "\\BT", "("};
    for (int round = 0; round < 300; ++round) {
        // Short texts use the whole table; long ones are split (up to 900 characters).
        const size_t length = round < 250 ? rng() % 40 : 300 + rng() % 600;
        std::string sent;
        std::string copy;
        for (size_t i = 0; i < length; ++i) {
            const std::string& token = alphabet[rng() % alphabet.size()];
            sent += token;
            switch (rng() % 10) {
                case 0: break;  // missed
                case 1: copy += alphabet[rng() % alphabet.size()]; break;  // garbled
                case 2: copy += token + alphabet[rng() % alphabet.size()]; break;  // extra
                default: copy += token;
            }
        }
        SCOPED_TRACE(sent + " / " + copy);
        const TextAlignment t = AlignTexts(sent, copy);
        ExpectValidScript(t);
        const std::vector<std::string> a = OracleTokens(sent);
        const std::vector<std::string> b = OracleTokens(copy);
        ASSERT_EQ(t.sent.size(), a.size());
        ASSERT_EQ(t.copy.size(), b.size());
        EXPECT_EQ(t.wrong + t.missing + t.extra, OracleDistance(a, b));
    }
}

}  // namespace
