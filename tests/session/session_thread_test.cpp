#include "session/session_thread.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "content/text_sources.h"
#include "engine/audio_flags.h"
#include "scoring/compare_copy.h"
#include "session/test_session_view.h"
#include "settings/settings.h"

namespace {

using namespace std::chrono_literals;

constexpr char kSK = '\x06';  // the prosign code of SK, shown as "\\SK"

// The dots and dashes of a played signal: a tone longer than two dots is a dash.
std::string PatternOf(const std::vector<ToneRun>& runs) {
    const size_t dot = static_cast<size_t>(g_settings.m_keying.dotSamples);
    std::string pattern;
    for (const ToneRun& run : runs) pattern += run.tone > 2 * dot ? '-' : '.';
    return pattern;
}

// Polls `done` until it holds or `limit` passes.
template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// A recording's file that fills up after `capacity` bytes.
class FullDiskSink : public SampleSink {
public:
    explicit FullDiskSink(size_t capacity) : m_nLeft(capacity) {}
    void WriteSamples(const void*, size_t n) override {
        if (n > m_nLeft) throw SinkWriteError(ENOSPC);
        m_nLeft -= n;
    }

private:
    size_t m_nLeft;
};

class SessionThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_bAbort = false;
        // Fast keying keeps the sessions short: a dot of 264 samples, character gap 793.
        g_settings.m_keying.SetSpeeds(500, 500, false);
        g_settings.m_nEndDelay = 0;
        g_settings.m_nProsignSpacing = 3;
        g_settings.m_bUseCaps = false;
        g_settings.m_nSessionDuration = 1;
    }
    void TearDown() override {
        g_bAbort = false;
        g_settings.m_keying.SetSpeeds(m_nWordSpeed, m_nCharSpeed, false);
        g_settings.m_nEndDelay = m_nEndDelay;
        g_settings.m_nProsignSpacing = m_nProsignSpacing;
        g_settings.m_bUseCaps = m_bUseCaps;
        g_settings.m_nSessionDuration = m_nDuration;
        g_settings.m_nSource = m_nSource;
        g_settings.m_nMinWordLength = m_nMinWordLength;
        g_settings.m_nMaxWordLength = m_nMaxWordLength;
        g_textLines = m_textLines;
    }

    // Runs one session (or resumption) to its end on a device as fast as its writer.
    void RunSession() {
        view.m_device.StartFreeRunning();
        view.Launch(SessionThread);
        ASSERT_TRUE(view.WaitForEnd());
    }

    void ExpectStreamReleased() {
        EXPECT_FALSE(view.m_device.HasBuffer());
        EXPECT_EQ(g_nActiveStreams, 0);
        EXPECT_FALSE(g_bAbort);
        EXPECT_FALSE(view.m_bThreadRunning);
    }

    // An ended session without results: time and count back to 0, the fixed text gone. Each
    // thread run (`runs` of them on this view) woke the interface once as it ended.
    void ExpectEndedWithoutResults(const TestSessionView::Record& record, int runs = 1) {
        EXPECT_EQ(record.finishedPosts, 0);
        EXPECT_EQ(view.m_nSentCount, 0);
        EXPECT_EQ(view.m_nElapsedSamples, 0);
        EXPECT_TRUE(view.m_strSessionText.empty());
        EXPECT_FALSE(view.m_bPauseRequested);
        EXPECT_EQ(record.endWakeUps, runs);
        ExpectStreamReleased();
    }

    const int m_nWordSpeed = g_settings.m_keying.wordSpeedCpm;
    const int m_nCharSpeed = g_settings.m_keying.charSpeedCpm;
    const int m_nEndDelay = g_settings.m_nEndDelay;
    const int m_nProsignSpacing = g_settings.m_nProsignSpacing;
    const bool m_bUseCaps = g_settings.m_bUseCaps;
    const int m_nDuration = g_settings.m_nSessionDuration;
    const int m_nSource = g_settings.m_nSource;
    const int m_nMinWordLength = g_settings.m_nMinWordLength;
    const int m_nMaxWordLength = g_settings.m_nMaxWordLength;
    const std::vector<std::string> m_textLines = g_textLines;
    TestSessionView view;
};

