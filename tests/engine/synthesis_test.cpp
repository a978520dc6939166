#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <numbers>
#include <vector>

#include "engine/audio_flags.h"
#include "engine/file_sink.h"
#include "engine/keying.h"
#include "engine/morse_audio.h"

namespace {

// Collects what the synthesis hands on, one entry per write (one write per element).
class CaptureSink : public SampleSink {
public:
    void WriteSamples(const void* bytes, size_t n) override {
        ASSERT_EQ(n % 2, 0u);
        std::vector<int16_t> element(n / 2);
        std::memcpy(element.data(), bytes, n);
        elements.push_back(std::move(element));
    }
    std::vector<std::vector<int16_t>> elements;
};

// The tone and silence of one element, counted from its samples: the tone ends at the last
// sample that is not zero (a tone's first sample is zero by its rise, so it is not the start).
struct Measured {
    size_t tone;
    size_t gap;
};
Measured Measure(const std::vector<int16_t>& element) {
    size_t end = element.size();
    while (end > 0 && element[end - 1] == 0) --end;
    return {end, element.size() - end};
}

// Power of a signal at one frequency (Goertzel).
double PowerAt(const int16_t* s, size_t n, double hz) {
    const double w = 2.0 * std::numbers::pi * hz / 22050.0;
    double re = 0, im = 0;
    for (size_t k = 0; k < n; ++k) {
        re += s[k] * std::cos(w * k);
        im -= s[k] * std::sin(w * k);
    }
    return (re * re + im * im) / (double(n) * n);
}

class SynthesisTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_bAbort = false;
        audio.AttachFileSink(&sink);
    }
    void TearDown() override { g_bAbort = false; }

    int Key(unsigned char ch) { return audio.SynthesizeCharacter(ch, nullptr, nullptr); }

    KeyingParameters keying;
    SoundDevice* device = nullptr;  // a recording never touches the device
    CMorseAudio audio{keying, device};
    CaptureSink sink;
};

class CountingView : public SynthesisObserver {
public:
    void OnElementKeyed() override {
        ++calls;
        if (onElement) onElement(calls);
    }
    int calls = 0;
    std::function<void(int)> onElement;
};

}  // namespace

TEST_F(SynthesisTest, ElementsAndGapsHaveTheirLengthsInSamples) {
    EXPECT_EQ(Key('e'), 11682);  // 1470 tone + 10212 character gap
    ASSERT_EQ(sink.elements.size(), 1u);
    EXPECT_EQ(Measure(sink.elements[0]).tone, 1470u);
    EXPECT_EQ(Measure(sink.elements[0]).gap, 10212u);

    sink.elements.clear();
    EXPECT_EQ(Key('a'), 1470 + 1470 + 4410 + 10212);
    ASSERT_EQ(sink.elements.size(), 2u);
    EXPECT_EQ(Measure(sink.elements[0]).tone, 1470u);  // dot
    EXPECT_EQ(Measure(sink.elements[0]).gap, 1470u);   // gap inside the character
    EXPECT_EQ(Measure(sink.elements[1]).tone, 4410u);  // dash: three dots
    EXPECT_EQ(Measure(sink.elements[1]).gap, 10212u);

    sink.elements.clear();
    EXPECT_EQ(Key(' '), 23829 - 10212);  // the word space adds to the character gap before it
    ASSERT_EQ(sink.elements.size(), 1u);
    EXPECT_EQ(Measure(sink.elements[0]).tone, 0u);

    sink.elements.clear();
    EXPECT_EQ(Key('#'), 0);  // no code: no sound, no time
    EXPECT_EQ(Key(16), 0);
    EXPECT_TRUE(sink.elements.empty());

    EXPECT_GT(Key(13), 0);  // SOS: nine elements, one write each
    EXPECT_EQ(sink.elements.size(), 9u);
}

// "PARIS " is one reference word: at word speed w it lasts 6615000 / w samples, whatever the
// character speed, up to the truncation of each length.
TEST_F(SynthesisTest, TheReferenceWordLastsOneWordAtTheWordSpeed) {
    const int speeds[][2] = {{60, 90}, {25, 500}, {100, 100}, {25, 25}, {200, 350}};
    for (const auto& [w, c] : speeds) {
        keying.SetSpeeds(w, c, false);
        int total = 0;
        for (unsigned char ch : std::string("paris ")) total += Key(ch);
        EXPECT_NEAR(total, 6615000 / w, 60) << w << "/" << c;
    }
}

TEST_F(SynthesisTest, ToneRepeatsWithAWholeSamplePeriodAndCarriesItsPitch) {
    keying.SetSpeeds(25, 25, false);  // long dashes
    keying.SetPitches(1000, 600);     // dashes at 1000 Hz (period 22), dots at 600 (period 36)
    Key('a');
    ASSERT_EQ(sink.elements.size(), 2u);
    const struct {
        const std::vector<int16_t>& samples;
        int period;
        double pitch;
    } tones[] = {{sink.elements[0], 36, 600}, {sink.elements[1], 22, 1000}};
    for (const auto& t : tones) {
        const size_t n = Measure(t.samples).tone;
        const size_t from = 2 * t.period, to = n - 3 * t.period;  // skip both ramps
        int worstExact = 0, bestShifted = 1 << 30;
        for (size_t k = from; k < to; ++k) {
            worstExact = std::max(worstExact, std::abs(t.samples[k] - t.samples[k + t.period]));
            bestShifted =
                std::min(bestShifted, std::abs(t.samples[k] - t.samples[k + t.period - 1]) +
                                          std::abs(t.samples[k] - t.samples[k + t.period + 1]));
        }
        EXPECT_LE(worstExact, 1) << t.pitch;     // repeats exactly after P samples
        EXPECT_GT(bestShifted, 100) << t.pitch;  // but not after P - 1 or P + 1
        // The tone is at 22050 / P Hz: strong there, nothing at a neighbouring pitch.
        const double at = PowerAt(&t.samples[from], to - from, 22050.0 / t.period);
        const double off = PowerAt(&t.samples[from], to - from, 22050.0 / t.period * 1.1);
        EXPECT_GT(at, 1000 * off) << t.pitch;
    }
}

