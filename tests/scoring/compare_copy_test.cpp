#include "scoring/compare_copy.h"

#include <gtest/gtest.h>

#include <mutex>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "compare_copy_oracle.h"
#include "content/codepage.h"
#include "settings/settings.h"

namespace {

int32_t Sum(const RelaxedAtomic<int32_t> (&counts)[256]) {
    return std::accumulate(std::begin(counts), std::end(counts), int32_t{0},
                           [](int32_t a, const RelaxedAtomic<int32_t>& b) { return a + b; });
}

void ExpectConsistent(const ScoreTally& t, const std::string& copy, const std::string& sent) {
    EXPECT_EQ(t.correctTotal, Sum(t.correct));
    EXPECT_GE(t.wrongTotal, Sum(t.wrong));
    EXPECT_LE(t.copyOffset, static_cast<int32_t>(copy.size()));
    EXPECT_LE(t.sentOffset, static_cast<int32_t>(sent.size()));
    EXPECT_GE(t.copyOffset, 0);
    EXPECT_GE(t.sentOffset, 0);
}

// The learner types the copy one keystroke at a time while the whole sent text is on show;
// then the session ends. Returns the final comparison's result.
bool TypeThenFinish(ScoreTally& t, const std::string& sent, const std::string& copy) {
    for (size_t n = 1; n <= copy.size(); ++n) {
        const std::string text = copy.substr(0, n);
        CompareCopy(t, text, sent, false);
        ExpectConsistent(t, text, sent);
    }
    const bool result = CompareCopy(t, copy, sent, true);
    ExpectConsistent(t, copy, sent);
    return result;
}

struct Example {
    const char* name;
    std::string sent;
    std::string copy;
    int correct;
    int wrong;
};

TEST(CompareCopy, KeystrokeByKeystrokeExamples) {
    const Example examples[] = {
        {"typed exactly", "ABCDEFG", "ABCDEFG", 7, 0},
        {"lower case", "MORSE CODE", "morse code", 10, 0},
        {"escape as one character", "AB \\BT CD", "ab \\bt cd", 7, 0},
        {"escape still being typed", "AB \\BT CD", "ab \\b", 3, 4},
        {"copied after 26 were sent", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
         21, 5},
        {"substitution", "ABCDEFGHIJ", "ABCXEFGHIJ", 9, 1},
        {"omission", "ABCDEFGHIJ", "BCDEFGHIJ", 9, 1},
        {"insertion", "ABCDEFG", "AXBCDEFG", 7, 0},
        {"half-way", "ABCDEFGHIJ", "ABCDE", 5, 5},
        {"running past", "ABCDE", "ABCDEXYZ", 5, 3},
        {"trailing white space", "ABC  ", "ABC\r\n", 3, 0},
        {"skipped by the sender's lead", "ABCDEFGHIJ", "AXCDEFGHIJ", 9, 1},
    };
    for (const Example& e : examples) {
        SCOPED_TRACE(e.name);
        ScoreTally t;
        t.Clear();
        EXPECT_TRUE(TypeThenFinish(t, e.sent, e.copy));
        EXPECT_EQ(t.correctTotal, e.correct);
        EXPECT_EQ(t.wrongTotal, e.wrong);
    }
}

TEST(CompareCopy, PastedCopyBeyondTheSentTextIsWrittenOff) {
    ScoreTally t;
    t.Clear();
    CompareCopy(t, "ABCDEXYZ", "ABCDE", false);
    // The three leading copy characters cannot pair with anything sent.
    EXPECT_EQ(t.wrongTotal, 3);
    EXPECT_EQ(t.copyOffset, 3);
    EXPECT_TRUE(CompareCopy(t, "ABCDEXYZ", "ABCDE", true));
    EXPECT_EQ(t.correctTotal, 2);
    EXPECT_EQ(t.correct['D'], 1);
    EXPECT_EQ(t.correct['E'], 1);
    EXPECT_EQ(t.wrongTotal, 9);
    EXPECT_EQ(Sum(t.wrong), 3);  // A, B and C were missed; the rest has no entry
}

TEST(CompareCopy, CaseAndParenthesesShareTallyEntries) {
    ScoreTally t;
    t.Clear();
    TypeThenFinish(t, "(AB) ab", ")ab( AB");
    EXPECT_EQ(t.correctTotal, 7);
    EXPECT_EQ(t.correct[1], 2);  // both parentheses under code 1
    EXPECT_EQ(t.correct['A'], 2);
    EXPECT_EQ(t.correct['a'], 0);
    EXPECT_EQ(t.wrongTotal, 0);
}

TEST(CompareCopy, EmptyCopyAtTheEndCountsTheSentTextWrong) {
    ScoreTally t;
    t.Clear();
    EXPECT_FALSE(CompareCopy(t, "", "AB C\n", true));
    EXPECT_EQ(t.wrongTotal, 4);  // A, B, the space and C; the trailing line break is trimmed
    EXPECT_EQ(t.wrong[' '], 1);
    t.Clear();
    EXPECT_FALSE(CompareCopy(t, " \r\n\t", "AB", true));  // white space only is empty
    EXPECT_EQ(t.wrongTotal, 2);
}

TEST(CompareCopy, FewPendingCopyCharactersWaitForMore) {
    ScoreTally t;
    t.Clear();
    const std::string sent = "ABCDEFGHIJ";
    for (const char* copy : {"X", "XB", "XBC", "XBCD", "XBCDE"}) {
        CompareCopy(t, copy, sent, false);
        EXPECT_EQ(t.correctTotal + t.wrongTotal + t.copyOffset + t.sentOffset, 0) << copy;
    }
    CompareCopy(t, "XBCDEF", sent, false);  // the sixth pending byte starts the search
    EXPECT_EQ(t.wrong['A'], 1);
    EXPECT_EQ(t.correctTotal, 5);
    EXPECT_EQ(t.sentOffset, 6);
    EXPECT_EQ(t.copyOffset, 6);
}

TEST(CompareCopy, UnfinishedEscapeIsHeldBack) {
    ScoreTally t;
    t.Clear();
    const std::string sent = "AB \\SK CD";
    for (const char* copy : {"a", "ab", "ab ", "ab \\", "ab \\s"})
        CompareCopy(t, copy, sent, false);
    EXPECT_EQ(t.correctTotal, 3);
    EXPECT_EQ(t.copyOffset, 3);  // the backslash and "s" wait
    CompareCopy(t, "ab \\sk", sent, false);
    EXPECT_EQ(t.correctTotal, 4);
    EXPECT_EQ(t.copyOffset, 6);
    EXPECT_EQ(t.wrongTotal, 0);
    // A space after it releases a backslash that starts no escape.
    t.Clear();
    CompareCopy(t, "\\x ", "\\X ", false);
    EXPECT_EQ(t.correctTotal, 3);
}

TEST(CompareCopy, AlignmentPrefersPairingOnTies) {
    // "A" and "B" each give a common subsequence of one; the earlier sent byte is paired.
    ScoreTally t;
    t.Clear();
    CompareCopy(t, "BA", "AB", true);
    EXPECT_EQ(t.correct['A'], 1);
    EXPECT_EQ(t.wrong['B'], 1);
    EXPECT_EQ(t.correctTotal, 1);
    EXPECT_EQ(t.wrongTotal, 1);  // the unpaired copy "B" lies below the sent length: uncounted
}

TEST(CompareCopy, DeletedScoredCopyIsScoredAgainst) {
    ScoreTally t;
    t.Clear();
    const std::string sent = "ABCD";
    for (const char* copy : {"A", "AB", "ABC"}) CompareCopy(t, copy, sent, false);
    CompareCopy(t, "", sent, false);  // the learner clears the pane
    EXPECT_EQ(t.copyOffset, 0);
    CompareCopy(t, "D", sent, false);
    EXPECT_EQ(t.correctTotal, 4);
    EXPECT_EQ(t.copyOffset, 1);
}

TEST(CompareCopy, EscapeCutByAnOffsetStillCountsAsOneProsign) {
    // The learner lags: the first keystroke pushes the sent window's start past the escape's
    // backslash, into the middle of "\SK".
    ScoreTally t;
    t.Clear();
    const std::string sent = "\\SKABCDEFGHIJKLMNOPQRS";
    CompareCopy(t, "\\", sent, false);
    ASSERT_EQ(t.sentOffset, 2);
    EXPECT_TRUE(TypeThenFinish(t, sent, "\\skabcdefghijklmnopqrs"));
    EXPECT_EQ(t.correctTotal, 20);
    EXPECT_EQ(t.correct[6], 1);
    EXPECT_EQ(t.wrongTotal, 0);

    // A wrong prosign: the escapes' fillers agree, so the offsets stop just before the codes.
    t.Clear();
    const std::string sent2 = "\\SK ABC";
    TypeThenFinish(t, sent2, "\\ar abc");
    EXPECT_EQ(t.wrong[6], 1);
    EXPECT_EQ(t.wrong['K'], 0);
    EXPECT_EQ(t.correctTotal, 4);
}

TEST(CompareCopy, TraceHookReportsEachSearch) {
    std::vector<std::string> lines;
    SetCompareTraceHook([&lines](const std::string& line) { lines.push_back(line); });
    ScoreTally t;
    t.Clear();
    TypeThenFinish(t, "ABCDEFGHIJ", "ABCXEFGHIJ");  // one search, when "XEFGHI" is pending
    t.Clear();
    CompareCopy(t, "Q", "ABC", true);  // a search that pairs nothing
    SetCompareTraceHook(nullptr);
    EXPECT_EQ(lines, (std::vector<std::string>{"5 CMatch used\n", "0 CMatch used\n"}));
    t.Clear();
    CompareCopy(t, "BA", "AB", true);  // switched off again
    EXPECT_EQ(lines.size(), 2u);
}

// The learner copies `text` `lag` characters behind the sender: copy[i] (the typed form of
// sent character i, empty when it was left out, two characters for an extra one) is typed,
// one keystroke per character, once `lag` more characters have been sent; then the session
// ends. Returns the tally.
ScoreTally CopyBehind(const std::string& text, const std::vector<std::string>& copy, size_t lag) {
    ScoreTally t;
    t.Clear();
    std::string sent;
    std::string typed;
    for (size_t i = 0; i < text.size() + lag; ++i) {
        if (i < text.size()) sent += text[i];
        if (i < lag) continue;
        for (char ch : copy[i - lag]) {
            typed += ch;
            CompareCopy(t, typed, sent, false);
        }
    }
    CompareCopy(t, typed, sent, true);
    return t;
}

void ExpectSameTally(const ScoreTally& a, const ScoreTally& b) {
    EXPECT_EQ(a.correctTotal, b.correctTotal);
    EXPECT_EQ(a.wrongTotal, b.wrongTotal);
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(a.correct[c], b.correct[c]) << c;
        EXPECT_EQ(a.wrong[c], b.wrong[c]) << c;
    }
}