TEST_F(SessionThreadTest, FixedTextIsSentOnceAndAnEmptyCopyGetsNoResults) {
    // Leftovers of an earlier session that a new one must clear.
    view.m_tally.correct['A'] = 4;
    view.m_nBudgetUsed = 9;
    view.m_strSessionText = "ab";
    RunSession();

    const auto record = view.Snapshot();
    EXPECT_EQ(view.m_nBudget, 2);
    EXPECT_EQ(view.m_nBudgetUsed, 2);
    EXPECT_EQ(record.output, "ab");
    EXPECT_EQ(record.copy, "");
    EXPECT_EQ(view.m_tally.correct['A'], 0);
    EXPECT_EQ(PatternOf(SplitTones(view.m_device.Played())), ".--...");  // a b
    // Every element woke the interface with the time counted so far.
    ASSERT_EQ(record.elementWakeUps.size(), 6u);
    for (size_t i = 1; i < record.elementWakeUps.size(); ++i)
        EXPECT_GT(record.elementWakeUps[i], record.elementWakeUps[i - 1]);
    ExpectEndedWithoutResults(record);
}

TEST_F(SessionThreadTest, FixedTextEchoesProsignEscapesInCapitalsWithoutExtraSpacing) {
    g_settings.m_bUseCaps = true;
    view.m_strSessionText = std::string("a") + kSK + "b";
    RunSession();

    EXPECT_EQ(view.Snapshot().output, "A\\SKB");
    const auto runs = SplitTones(view.m_device.Played());
    ASSERT_EQ(PatternOf(runs), ".-...-.--...");  // a SK b
    // Every item of a fixed text is one character, so the prosign ends with a plain character
    // gap, like the letter before it.
    EXPECT_NEAR(runs[7].silenceAfter, runs[1].silenceAfter, 4);
}

TEST_F(SessionThreadTest, GeneratedPracticeEndsWithTheCharacterThatReachesTheBudget) {
    constexpr int32_t kOneMinute = 22050 * 60;
    std::vector<int32_t> usedBeforeEcho;  // touched on the interface thread only
    view.m_onOutputInsert = [&](TestSessionView::Record& record) {
        usedBeforeEcho.push_back(view.m_nBudgetUsed);
        record.copy = "k";  // the learner copied something: results follow
    };
    RunSession();

    const auto record = view.Snapshot();
    EXPECT_EQ(view.m_nBudget, kOneMinute);
    EXPECT_GE(view.m_nBudgetUsed, kOneMinute);
    ASSERT_FALSE(usedBeforeEcho.empty());
    EXPECT_LT(usedBeforeEcho.back(), kOneMinute);
    EXPECT_EQ(record.finishedPosts, 1);
    EXPECT_EQ(view.m_nSentCount, static_cast<int32_t>(record.output.size()));
    // The counted time is the sound produced: all of it was played, then at most three halves
    // (6615 samples) of silent tail.
    EXPECT_EQ(view.m_nElapsedSamples, view.m_nBudgetUsed);
    const auto playedSamples = static_cast<int64_t>(view.m_device.Played().size() / 2);
    EXPECT_GE(playedSamples, view.m_nElapsedSamples);
    EXPECT_LE(playedSamples, view.m_nElapsedSamples + 6615);
    ExpectStreamReleased();
}

TEST_F(SessionThreadTest, SessionDurationOutsideItsRangeNeverLoopsOnABadBudget) {
    for (int minutes : {0, -3}) {
        g_settings.m_nSessionDuration = minutes;
        RunSession();
        EXPECT_EQ(view.m_nBudget, 0) << minutes;
        EXPECT_EQ(view.Snapshot().output, "") << minutes;
    }
    // A huge duration must not overflow into a negative budget.
    g_settings.m_nSessionDuration = INT_MAX;
    view.m_onOutputInsert = [&](TestSessionView::Record&) { view.m_bFinishRequested = true; };
    RunSession();
    EXPECT_GT(view.m_nBudget, 0);
    EXPECT_EQ(view.Snapshot().output.size(), 1u);
}