// At every cosine peak (k a multiple of P) the raw sample is the full amplitude, so the samples
// there trace the envelope: a rise over 2P samples, full level, a fall over the last 2P.
TEST_F(SynthesisTest, RampsRiseAndFallLinearlyOverTwoPeriods) {
    keying.SetPitches(1000, 1000);  // P = 22, R = 44
    const int p = 22, r = 44;
    const int amplitude = 8191;  // 50 × 50 × 3.2767 = 8191.75, truncated
    Key('t');
    const std::vector<int16_t>& s = sink.elements.at(0);
    const int n = static_cast<int>(Measure(s).tone);
    ASSERT_EQ(n, 3 * 1470);
    EXPECT_EQ(s[0], 0);
    for (int k = 0; k < n; k += p) {
        const int gain = std::min({k, r, n - k});
        EXPECT_EQ(s[k], amplitude * gain / r) << "sample " << k;
    }
    // The last tone sample keeps 1/R of its raw value.
    const double raw = std::cos(2.0 * (n - 1) * 3.1415926535 / p) * 50 * 50 * 3.2767;
    EXPECT_EQ(s[n - 1], static_cast<int16_t>(static_cast<int16_t>(raw) / r));
    EXPECT_NE(s[n - 1], 0);
}

TEST_F(SynthesisTest, VolumeScalesThePeakAndZeroVolumeKeepsTheTiming) {
    keying.volume = 100;
    keying.masterVolume = 100;
    Key('t');
    const auto& loud = sink.elements.at(0);
    EXPECT_EQ(*std::max_element(loud.begin(), loud.end()), 32767);
    EXPECT_GE(*std::min_element(loud.begin(), loud.end()), -32767);

    for (auto [volume, master] : {std::pair{0, 100}, std::pair{100, 0}}) {
        sink.elements.clear();
        keying.volume = volume;
        keying.masterVolume = master;
        EXPECT_EQ(Key('a'), 1470 + 1470 + 4410 + 10212);
        for (const auto& element : sink.elements)
            for (int16_t v : element) ASSERT_EQ(v, 0);
    }
}

TEST_F(SynthesisTest, CountsEachElementAndStopsAtAbort) {
    RelaxedAtomic<int32_t> counter = 5;
    CountingView view;
    EXPECT_EQ(audio.SynthesizeCharacter('0', &counter, &view), 5 * (4410 + 1470) + 10212 - 1470);
    EXPECT_EQ(view.calls, 5);
    EXPECT_EQ(counter, 5 + 5 * (4410 + 1470) + 10212 - 1470);

    // An abort during a character ends it after the current element.
    sink.elements.clear();
    view.calls = 0;
    view.onElement = [](int calls) {
        if (calls == 2) g_bAbort = true;
    };
    EXPECT_EQ(audio.SynthesizeCharacter('0', nullptr, &view), 2 * (4410 + 1470));
    EXPECT_EQ(sink.elements.size(), 2u);
    EXPECT_EQ(Key('e'), 0);  // still aborted: nothing at all
}

TEST_F(SynthesisTest, ParametersChangedDuringACharacterApplyFromTheNextElement) {
    CountingView view;
    view.onElement = [this](int) {
        keying.SetPitches(1000, 1000);
        keying.SetSpeeds(60, 60, false);
    };
    audio.SynthesizeCharacter('m', nullptr, &view);  // two dashes
    ASSERT_EQ(sink.elements.size(), 2u);
    EXPECT_EQ(Measure(sink.elements[0]).tone, 3 * 1470u);
    EXPECT_EQ(Measure(sink.elements[1]).tone, 3 * 2205u);
    EXPECT_EQ(Measure(sink.elements[1]).gap, 6615u);
    // The second dash repeats every 22 samples (1000 Hz), the first every 31 (700 Hz).
    EXPECT_LE(std::abs(sink.elements[1][1000] - sink.elements[1][1022]), 1);
    EXPECT_LE(std::abs(sink.elements[0][1000] - sink.elements[0][1031]), 1);
}

TEST(FileSampleSink, AFailedWriteIsRaisedNotSwallowed) {
    char path[] = "/tmp/veltrane_sink_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    FILE* readOnly = fdopen(fd, "rb");
    ASSERT_NE(readOnly, nullptr);
    FileSampleSink sink(readOnly);
    const int16_t samples[4] = {1, 2, 3, 4};
    try {
        sink.WriteSamples(samples, sizeof samples);
        ADD_FAILURE() << "no SinkWriteError";
    } catch (const SinkWriteError& e) {
        EXPECT_NE(e.err, 0);
    }
    std::fclose(readOnly);

    // A working file receives the bytes unchanged.
    FILE* file = std::fopen(path, "w+b");
    ASSERT_NE(file, nullptr);
    FileSampleSink(file).WriteSamples(samples, sizeof samples);
    std::rewind(file);
    int16_t back[4] = {};
    EXPECT_EQ(std::fread(back, 1, sizeof back, file), sizeof back);
    EXPECT_EQ(std::memcmp(back, samples, sizeof samples), 0);
    std::fclose(file);
    std::remove(path);
}