TEST(CompareCopy, CopyingUpToTwentyCharactersBehindScoresAsInStep) {
    // No character repeats within 36, so no typo can pair with a later character by chance.
    const std::string text =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::vector<std::string> oneTypo;
    for (char ch : text.substr(0, 36)) oneTypo.emplace_back(1, ch);
    oneTypo[12] = "#";
    std::vector<std::string> mixed;
    for (char ch : text) mixed.emplace_back(1, ch);
    mixed[8] = "#";              // I substituted
    mixed[25] = "";              // Z left out
    mixed[47] = "l";             // lower case is still right
    mixed[48] = mixed[49] = "";  // M and N left out together
    mixed[60] = "#";             // Y substituted

    const ScoreTally oneTypoInStep = CopyBehind(text.substr(0, 36), oneTypo, 0);
    EXPECT_EQ(oneTypoInStep.correctTotal, 35);
    EXPECT_EQ(oneTypoInStep.wrongTotal, 1);
    EXPECT_EQ(oneTypoInStep.wrong['M'], 1);
    const ScoreTally mixedInStep = CopyBehind(text, mixed, 0);
    EXPECT_EQ(mixedInStep.correctTotal, 67);
    EXPECT_EQ(mixedInStep.wrongTotal, 5);
    for (char ch : std::string("IZMNY"))
        EXPECT_EQ(mixedInStep.wrong[static_cast<unsigned char>(ch)], 1) << ch;

    for (size_t lag = 1; lag <= 20; ++lag) {
        SCOPED_TRACE(lag);
        ExpectSameTally(CopyBehind(text.substr(0, 36), oneTypo, lag), oneTypoInStep);
        ExpectSameTally(CopyBehind(text, mixed, lag), mixedInStep);
        if (HasFailure()) break;
    }
    // Further behind than that, the oldest sent characters are written off.
    EXPECT_LT(CopyBehind(text.substr(0, 36), oneTypo, 21).correctTotal, 35);
}