TEST_F(SessionThreadTest, PauseInAGroupDropsItsRestAndTheResumptionStartsANewGroup) {
    g_settings.m_nSource = SOURCE_KOCH;
    const std::string lesson = g_settings.GetActiveCharacters();
    g_settings.m_nMinWordLength = 5;
    g_settings.m_nMaxWordLength = 5;
    const auto pauseAt = [&](size_t length) {
        view.m_onOutputInsert = [&, length](TestSessionView::Record& record) {
            if (record.output.size() != length) return;
            view.m_bApplyEndDelay = false;  // as the Pause command does
            view.m_bPauseRequested = true;
        };
    };
    pauseAt(2);
    RunSession();
    auto record = view.Snapshot();
    ASSERT_EQ(record.output.size(), 2u);
    EXPECT_TRUE(view.m_bPauseRequested);
    EXPECT_EQ(record.finishedPosts, 0);
    EXPECT_EQ(view.m_nSentCount, 2);
    const int32_t elapsedAtPause = view.m_nElapsedSamples;
    EXPECT_GT(elapsedAtPause, 0);
    ExpectStreamReleased();

    view.SetCopy("k");
    view.m_tally.correct['K'] = 1;
    // Stop again within the second group of the resumption: old text, space, group, space, one.
    pauseAt(2 + 1 + 6 + 1);
    RunSession();
    record = view.Snapshot();
    const std::string before = record.output.substr(0, 2);
    EXPECT_EQ(record.output, before + " " + record.output.substr(3, 5) + " " + record.output[9]);
    EXPECT_EQ(record.output.find_first_not_of(lesson, 3), 8u);
    EXPECT_EQ(record.copy, "k ");
    EXPECT_EQ(view.m_nSentCount, 10);  // the separating space counts
    EXPECT_GT(view.m_nElapsedSamples, elapsedAtPause);
    EXPECT_EQ(view.m_tally.correct['K'], 1);  // a resumption keeps the tally
}

TEST_F(SessionThreadTest, PausedFixedTextResumesAtTheNextCharacter) {
    view.m_strSessionText = "abcdefghij";
    view.m_onOutputInsert = [&](TestSessionView::Record& record) {
        if (record.output.size() == 5) view.m_bPauseRequested = true;
    };
    RunSession();
    EXPECT_EQ(view.m_nBudgetUsed, 5);
    EXPECT_EQ(view.m_strSessionText, "abcdefghij");

    view.m_onOutputInsert = nullptr;
    RunSession();
    const auto record = view.Snapshot();
    EXPECT_EQ(record.output, "abcde fghij");
    // Both parts together keyed each letter once (and the separating space silently).
    EXPECT_EQ(PatternOf(SplitTones(view.m_device.Played())),
              ".--...-.-.-.....-.--........---");  // a to j
    ExpectEndedWithoutResults(record, 2);
}

TEST_F(SessionThreadTest, ProsignInsideALineIsFollowedByExtraWordSpaces) {
    g_settings.m_nSource = SOURCE_LINE_FILE;
    const int32_t charGap = g_settings.m_keying.charGapSamples;
    const int32_t wordSpace = g_settings.m_keying.wordGapSamples - charGap;
    // Ends the session once `length` bytes have been echoed.
    const auto finishAt = [&](size_t length) {
        view.m_onOutputInsert = [&, length](TestSessionView::Record& record) {
            if (record.output.size() == length) view.m_bFinishRequested = true;
        };
    };

    g_textLines = {std::string("a") + kSK};
    finishAt(std::string("a\\SK a").size());
    RunSession();
    auto runs = SplitTones(view.m_device.Played());
    ASSERT_EQ(PatternOf(runs), ".-...-.-.-");  // a SK a
    EXPECT_NEAR(runs[1].silenceAfter, charGap, 4);
    // Two extra word spaces ("Prosign spacing" 3), then the item's own space.
    EXPECT_NEAR(runs[7].silenceAfter, charGap + 3 * wordSpace, 4);

    // The same prosign opening its item gets none.
    const size_t firstSession = view.m_device.Played().size();
    g_textLines = {kSK + std::string("a")};
    finishAt(std::string("\\SKa \\SK").size());
    RunSession();
    const auto played = view.m_device.Played();
    runs = SplitTones(std::vector<uint8_t>(played.begin() + firstSession, played.end()));
    ASSERT_EQ(PatternOf(runs), "...-.-.-...-.-");  // SK a SK
    EXPECT_NEAR(runs[5].silenceAfter, charGap, 4);
    EXPECT_NEAR(runs[7].silenceAfter, charGap + wordSpace, 4);
}

