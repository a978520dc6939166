#include "writers/resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace {

std::vector<int16_t> Tone(double hz, int32_t rate, size_t n, double amplitude) {
    std::vector<int16_t> s(n);
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / rate)));
    return s;
}

// The amplitude of the component at hz of s[begin, end), by correlation with a complex tone.
double Amplitude(const std::vector<int16_t>& s, size_t begin, size_t end, double hz, int32_t rate) {
    std::complex<double> sum;
    for (size_t k = begin; k < end; ++k)
        sum += double(s[k]) * std::polar(1.0, -2 * std::numbers::pi * hz * double(k) / rate);
    return 2.0 * std::abs(sum) / double(end - begin);
}

std::vector<int16_t> Convert(const std::vector<int16_t>& in, int32_t from, int32_t to,
                             size_t chunk) {
    Resampler resampler(from, to);
    std::vector<int16_t> out;
    for (size_t at = 0; at < in.size(); at += chunk)
        resampler.Process(in.data() + at, std::min(chunk, in.size() - at), out);
    resampler.Finish(out);
    return out;
}

TEST(ResamplerTest, EqualRatesPassTheSamplesThroughUnchanged) {
    const auto in = Tone(700, 22050, 5000, 20000);
    EXPECT_EQ(Convert(in, 22050, 22050, 333), in);
}

TEST(ResamplerTest, ToneKeepsItsPitchAndLevelAtTheOpusRate) {
    const auto in = Tone(700, 22050, 22050, 16000);
    const auto out = Convert(in, 22050, 24000, 4096);
    // ceil(22,050 x 24,000 / 22,050) samples: the same second of sound.
    ASSERT_EQ(out.size(), 24000u);
    // Away from the ends, where the filter reaches into the silence around the tone.
    EXPECT_NEAR(Amplitude(out, 1000, 23000, 700, 24000), 16000, 16000 * 0.01);
    EXPECT_LT(Amplitude(out, 1000, 23000, 643, 24000), 16000 * 0.01);  // 700 x 22,050 / 24,000
    // Silence in gives silence out.
    const auto quiet = Convert(std::vector<int16_t>(3000, 0), 22050, 24000, 3000);
    EXPECT_EQ(quiet, std::vector<int16_t>(quiet.size(), 0));
}

TEST(ResamplerTest, ChunkingDoesNotChangeTheOutput) {
    const auto in = Tone(1234, 22050, 30000, 30000);
    const auto whole = Convert(in, 22050, 48000, in.size());
    EXPECT_EQ(Convert(in, 22050, 48000, 1), whole);
    EXPECT_EQ(Convert(in, 22050, 48000, 1001), whole);
    // Lowering the rate too: 22,050 to 16,000 keeps a tone below the new band edge.
    const auto down = Convert(in, 22050, 16000, 500);
    EXPECT_EQ(down.size(), (in.size() * 16000 + 22049) / 22050);
    EXPECT_NEAR(Amplitude(down, 500, down.size() - 500, 1234, 16000), 30000, 30000 * 0.01);
}

TEST(ResamplerTest, ToneAboveTheNewBandIsFilteredOut) {
    // 10 kHz fits 22,050 samples per second but not 16,000: it must not fold down to 6 kHz.
    const auto in = Tone(10000, 22050, 22050, 20000);
    const auto out = Convert(in, 22050, 16000, 2048);
    EXPECT_LT(Amplitude(out, 500, out.size() - 500, 6000, 16000), 20000 * 0.01);
}

}  // namespace
