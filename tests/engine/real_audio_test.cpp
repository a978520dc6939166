// Plays text through the real PortAudio device into a private PulseAudio server and measures
// the recording of what came out: the pitches, the element and gap lengths, the ramps at the
// edges of every tone, the pace of the play call and the end of the last element.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "engine/audio_flags.h"
#include "engine/audio_format.h"
#include "engine/keying.h"
#include "engine/morse_audio.h"
#include "engine/portaudio_device.h"
#include "real_audio_analysis.h"
#include "real_audio_server.h"

namespace {

using std::chrono::milliseconds;

constexpr double kRate = audio::kSampleRate;
// 20 WPM: the reference word PARIS is 50 units, so a unit is 60 s / (20 × 50) = 60 ms.
constexpr int kWpm = 20;
constexpr double kUnitMs = 60000.0 / (kWpm * 50);
// Pitches whose periods are whole samples (22050 / 25 and 22050 / 35), so each is played
// exactly; dashes and dots take different ones to show both reach the device.
constexpr int kDashHz = 882;
constexpr int kDotHz = 630;
// A recorded tone or gap may differ from its nominal length by the ramp's quiet samples.
constexpr double kLengthToleranceMs = 3.0;

// The text and its code, written out here as the oracle for the recording.
struct Letter {
    char ch;
    const char* code;  // "" for the word space
};
constexpr Letter kText[] = {{'p', ".--."}, {'a', ".-"}, {'r', ".-."}, {'i', ".."},
                            {'s', "..."},  {' ', ""},   {'e', "."}};

struct Expected {
    bool dash;
    double toneMs;
    double gapMs;  // silence to the next tone (for the last tone: its character gap)
};

// Units: a dot 1, a dash 3, the gap inside a character 1, between characters 3, between words 7.
std::vector<Expected> ExpectedTones() {
    std::vector<Expected> tones;
    for (const Letter& letter : kText) {
        if (!*letter.code) {
            tones.back().gapMs = 7 * kUnitMs;
            continue;
        }
        for (const char* e = letter.code; *e; ++e)
            tones.push_back({*e == '-', (*e == '-' ? 3 : 1) * kUnitMs, (e[1] ? 1 : 3) * kUnitMs});
    }
    return tones;
}

double Ms(double samples) {
    return samples * 1000.0 / kRate;
}

// "start+length" of every tone in ms, for a failure message.
std::string Describe(const std::vector<ToneSpan>& tones) {
    std::string text;
    char item[48];
    for (const ToneSpan& t : tones) {
        std::snprintf(item, sizeof item, " %.1f+%.1f", Ms(double(t.start)), Ms(double(t.Length())));
        text += item;
    }
    return text;
}

// Plays `text` as a session does: a device error ends it as an abort would.
void PlayAsASession(CMorseAudio& audio, const char* text) {
    g_bAbort = false;
    try {
        for (const char* c = text; *c && !g_bAbort; ++c)
            audio.SynthesizeCharacter(static_cast<unsigned char>(*c), nullptr, nullptr);
    } catch (const DeviceError&) {
        g_bAbort = true;
    }
    try {
        audio.Write(nullptr, 0);
    } catch (const DeviceError&) {
    }
    audio.StopStream();
}

KeyingParameters TestKeying() {
    KeyingParameters keying;
    keying.SetSpeeds(kWpm, kWpm, true);
    keying.SetPitches(kDashHz, kDotHz);
    keying.volume = 100;
    return keying;
}

class RealAudioTest : public testing::Test {
protected:
    void SetUp() override {
        if (!PulseAudioInstalled())
            GTEST_SKIP() << "pulseaudio and pulseaudio-utils are not installed";
        ASSERT_TRUE(m_server.Start(milliseconds{10000})) << m_server.Error();
        if (const char* old = std::getenv("PULSE_SERVER")) m_oldServer = old;
        // The ALSA "default" device routes to PulseAudio while a server answers at this address.
        setenv("PULSE_SERVER", m_server.ServerAddress().c_str(), 1);
    }
    void TearDown() override {
        m_server.Stop();
        if (m_oldServer)
            setenv("PULSE_SERVER", m_oldServer->c_str(), 1);
        else
            unsetenv("PULSE_SERVER");
    }