TEST_F(SessionThreadTest, AbortCutsTheCharacterAfterItsCurrentElement) {
    g_settings.m_keying.SetSpeeds(60, 90, false);  // a dash of 4410 samples: one per write
    view.m_strSessionText = "00";
    view.m_onOutputInsert = [](TestSessionView::Record& record) { record.copy = "0"; };
    // The device is never advanced: the stream blocks on it in the second of the five dashes.
    view.Launch(SessionThread);
    ASSERT_TRUE(WaitUntil([&] { return !view.Snapshot().elementWakeUps.empty(); }));
    g_bAbort = true;
    ASSERT_TRUE(view.WaitForEnd(5s));

    const auto record = view.Snapshot();
    EXPECT_EQ(record.output, "0");
    EXPECT_LE(record.elementWakeUps.size(), 2u);
    ExpectEndedWithoutResults(record);
}

TEST_F(SessionThreadTest, StopGoesToTheResultsWithoutTheEndDelay) {
    g_settings.m_nEndDelay = 30;
    view.m_strSessionText = "eeee";
    view.m_onOutputInsert = [&](TestSessionView::Record& record) {
        record.copy = "e";
        view.m_bApplyEndDelay = false;  // as the Stop command does
        view.m_bFinishRequested = true;
    };
    view.m_device.StartFreeRunning();
    view.Launch(SessionThread);
    ASSERT_TRUE(view.WaitForEnd(5s));

    const auto record = view.Snapshot();
    EXPECT_EQ(record.output, "e");
    EXPECT_EQ(record.finishedPosts, 1);
    EXPECT_EQ(view.m_nSentCount, 1);  // kept for the results
    EXPECT_GT(view.m_nElapsedSamples, 0);
    EXPECT_FALSE(view.m_bFinishRequested);
    EXPECT_TRUE(view.m_strSessionText.empty());
    ExpectStreamReleased();
}

TEST_F(SessionThreadTest, AKeystrokeHandledAsTheSessionStartsIsNotScoredIntoItsTally) {
    // The panes of the session before, and a copy keystroke that the interface thread handles
    // just before the new session's first pane call.
    view.SetPaneText(Pane::Output, "PARIS PARIS");
    view.SetCopy("paris paris");
    view.m_beforeFirstPaneCall = [&](TestSessionView::Record& record) {
        CompareCopy(view.m_tally, record.copy, record.output, false);
    };
    // The learner copies the new session perfectly.
    view.m_onOutputInsert = [&](TestSessionView::Record& record) {
        record.copy = record.output;
        CompareCopy(view.m_tally, record.copy, record.output, false);
    };
    view.m_strSessionText = "test";
    RunSession();

    const auto record = view.Snapshot();
    ASSERT_EQ(record.output, "test");
    EXPECT_EQ(record.finishedPosts, 1);
    EXPECT_TRUE(view.m_bResultsPending);
    EXPECT_TRUE(CompareCopy(view.m_tally, record.copy, record.output, true));
    // Only the new session is scored, all of it.
    EXPECT_EQ(view.m_tally.correctTotal, 4);
    EXPECT_EQ(view.m_tally.wrongTotal, 0);
    EXPECT_EQ(view.m_tally.correct['P'], 0);
}

TEST_F(SessionThreadTest, NormalEndWithCopyWaitsTheEndDelayBeforeTheResults) {
    g_settings.m_nEndDelay = 1;
    view.m_strSessionText = "e";
    view.m_onOutputInsert = [](TestSessionView::Record& record) { record.copy = "e"; };
    RunSession();

    const auto record = view.Snapshot();
    EXPECT_EQ(record.finishedPosts, 1);
    EXPECT_GE(record.finishedAt - record.lastElementAt, 1000ms);
    EXPECT_EQ(view.m_nSentCount, 1);
    EXPECT_TRUE(view.m_strSessionText.empty());
}

TEST_F(SessionThreadTest, ClosingOrAbortDuringTheEndDelayEndsTheThreadAtOnce) {
    g_settings.m_nEndDelay = 30;
    for (const bool closing : {true, false}) {
        view.m_bClosing = false;
        view.m_strSessionText = "e";
        view.m_onOutputInsert = [](TestSessionView::Record& record) { record.copy = "e"; };
        const int releases = view.m_device.Calls(FakeSoundDevice::Op::ReleaseBuffer);
        view.m_device.StartFreeRunning();
        view.Launch(SessionThread);
        // The stream has been released: the thread now sleeps the end delay.
        ASSERT_TRUE(WaitUntil(
            [&] { return view.m_device.Calls(FakeSoundDevice::Op::ReleaseBuffer) > releases; }));
        std::this_thread::sleep_for(100ms);
        if (closing)
            view.m_bClosing = true;
        else
            g_bAbort = true;
        ASSERT_TRUE(view.WaitForEnd(3s)) << closing;
        EXPECT_EQ(view.Snapshot().finishedPosts, 0) << closing;
        // Nothing else would clear the abort flag now that no stream runs.
        EXPECT_FALSE(g_bAbort) << closing;
        EXPECT_FALSE(view.m_bThreadRunning);
    }
}

