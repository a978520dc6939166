// Statistics, Koch advice and the session table, worked out from hand-made records.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "history/history_stats.h"
#include "history/koch_advice.h"
#include "history/session_record_builder.h"
#include "history/session_table.h"
#include "scoring/score_tally.h"
#include "settings/settings.h"

namespace {

SessionRecord Session(int64_t start, std::vector<CharacterCounts> characters,
                      std::vector<Confusion> confusions = {}) {
    SessionRecord s;
    s.id = start;
    s.startUtcSeconds = start;
    s.characters = std::move(characters);
    s.confusions = std::move(confusions);
    for (const CharacterCounts& c : s.characters) {
        s.correctTotal += c.correct;
        s.wrongTotal += c.wrong;
    }
    s.accuracyPercent = s.correctTotal * 100.0 / std::max(1, s.correctTotal + s.wrongTotal);
    return s;
}

TEST(CharacterAccuracy, WorstFirstWithTheChangeAndUnsentCharactersLast) {
    // Oldest first: two earlier sessions, then the two recent ones.
    const std::vector<SessionRecord> sessions = {
        Session(1, {{'K', 5, 5}, {'M', 10, 0}}),
        Session(2, {{'K', 5, 5}}),
        Session(3, {{'K', 9, 1}, {'M', 6, 4}}),
        Session(4, {{'K', 10, 0}, {'M', 7, 3}, {'Q', 0, 9}}),  // Q is not in the lesson
    };
    const std::vector<CharacterProgress> rows = CharacterAccuracy(sessions, "kmr", 2);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].ch, 'm');
    EXPECT_DOUBLE_EQ(rows[0].AccuracyPercent(), 65.0);
    EXPECT_DOUBLE_EQ(rows[0].ChangePercent(), -35.0);
    EXPECT_EQ(rows[1].ch, 'k');
    EXPECT_DOUBLE_EQ(rows[1].AccuracyPercent(), 95.0);
    EXPECT_DOUBLE_EQ(rows[1].ChangePercent(), 45.0);
    EXPECT_EQ(rows[2].ch, 'r');
    EXPECT_FALSE(rows[2].HasData());
}

TEST(ConfusionMatrix, AddsUpTheRecentSessionsOnly) {
    const std::vector<SessionRecord> sessions = {
        Session(1, {}, {{'B', 'D', 50}}),  // too old
        Session(2, {}, {{'B', 'D', 2}, {'M', 'N', 1}}),
        Session(3, {}, {{'B', 'D', 1}, {'S', 'H', 4}}),
    };
    const ConfusionMatrix m = BuildConfusionMatrix(sessions, 2);
    EXPECT_EQ(m.sent, (std::vector<unsigned char>{'B', 'M', 'S'}));
    EXPECT_EQ(m.copied, (std::vector<unsigned char>{'D', 'H', 'N'}));
    EXPECT_EQ(m.At(0, 0), 3);
    EXPECT_EQ(m.At(0, 1), 0);
    EXPECT_EQ(m.Strongest(2), (std::vector<Confusion>{{'S', 'H', 4}, {'B', 'D', 3}}));
}

SessionRecord KochSession(const std::string& lesson, std::vector<CharacterCounts> counts) {
    SessionRecord s = Session(1, std::move(counts));
    s.source = SOURCE_KOCH;
    s.lessonCharacters = lesson;
    s.lessonSize = static_cast<int32_t>(lesson.size());
    return s;
}