    PrivatePulseServer m_server;
    std::optional<std::string> m_oldServer;
};

TEST_F(RealAudioTest, PlaysTextAtItsPitchesAndPaceWithoutClicksOrALostEnd) {
    const std::unique_ptr<SoundBackend> backend = MakePortAudioBackend();
    std::unique_ptr<SoundDevice> device = backend->Open("");
    ASSERT_NE(device, nullptr) << "no PortAudio output reaches " << m_server.ServerAddress();
    ASSERT_TRUE(m_server.StartRecording(milliseconds{5000})) << m_server.Error();

    const KeyingParameters keying = TestKeying();
    SoundDevice* slot = device.get();
    g_bAbort = false;
    const auto begin = std::chrono::steady_clock::now();
    {
        CMorseAudio audio(keying, slot);
        for (const Letter& letter : kText) audio.SynthesizeCharacter(letter.ch, nullptr, nullptr);
        audio.Write(nullptr, 0);
        audio.StopStream();
    }
    const double elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    // Half a second more of the monitor: whatever the device still held has come out by then.
    ASSERT_TRUE(m_server.RecordFurther(audio::kSampleRate / 2, milliseconds{5000}));
    const std::vector<int16_t> capture = m_server.StopRecording();
    device.reset();

    const int peak = PeakMagnitude(capture, 0, capture.size());
    ASSERT_GT(peak, 1000) << "the recording is silent";
    const std::vector<Expected> expected = ExpectedTones();
    // 2% of the peak: below it only the first and last samples of each ramp and the samples at
    // zero crossings, which a 2 ms bridge joins.
    const std::vector<ToneSpan> tones = FindTones(capture, peak / 50, 44);
    ASSERT_EQ(tones.size(), expected.size()) << "tones recorded vs keyed:" << Describe(tones);

    double soundMs = 0.0;
    double worstTone = 0.0, worstGap = 0.0;
    double dashHz = 0.0, dotHz = 0.0;
    for (size_t i = 0; i < tones.size(); ++i) {
        SCOPED_TRACE("tone " + std::to_string(i));
        const ToneSpan& t = tones[i];
        const Expected& want = expected[i];
        soundMs += want.toneMs + want.gapMs;

        const double toneError = Ms(double(t.Length())) - want.toneMs;
        EXPECT_LE(std::abs(toneError), kLengthToleranceMs) << "tone lasted " << Ms(t.Length());
        worstTone = std::max(worstTone, std::abs(toneError));
        if (i + 1 < tones.size()) {
            const double gapError = Ms(double(tones[i + 1].start - t.end)) - want.gapMs;
            EXPECT_LE(std::abs(gapError), kLengthToleranceMs);
            worstGap = std::max(worstGap, std::abs(gapError));
        }

        // The steady middle of the tone: strong at its own pitch, nearly nothing at the other.
        const double hz = want.dash ? kDashHz : kDotHz;
        const double otherHz = want.dash ? kDotHz : kDashHz;
        const size_t midBegin = t.start + t.Length() / 4;
        const size_t midEnd = t.end - t.Length() / 4;
        const double own = ToneAmplitude(capture, midBegin, midEnd, hz);
        EXPECT_GT(own, 20.0 * ToneAmplitude(capture, midBegin, midEnd, otherHz));
        EXPECT_GT(own, 0.8 * PeakMagnitude(capture, midBegin, midEnd));
        const double measuredHz = ZeroCrossingFrequency(capture, midBegin, midEnd);
        EXPECT_NEAR(measuredHz, hz, hz * 0.005);
        (want.dash ? dashHz : dotHz) = measuredHz;

        // No click: over the first and last quarter period a tone is still far below its level
        // (an abrupt edge would reach at least 70% of it within a quarter period).
        const size_t quarter = static_cast<size_t>(kRate / hz / 4);
        const int level = PeakMagnitude(capture, midBegin, midEnd);
        EXPECT_LE(PeakMagnitude(capture, t.start, t.start + quarter), level / 4) << "rise";
        EXPECT_LE(PeakMagnitude(capture, t.end - quarter, t.end), level / 4) << "fall";
    }

    // The last element came out whole (its length was checked above) and then only silence,
    // for longer than its character gap.
    const double afterMs = Ms(double(capture.size() - tones.back().end));
    EXPECT_GT(afterMs, expected.back().gapMs + 100.0);
    EXPECT_LE(PeakMagnitude(capture, tones.back().end, capture.size()), peak / 50);

    // Played in real time: the call returns once the sound has been heard, after the short
    // silence that ends a playback and the device's play-out, not before and not much later.
    EXPECT_GE(elapsedMs, 0.9 * soundMs);
    EXPECT_LE(elapsedMs, 1.3 * soundMs);

    std::printf(
        "real audio: dashes %.2f Hz, dots %.2f Hz; worst tone error %.2f ms, worst gap "
        "error %.2f ms; %.0f ms of keyed sound played in %.0f ms\n",
        dashHz, dotHz, worstTone, worstGap, soundMs, elapsedMs);
}

// The sound server restarts under an open stream (a desktop's sound service restarted, a
// headset's server gone): the playback that meets the dead connection ends within a bounded
// time, and the device opened afresh plays again, without a restart of the program.
TEST_F(RealAudioTest, PlaysAgainAfterTheSoundServerRestartedUnderTheStream) {
    const std::unique_ptr<SoundBackend> backend = MakePortAudioBackend();
    const KeyingParameters keying = TestKeying();
    SoundDevice* slot = nullptr;
    CMorseAudio audio(keying, slot);
    ASSERT_TRUE(audio.OpenDevice(*backend, ""));
    PlayAsASession(audio, "e");
    EXPECT_FALSE(audio.DeviceFailed());

    ASSERT_TRUE(m_server.Restart(milliseconds{10000})) << m_server.Error();
    const auto begin = std::chrono::steady_clock::now();
    PlayAsASession(audio, "ee");
    const double failedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    // Not a speed: a hang shows as the test's own timeout; this bounds the time a learner waits.
    EXPECT_LT(failedMs, 6000.0);
    EXPECT_EQ(g_nActiveStreams, 0);

    // The next Start opens the output again, on the server that answers now.
    ASSERT_TRUE(audio.OpenDevice(*backend, ""));
    ASSERT_TRUE(m_server.StartRecording(milliseconds{5000})) << m_server.Error();
    PlayAsASession(audio, "paris");
    EXPECT_FALSE(audio.DeviceFailed());
    ASSERT_TRUE(m_server.RecordFurther(audio::kSampleRate / 2, milliseconds{5000}));
    const std::vector<int16_t> capture = m_server.StopRecording();
    const int peak = PeakMagnitude(capture, 0, capture.size());
    ASSERT_GT(peak, 1000) << "nothing was heard after the restart";
    // p a r i s: 4 + 2 + 3 + 2 + 3 elements.
    EXPECT_EQ(FindTones(capture, peak / 50, 44).size(), 14u);
    std::printf("restart: the playback on the dead server ended after %.0f ms\n", failedMs);
}

}  // namespace