// Random sessions: the sender's text grows token by token, and the learner types it `lag`
// tokens behind with typos, omissions, extra characters, escapes, case changes, deletions and
// pastes, catching up after the sender has stopped. After every change the comparison and the
// oracle must leave identical tallies.
class RandomSession {
public:
    RandomSession(uint32_t seed, size_t lag) : m_rng(seed), m_lag(lag) {}

    void Run() {
        ScoreTally fast, slow;
        fast.Clear();
        slow.Clear();
        std::vector<std::string> tokens;
        std::string sent;
        std::string copy;
        size_t typedTokens = 0;
        const int steps = Pick(20, 120);
        for (int step = 0; step < steps; ++step) {
            if (Chance(45)) {
                tokens.push_back(NextToken());
                sent += tokens.back();
            }
            if (typedTokens + m_lag < tokens.size() && Chance(80))
                copy += Mistype(tokens[typedTokens++]);
            if (Chance(4) && !copy.empty())
                copy.erase(copy.size() - Pick(1, 4) % (copy.size() + 1));
            if (Chance(2)) copy.clear();
            if (Chance(3)) copy += NextToken() + NextToken();
            Compare(fast, slow, copy, sent, false);
        }
        while (typedTokens < tokens.size()) {
            copy += Mistype(tokens[typedTokens++]);
            Compare(fast, slow, copy, sent, false);
        }
        if (Chance(50)) sent += Chance(50) ? "  " : "\r\n";
        if (Chance(50)) copy += Chance(50) ? " \n" : "\t";
        Compare(fast, slow, copy, sent, true);
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    bool Chance(int percent) { return Pick(0, 99) < percent; }

    std::string NextToken() {
        static const char* const kTokens[] = {
            "A",    "B",    "E",     "K",    "S",  "T",    "a",    "e",    "k",    " ",
            " ",    "(",    ")",     "=",    "+",  "\r\n", "5",    "\\SK", "\\BT", "\\TV",
            "\\VA", "\\AR", "\\SOS", "\\KN", "\\", "\\X",  "\xE4", "\xC4", "\x10", "\\S",
        };
        return kTokens[Pick(0, static_cast<int>(std::size(kTokens)) - 1)];
    }

    std::string Mistype(const std::string& token) {
        const int roll = Pick(0, 99);
        if (roll < 8) return "";                    // omitted
        if (roll < 16) return NextToken();          // substituted
        if (roll < 22) return token + NextToken();  // extra character after it
        if (roll < 30) {                            // other case
            std::string t = token;
            codepage::MakeLower(t);
            return t;
        }
        return token;
    }

    static void Compare(ScoreTally& fast, ScoreTally& slow, const std::string& copy,
                        const std::string& sent, bool final) {
        const bool a = CompareCopy(fast, copy, sent, final);
        const bool b = OracleCompareCopy(slow, copy, sent, final);
        ASSERT_EQ(a, b);
        ASSERT_EQ(fast.copyOffset, slow.copyOffset)
            << "copy \"" << copy << "\" sent \"" << sent << '"';
        ASSERT_EQ(fast.sentOffset, slow.sentOffset);
        ASSERT_EQ(fast.correctTotal, slow.correctTotal);
        ASSERT_EQ(fast.wrongTotal, slow.wrongTotal);
        for (int c = 0; c < 256; ++c) {
            ASSERT_EQ(fast.correct[c], slow.correct[c]) << c;
            ASSERT_EQ(fast.wrong[c], slow.wrong[c]) << c;
        }
        ExpectConsistent(fast, copy, sent);
    }

    std::mt19937 m_rng;
    size_t m_lag;
};

TEST(CompareCopy, RandomSessionsMatchTheWholeTextOracle) {
    // The prosign variants change how "=", "+" and the escapes normalise; try several.
    CharacterSet saved;
    {
        std::lock_guard lock(g_settingsLock);
        saved = g_settings.m_charSet;
    }
    const CharFlag variants[] = {CF_BT, CF_TV, CF_EQUALS, CF_VA, CF_AR, CF_PLUS};
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        {
            std::lock_guard lock(g_settingsLock);
            for (size_t v = 0; v < std::size(variants); ++v)
                g_settings.m_charSet.m_flags[variants[v]] = ((seed >> v) & 1) != 0;
        }
        SCOPED_TRACE(seed);
        RandomSession(seed, seed % 21).Run();
        if (HasFatalFailure()) break;
    }
    std::lock_guard lock(g_settingsLock);
    g_settings.m_charSet = saved;
}

}  // namespace