TEST(KochAdvice, OffersTheNextCharacterOnlyWhenBothAccuraciesReachTheThreshold) {
    const std::string set = "kmrsu";
    const KochAdvice yes = AdviseNextLesson(KochSession("kmr", {{'K', 9, 1}, {'R', 9, 1}}), set, 90);
    EXPECT_TRUE(yes.offerNextLesson);
    EXPECT_EQ(yes.nextLessonSize, 4);
    EXPECT_EQ(yes.newCharacter, 's');

    // The newest character below the threshold, though the session as a whole is above it.
    EXPECT_FALSE(AdviseNextLesson(KochSession("kmr", {{'K', 90, 0}, {'R', 8, 2}}), set, 90).offerNextLesson);
    // The session below the threshold, the newest character perfect.
    EXPECT_FALSE(AdviseNextLesson(KochSession("kmr", {{'K', 5, 5}, {'R', 10, 0}}), set, 90).offerNextLesson);
    // The newest character never sent.
    EXPECT_FALSE(AdviseNextLesson(KochSession("kmr", {{'K', 10, 0}}), set, 90).offerNextLesson);
    // The whole set is already in the lesson.
    EXPECT_FALSE(AdviseNextLesson(KochSession("kmrsu", {{'U', 10, 0}}), set, 90).offerNextLesson);
    // Another threshold moves the line.
    EXPECT_TRUE(AdviseNextLesson(KochSession("kmr", {{'R', 8, 2}}), set, 80).offerNextLesson);

    for (int source : {SOURCE_CHARSET, SOURCE_WEAK_CHARACTERS, SOURCE_WORDS, SOURCE_TEXT_FILE}) {
        SessionRecord other = KochSession("kmr", {{'R', 10, 0}});
        other.source = source;
        EXPECT_FALSE(AdviseNextLesson(other, set, 90).offerNextLesson) << source;
    }
}

TEST(SessionTable, DatesInTheRecordedLocalTime) {
    // 2024-02-29 23:30 UTC.
    EXPECT_EQ(LocalDateTimeText(1709249400, 0), "2024-02-29 23:30");
    EXPECT_EQ(LocalDateTimeText(1709249400, 480), "2024-03-01 07:30");
    EXPECT_EQ(LocalDateTimeText(1709249400, -600), "2024-02-29 13:30");
    EXPECT_EQ(LocalDateTimeText(0, -60), "1969-12-31 23:00");
}

TEST(SessionTable, CsvQuotesWhatItMustAndGuardsFormulas) {
    SessionRecord s = Session(1709249400, {{'K', 9, 1}});
    s.source = SOURCE_CHARSET;
    s.lessonCharacters = "-,\"k";
    s.wordSpeedCpm = 92;
    s.charSpeedCpm = 100;
    s.durationSeconds = 300;
    SessionTableTexts texts;
    texts.headers = {"date", "source", "lesson", "chars", "wpm", "cwpm", "s", "ok", "bad", "pct"};
    texts.sourceName = [](int32_t) { return std::string("my, source"); };
    std::ostringstream out;
    ASSERT_TRUE(WriteSessionsCsv(out, {s}, texts));
    EXPECT_EQ(out.str(),
              "\xEF\xBB\xBF" "date,source,lesson,chars,wpm,cwpm,s,ok,bad,pct\r\n"
              "2024-02-29 23:30,\"my, source\",,\"'-,\"\"k\",18.4,20,300,9,1,90.0\r\n");
}

TEST(SessionRecordBuilder, TakesTheSettingsTallyAndAlignment) {
    CSettings settings;
    settings.m_nSource = SOURCE_KOCH;
    settings.m_nCharactersUsed = 3;
    ScoreTally tally;
    tally.Clear();
    tally.correct['K'] = 4;
    tally.wrong['M'] = 1;
    tally.correctTotal = 4;
    tally.wrongTotal = 1;
    const SessionRecord r = MakeSessionRecord(tally, settings, {"KMR KMR", "KMR KNR", 1709249400, 61});
    EXPECT_EQ(r.lessonCharacters, "kmr");
    EXPECT_EQ(r.lessonSize, 3);
    EXPECT_EQ(r.characters, (std::vector<CharacterCounts>{{'K', 4, 0}, {'M', 0, 1}}));
    EXPECT_DOUBLE_EQ(r.accuracyPercent, 80.0);
    EXPECT_EQ(r.confusions, (std::vector<Confusion>{{'M', 'N', 1}}));
    EXPECT_NEAR(r.alignedAccuracyPercent, 600.0 / 7.0, 1e-9);
    EXPECT_EQ(r.durationSeconds, 61);

    settings.m_nSource = SOURCE_WORDS;
    const SessionRecord words = MakeSessionRecord(tally, settings, {"A", "A", 0, 1});
    EXPECT_EQ(words.lessonSize, 0);
    EXPECT_EQ(words.lessonCharacters, "");
}

}  // namespace
