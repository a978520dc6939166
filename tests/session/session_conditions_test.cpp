// The signal conditions in whole playbacks: a session (played or recorded) hears them, a
// character clicked on the code table does not, and what the learner is scored on stays the
// same.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "engine/audio_flags.h"
#include "session/session_thread.h"
#include "session/test_session_view.h"
#include "settings/settings.h"

namespace {

class Capture : public SampleSink {
public:
    void WriteSamples(const void* bytes, size_t n) override {
        const size_t at = samples.size();
        samples.resize(at + n / 2);
        std::memcpy(samples.data() + at, bytes, n);
    }
    std::vector<int16_t> samples;
};

size_t Silent(const std::vector<int16_t>& samples) {
    return static_cast<size_t>(std::count(samples.begin(), samples.end(), int16_t{0}));
}

class SessionConditionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_bAbort = false;
        g_settings.m_keying.SetSpeeds(250, 250, false);
        g_settings.m_nEndDelay = 0;
    }
    void TearDown() override {
        g_settings.m_conditions = m_saved;
        g_settings.m_keying = m_savedKeying;
        g_settings.m_nEndDelay = m_nEndDelay;
        g_bAbort = false;
    }

    // Records the fixed text (generated practice when it is empty) as the record command does;
    // returns the samples written.
    std::vector<int16_t> Record(const std::string& text, std::string& echoed,
                                std::optional<uint64_t> seed = std::nullopt) {
        TestSessionView view;
        view.m_sessionSeed = seed;
        Capture sink;
        view.Audio().AttachFileSink(&sink);
        view.m_strSessionText = text;
        view.Launch(SessionThread);
        EXPECT_TRUE(view.WaitForEnd());
        view.Audio().DetachFileSink();
        echoed = view.Snapshot().output;
        return sink.samples;
    }

    // Plays one character as a click on the code table does; returns what the device played,
    // up to the silence the device keeps playing after it.
    std::vector<uint8_t> Click(unsigned char ch) {
        TestSessionView view;
        view.m_chPlayCharacter = ch;
        view.m_device.StartFreeRunning();
        view.Launch(PlayCharacterThread);
        EXPECT_TRUE(view.WaitForEnd());
        std::vector<uint8_t> played = view.m_device.Played();
        while (!played.empty() && played.back() == 0) played.pop_back();
        return played;
    }

    const SignalConditions m_saved = g_settings.m_conditions;
    const KeyingParameters m_savedKeying = g_settings.m_keying;
    const int m_nEndDelay = g_settings.m_nEndDelay;
};

}  // namespace

TEST_F(SessionConditionsTest, ASessionIsKeyedThroughTheConditionsAndSendsTheSameText) {
    std::string cleanText, bandText;
    const std::vector<int16_t> clean = Record("cq de k3lr", cleanText);

    g_settings.m_conditions.noiseOn = true;
    g_settings.m_conditions.fistOn = true;
    const std::vector<int16_t> band = Record("cq de k3lr", bandText);

    EXPECT_EQ(bandText, cleanText);  // the echo, which the copy is scored against
    ASSERT_FALSE(band.empty());
    // The noise fills the gaps the clean signal leaves silent.
    EXPECT_GT(Silent(clean), clean.size() / 3);
    EXPECT_LT(Silent(band), band.size() / 100);
    EXPECT_EQ(g_nActiveStreams, 0);
}

TEST_F(SessionConditionsTest, AClickedCharacterIsPlayedClean) {
    const std::vector<uint8_t> clean = Click('a');
    g_settings.m_conditions.noiseOn = true;
    g_settings.m_conditions.fistOn = true;
    g_settings.m_conditions.fistSpreadPercent = 25;
    EXPECT_EQ(Click('a'), clean);
}

TEST_F(SessionConditionsTest, ASeededSessionRepeatsItsPracticeAndItsBandExactly) {
    const int32_t source = g_settings.m_nSource;
    const int32_t duration = g_settings.m_nSessionDuration;
    g_settings.m_nSource = SOURCE_KOCH;
    g_settings.m_nSessionDuration = 1;
    g_settings.m_conditions.noiseOn = true;
    g_settings.m_conditions.fadingOn = true;
    g_settings.m_conditions.fistOn = true;
    std::string first, again, other;
    const auto firstSamples = Record("", first, 7);
    const auto againSamples = Record("", again, 7);
    const auto otherSamples = Record("", other, 8);
    g_settings.m_nSource = source;
    g_settings.m_nSessionDuration = duration;

    ASSERT_GT(first.size(), 50u);
    EXPECT_EQ(again, first);
    EXPECT_TRUE(againSamples == firstSamples);
    EXPECT_NE(other, first);
    EXPECT_FALSE(otherSamples == firstSamples);
}