TEST_F(SessionThreadTest, DeviceErrorMidSessionEndsItAsIfAborted) {
    g_settings.m_keying.SetSpeeds(60, 90, false);  // each e fills more than two halves
    view.m_strSessionText = "eeeeeeeeee";
    view.m_onOutputInsert = [&](TestSessionView::Record& record) {
        record.copy = "e";
        if (record.output.size() == 3)
            view.m_device.FailOperation(FakeSoundDevice::Op::Lock, device::kErrFailed);
    };
    RunSession();

    const auto record = view.Snapshot();
    EXPECT_FALSE(view.m_device.Played().empty());
    EXPECT_EQ(record.output, "eee");
    ExpectEndedWithoutResults(record);
}

TEST_F(SessionThreadTest, FullDiskEndsTheRecordingAsIfAbortedAndSaysSo) {
    // Room for two e's (1057 samples each at 500 CPM) but not the third.
    FullDiskSink sink(3 * 2 * 1057 - 2);
    view.Audio().AttachFileSink(&sink);
    view.m_strSessionText = "eeeeee";
    view.Launch(SessionThread);
    ASSERT_TRUE(view.WaitForEnd());
    view.Audio().DetachFileSink();

    const auto record = view.Snapshot();
    EXPECT_TRUE(view.m_bSinkFailed);
    EXPECT_EQ(record.output, "eee");
    EXPECT_EQ(view.m_device.Calls(FakeSoundDevice::Op::CreateBuffer), 0);
    ExpectEndedWithoutResults(record);
}

TEST_F(SessionThreadTest, UnexpectedFailureEndsTheSessionWithoutEndingTheProgram) {
    g_settings.m_keying.SetSpeeds(60, 90, false);  // the first e already plays on the device
    view.m_strSessionText = "eeee";
    view.m_onOutputInsert = [&](TestSessionView::Record& record) {
        record.copy = "e";
        if (record.output.size() == 2) view.m_bFailPaneCalls = true;
    };
    RunSession();
    const auto record = view.Snapshot();
    EXPECT_EQ(record.output, "ee");
    EXPECT_GT(view.m_device.Calls(FakeSoundDevice::Op::Play), 0);
    ExpectEndedWithoutResults(record);
}

TEST_F(SessionThreadTest, SingleCharacterIsPlayedOnceWithNothingCounted) {
    view.m_chPlayCharacter = 'a';
    view.m_device.StartFreeRunning();
    view.Launch(PlayCharacterThread);
    ASSERT_TRUE(view.WaitForEnd());

    const auto record = view.Snapshot();
    EXPECT_EQ(PatternOf(SplitTones(view.m_device.Played())), ".-");
    EXPECT_TRUE(record.elementWakeUps.empty());
    EXPECT_EQ(record.endWakeUps, 1);
    EXPECT_EQ(record.output, "");
    EXPECT_EQ(view.m_nElapsedSamples, 0);
    ExpectStreamReleased();
}

TEST_F(SessionThreadTest, SingleCharacterDeviceErrorStillStopsTheStream) {
    g_settings.m_keying.SetSpeeds(60, 90, false);  // the first dash fills the device buffer
    view.m_chPlayCharacter = '0';
    view.m_device.FailOperation(FakeSoundDevice::Op::Lock, device::kErrFailed);
    view.Launch(PlayCharacterThread);
    ASSERT_TRUE(view.WaitForEnd());

    EXPECT_EQ(view.m_device.Calls(FakeSoundDevice::Op::CreateBuffer), 1);
    EXPECT_EQ(view.m_device.Calls(FakeSoundDevice::Op::ReleaseBuffer), 1);
    EXPECT_EQ(view.Snapshot().endWakeUps, 1);
    ExpectStreamReleased();
}

}  // namespace
