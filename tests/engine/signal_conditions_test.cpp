// The signal conditions measured on the keyed signal: noise level and spectrum, fading depth and
// period, the other stations' pitch, speed and level, the rate of static crashes, the fist's
// lengths; and with all of them off, the clean signal sample for sample.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "content/random.h"
#include "engine/audio_flags.h"
#include "engine/file_sink.h"
#include "engine/morse_audio.h"
#include "engine/morse_code.h"
#include "real_audio_analysis.h"

namespace {

constexpr double kRate = 22050.0;

double Db(double ratio) {
    return 10.0 * std::log10(ratio);
}

// Everything the synthesis hands on, in one stretch, with the start of each element.
class Recorder : public SampleSink {
public:
    void WriteSamples(const void* bytes, size_t n) override {
        starts.push_back(samples.size());
        const size_t at = samples.size();
        samples.resize(at + n / 2);
        std::memcpy(samples.data() + at, bytes, n);
    }
    std::vector<int16_t> samples;
    std::vector<size_t> starts;
};

// An engine keying into a recorder under `conditions`, begun with a fixed seed.
class Band {
public:
    explicit Band(uint64_t seed = 11) {
        audio.AttachFileSink(&recorder);
        g_bAbort = false;
        m_seed = seed;
    }
    // Keys text (begun once, before the first text); returns the sample where it began.
    size_t Key(const std::string& text) {
        if (!m_bBegun) audio.BeginConditions(m_seed);
        m_bBegun = true;
        const size_t start = recorder.samples.size();
        for (unsigned char ch : text) audio.SynthesizeCharacter(ch, nullptr, nullptr);
        return start;
    }
    size_t Key(unsigned char ch, int times) { return Key(std::string(size_t(times), char(ch))); }

    KeyingParameters keying;
    SignalConditions conditions;
    SoundDevice* device = nullptr;
    CMorseAudio audio{keying, device, conditions};
    Recorder recorder;

private:
    uint64_t m_seed;
    bool m_bBegun = false;
};

// The played frequency of a pitch: a whole number of samples per period.
double Played(int pitch) {
    return kRate / std::floor(kRate / pitch);
}

// The amplitude at hz of the tones of the elements from `first` on whose tone lasts
// `toneSamples` (each measured apart, their ramps left out), averaged.
double ToneLevel(const Recorder& r, size_t firstElement, size_t toneSamples, double hz) {
    const size_t margin = 400;
    double sum = 0;
    int count = 0;
    for (size_t e = firstElement; e < r.starts.size(); ++e) {
        const size_t at = r.starts[e];
        sum += ToneAmplitude(r.samples, at + margin, at + toneSamples - margin, hz);
        ++count;
    }
    return count ? sum / count : 0.0;
}

}  // namespace

TEST(BandConditions, NoiseHasTheSetSignalToNoiseRatioInA500HzBand) {
    const struct {
        int snrDb, passbandHz, pitch;
    } cases[] = {
        {-6, 2400, 700}, {0, 1000, 700}, {10, 1500, 1000}, {20, 600, 500}, {30, 2400, 1200}};
    for (const auto& c : cases) {
        Band band;
        band.keying.SetSpeeds(25, 25, false);  // long dashes measure the tone precisely
        band.keying.SetPitches(c.pitch, c.pitch);
        band.conditions.noiseOn = true;
        band.conditions.noiseSnrDb = c.snrDb;
        band.conditions.passbandHz = c.passbandHz;
        const double tone = Played(c.pitch);

        const size_t noiseStart = band.Key(' ', 30);  // noise alone, about 29 s
        const size_t firstDash = band.recorder.starts.size();
        const size_t dashesStart = band.Key('t', 20);
        const double noise = BandPower(band.recorder.samples, noiseStart + 2205, dashesStart,
                                       tone - 250, tone + 250);
        const double amplitude =
            ToneLevel(band.recorder, firstDash, size_t(3 * band.keying.dotSamples), tone);
        const double snr = Db(amplitude * amplitude / 2 / noise);
        EXPECT_NEAR(snr, c.snrDb, 1.0) << c.snrDb << " dB through " << c.passbandHz << " Hz";
    }
}

TEST(BandConditions, NoiseFillsThePassbandAndFallsOffOutsideIt) {
    const struct { int passbandHz, pitch; } cases[] = {{250, 700}, {500, 1000}, {2400, 1500}};
    for (const auto& c : cases) {
        Band band;
        band.keying.SetPitches(c.pitch, c.pitch);
        band.conditions.noiseOn = true;
        band.conditions.passbandHz = c.passbandHz;
        band.Key(' ', 20);
        const auto& s = band.recorder.samples;
        const double tone = Played(c.pitch);
        const double half = c.passbandHz / 2.0;
        // Density in a 20 Hz slice centred on hz.
        auto density = [&](double hz) { return BandPower(s, 2205, s.size(), hz - 10, hz + 10); };
        const double centre = density(tone);
        ASSERT_GT(centre, 0);
        // Flat within 1 dB over the middle half of the passband, -3 dB at its edges.
        EXPECT_NEAR(Db(density(tone - half / 2) / centre), 0, 1.0) << c.passbandHz;
        EXPECT_NEAR(Db(density(tone + half / 2) / centre), 0, 1.0) << c.passbandHz;
        EXPECT_NEAR(Db(density(tone + half) / centre), -3, 1.5) << c.passbandHz;
        // Two and a half half-widths from the tone, far down (above the tone; below it where
        // the band leaves room).
        EXPECT_LT(Db(density(tone + 2.5 * half) / centre), -20) << c.passbandHz;
        if (tone - 2.5 * half > 50) {
            EXPECT_LT(Db(density(tone - 2.5 * half) / centre), -20) << c.passbandHz;
        }
    }
}

TEST(BandConditions, FadingHasTheSetDepthAndPeriodAndLeavesTheNoiseAlone) {
    const struct { int depthDb, periodSeconds; } cases[] = {{10, 3}, {24, 8}, {6, 20}};
    for (const auto& c : cases) {
        Band band;
        band.keying.SetSpeeds(500, 500, false);  // a dash every 70 ms traces the level
        band.conditions.fadingOn = true;
        band.conditions.fadingDepthDb = c.depthDb;
        band.conditions.fadingPeriodSeconds = c.periodSeconds;
        const int zeros = static_cast<int>(12 * c.periodSeconds / 0.2634);  // about 12 fades
        band.Key('0', zeros);

        // The level of each dash, in dB, at its middle.
        const auto& r = band.recorder;
        const size_t dash = size_t(3 * band.keying.dotSamples);
        std::vector<double> at, level;
        for (size_t start : r.starts) {
            at.push_back(double(start + dash / 2) / kRate);
            level.push_back(20 *
                            std::log10(PeakMagnitude(r.samples, start + 100, start + dash - 100)));
        }
        const auto [low, high] = std::minmax_element(level.begin(), level.end());
        EXPECT_NEAR(*high - *low, c.depthDb, 0.1 * c.depthDb) << c.depthDb;
        // Each fade crosses the middle level downwards once.
        const double middle = (*high + *low) / 2;
        std::vector<double> crossings;
        for (size_t i = 1; i < level.size(); ++i)
            if (level[i - 1] >= middle && level[i] < middle) crossings.push_back(at[i]);
        ASSERT_GE(crossings.size(), 5u);
        const double period = (crossings.back() - crossings.front()) / double(crossings.size() - 1);
        EXPECT_NEAR(period, c.periodSeconds, 0.1 * c.periodSeconds) << c.periodSeconds;
    }

    // In the gaps only the noise is heard, and the fading leaves it as it was.
    Band faded, steady;
    for (Band* b : {&faded, &steady}) b->conditions.noiseOn = true;
    faded.conditions.fadingOn = true;
    faded.conditions.fadingPeriodSeconds = 2;
    faded.Key(' ', 10);
    steady.Key(' ', 10);
    EXPECT_EQ(faded.recorder.samples, steady.recorder.samples);
}

TEST(BandConditions, AnInterferingStationKeysAtItsOwnPitchSpeedAndLevel) {
    Band band;
    band.keying.SetSpeeds(25, 25, false);
    band.conditions.interferenceOn = true;
    band.conditions.stations[0].offsetHz = 300;
    band.conditions.stations[0].levelDb = -6;
    band.conditions.stations[0].speedCpm = 100;  // a dot of 1323 samples

    // The wanted station silent for 60 s: what remains is the other one.
    band.Key(' ', 60);
    const size_t firstDash = band.recorder.starts.size();
    band.Key('t', 10);
    const auto& s = band.recorder.samples;
    const size_t quietEnd = band.recorder.starts[firstDash];
    const std::vector<int16_t> quiet(s.begin(), s.begin() + long(quietEnd));
    std::vector<ToneSpan> tones = FindTones(quiet, 20, 40);
    ASSERT_GT(tones.size(), 50u);

    const double wanted =
        ToneLevel(band.recorder, firstDash, size_t(3 * band.keying.dotSamples), Played(700));
    std::vector<double> lengths;
    for (const ToneSpan& t : tones) {
        lengths.push_back(double(t.Length()));
        if (t.Length() < 1000) continue;
        EXPECT_NEAR(ZeroCrossingFrequency(quiet, t.start + 200, t.end - 200), Played(700) + 300,
                    2.0);
        EXPECT_NEAR(20 * std::log10(PeakMagnitude(quiet, t.start + 200, t.end - 200) / wanted), -6,
                    1.0);
    }
    // Dots and dashes of its own speed: one and three dots (plus a ramp) long.
    std::sort(lengths.begin(), lengths.end());
    const double dot = lengths[lengths.size() / 10];
    const double dash = lengths[lengths.size() * 9 / 10];
    EXPECT_NEAR(dot, 1323, 150);
    EXPECT_NEAR(dash, 3 * 1323, 150);
}

TEST(BandConditions, TwoInterferingStationsSitAboveAndBelowTheToneAtTheirLevels) {
    Band band;
    band.keying.SetSpeeds(25, 25, false);
    band.conditions.interferenceOn = true;
    band.conditions.interferenceStations = 2;
    band.conditions.interferenceText = kInterferenceWords;
    band.conditions.stations[0].offsetHz = 150;
    band.conditions.stations[0].levelDb = 0;
    band.conditions.stations[1].offsetHz = 450;
    band.conditions.stations[1].levelDb = -10;

    band.Key(' ', 60);
    const size_t firstDash = band.recorder.starts.size();
    band.Key('t', 10);
    const auto& s = band.recorder.samples;
    const double tone = Played(700);
    const double wanted =
        ToneLevel(band.recorder, firstDash, size_t(3 * band.keying.dotSamples), tone);

    // Each station's key-down level: the loud end of its level over 20 ms blocks.
    auto keyDownLevel = [&](double hz) {
        std::vector<double> blocks;
        for (size_t at = 0; at + 441 <= band.recorder.starts[firstDash]; at += 441)
            blocks.push_back(ToneAmplitude(s, at, at + 441, hz));
        std::sort(blocks.begin(), blocks.end());
        return blocks[blocks.size() * 9 / 10];
    };
    EXPECT_NEAR(20 * std::log10(keyDownLevel(tone + 150) / wanted), 0, 1.0);
    EXPECT_NEAR(20 * std::log10(keyDownLevel(tone - 450) / wanted), -10, 1.0);
    // Nothing on the mirror pitches.
    EXPECT_LT(keyDownLevel(tone - 150), wanted / 10);
    EXPECT_LT(keyDownLevel(tone + 450), wanted / 10);
}

TEST(BandConditions, StaticCrashesComeAtTheSetRate) {
    for (int perMinute : {6, 30}) {
        Band band;
        band.conditions.staticOn = true;
        band.conditions.crashesPerMinute = perMinute;
        band.conditions.crashLevelDb = 0;
        band.keying.SetSpeeds(25, 25, false);
        const int spaces = 600;  // about 9.6 minutes
        band.Key(' ', spaces);
        const auto& s = band.recorder.samples;
        const double minutes = double(s.size()) / kRate / 60;

        // A crash starts where the 1 ms level leaps up from near silence.
        std::vector<double> level;
        for (size_t at = 0; at + 22 <= s.size(); at += 22) {
            double sum = 0;
            for (size_t k = at; k < at + 22; ++k) sum += double(s[k]) * s[k];
            level.push_back(std::sqrt(sum / 22));
        }
        const double loudest = *std::max_element(level.begin(), level.end());
        int crashes = 0;
        bool quiet = true;
        for (double l : level) {
            if (quiet && l > loudest / 20) {
                ++crashes;
                quiet = false;
            } else if (l < loudest / 200) {
                quiet = true;
            }
        }
        EXPECT_NEAR(crashes / minutes, perMinute, 0.1 * perMinute) << crashes << " in " << minutes;
    }
}

namespace {

// The tone and the silence after it of every element keyed from `firstElement` on: the tone
// ends at its last sample that is not zero (a clean tone starts at zero and ends just above it).
struct Element {
    size_t tone, gap;
};
std::vector<Element> Elements(const Recorder& r) {
    std::vector<Element> elements;
    for (size_t e = 0; e < r.starts.size(); ++e) {
        const size_t start = r.starts[e];
        const size_t end = e + 1 < r.starts.size() ? r.starts[e + 1] : r.samples.size();
        size_t last = end;
        while (last > start && r.samples[last - 1] == 0) --last;
        elements.push_back({last - start, end - last});
    }
    return elements;
}

struct Spread {
    double mean, relative;  // the mean and the standard deviation over the mean
};
Spread SpreadOf(const std::vector<double>& v) {
    const double mean = std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
    double square = 0;
    for (double x : v) square += (x - mean) * (x - mean);
    return {mean, std::sqrt(square / double(v.size())) / mean};
}

// Text whose letters have every pattern of one to four elements.
const std::string kLetters = "etianmsurwdkgohvflpjbxcyzq";

}  // namespace

TEST(SignalConditions, AllOffTheSignalIsTheCleanOneSampleForSample) {
    const std::string text = "paris cq de dl1abc 73";
    Band clean;  // no conditions, never begun
    clean.Key(text);

    // Begun, with every value changed but every condition off.
    Band off;
    off.conditions.noiseSnrDb = -6;
    off.conditions.passbandHz = 250;
    off.conditions.fadingDepthDb = 40;
    off.conditions.interferenceStations = 2;
    off.conditions.crashesPerMinute = 120;
    off.conditions.fistSpreadPercent = 25;
    off.conditions.fistWeightTenths = 40;
    SeedRandom(5);
    off.Key(text);
    EXPECT_EQ(off.recorder.samples, clean.recorder.samples);
    // The practice text's generator is not touched either.
    const int next = NextRandom();
    SeedRandom(5);
    EXPECT_EQ(NextRandom(), next);

    // Each condition on changes the sound; not begun (a clicked character), nothing does.
    for (RelaxedAtomic<bool> SignalConditions::*on :
         {&SignalConditions::noiseOn, &SignalConditions::fadingOn,
          &SignalConditions::interferenceOn, &SignalConditions::staticOn,
          &SignalConditions::fistOn}) {
        Band one;
        one.conditions.*on = true;
        one.conditions.fadingPeriodSeconds = 2;
        one.conditions.crashesPerMinute = 120;
        one.conditions.stations[0].levelDb = 10;
        one.Key(text);
        EXPECT_NE(one.recorder.samples, clean.recorder.samples);

        Band unbegun;
        unbegun.conditions.*on = true;
        for (unsigned char ch : text) unbegun.audio.SynthesizeCharacter(ch, nullptr, nullptr);
        EXPECT_EQ(unbegun.recorder.samples, clean.recorder.samples);
    }
}

TEST(SignalConditions, TheSameSeedGivesTheSameSoundAndTheEndOfAPlaybackEndsThem) {
    auto everythingOn = [](Band& band) {
        for (auto* on :
             {&band.conditions.noiseOn, &band.conditions.fadingOn, &band.conditions.interferenceOn,
              &band.conditions.staticOn, &band.conditions.fistOn})
            *on = true;
        band.Key("cq cq de g4xyz k");
    };
    Band first(3), again(3), other(4);
    for (Band* band : {&first, &again, &other}) everythingOn(*band);
    EXPECT_EQ(first.recorder.samples, again.recorder.samples);
    EXPECT_NE(first.recorder.samples, other.recorder.samples);

    // After the stream's stop the next playback is clean until it begins them again.
    first.audio.StopStream();
    const size_t from = first.recorder.samples.size();
    first.audio.SynthesizeCharacter('a', nullptr, nullptr);
    Band clean;
    clean.Key("a");
    EXPECT_TRUE(std::equal(clean.recorder.samples.begin(), clean.recorder.samples.end(),
                           first.recorder.samples.begin() + long(from),
                           first.recorder.samples.end()));
}

TEST(SignalConditions, AtFullVolumeTheStrongestBandStaysWithinRange) {
    Band band;
    band.keying.volume = 100;
    band.keying.masterVolume = 100;
    band.conditions.noiseOn = band.conditions.interferenceOn = band.conditions.staticOn = true;
    band.conditions.noiseSnrDb = -6;
    band.conditions.passbandHz = 2400;
    band.conditions.interferenceStations = 2;
    band.conditions.stations[0].levelDb = band.conditions.stations[1].levelDb = 10;
    band.conditions.crashesPerMinute = 120;
    band.conditions.crashLevelDb = 10;
    for (int i = 0; i < 10; ++i) band.Key("paris ");
    const auto& s = band.recorder.samples;
    const auto clipped =
        std::count_if(s.begin(), s.end(), [](int16_t v) { return v == 32767 || v == -32768; });
    EXPECT_LT(double(clipped), 1e-3 * double(s.size()));
    // The wanted tone is still there, under everything else.
    EXPECT_GT(ToneLevel(band.recorder, 0, 1470, Played(700)), 500);
}

TEST(Fist, ElementsAndGapsHaveTheSetSpreadAndTheDashesTheSetWeight) {
    const struct { int spreadPercent, weightTenths; } cases[] = {{10, 35}, {20, 25}, {5, 40}};
    for (const auto& c : cases) {
        Band band;
        band.conditions.fistOn = true;
        band.conditions.fistSpreadPercent = c.spreadPercent;
        band.conditions.fistWeightTenths = c.weightTenths;
        band.conditions.fistDriftPercent = 0;
        std::string text;
        for (int i = 0; i < 12; ++i) text += kLetters;
        band.Key(text);

        // Sort the measured lengths by what was keyed: the patterns say which is which.
        std::vector<double> dots, dashes, elementGaps, charGaps;
        const std::vector<Element> measured = Elements(band.recorder);
        size_t e = 0;
        for (char ch : text) {
            const std::string code = LookupMorseCode(static_cast<unsigned char>(ch));
            for (size_t i = 0; i < code.size(); ++i, ++e) {
                ASSERT_LT(e, measured.size());
                (code[i] == '-' ? dashes : dots).push_back(double(measured[e].tone));
                (i + 1 < code.size() ? elementGaps : charGaps).push_back(double(measured[e].gap));
            }
        }
        ASSERT_EQ(e, measured.size());
        const double spread = c.spreadPercent / 100.0;
        const Spread dot = SpreadOf(dots), dash = SpreadOf(dashes);
        const Spread elementGap = SpreadOf(elementGaps), charGap = SpreadOf(charGaps);
        EXPECT_NEAR(dot.mean, 1470, 0.02 * 1470) << c.spreadPercent;
        EXPECT_NEAR(dash.mean / dot.mean, c.weightTenths / 10.0, 0.03 * c.weightTenths / 10.0);
        EXPECT_NEAR(elementGap.mean, 1470, 0.02 * 1470);
        EXPECT_NEAR(charGap.mean, 10212, 0.02 * 10212);
        for (const Spread& s : {dot, dash, elementGap, charGap})
            EXPECT_NEAR(s.relative, spread, 0.1 * spread) << c.spreadPercent;
    }
}

TEST(Fist, TheSpeedDriftsSlowlyWithinTheSetShare) {
    Band band;
    band.conditions.fistOn = true;
    band.conditions.fistSpreadPercent = 0;
    band.conditions.fistDriftPercent = 10;
    band.Key('e', 2400);  // about 21 minutes
    std::vector<double> dots;
    for (const Element& e : Elements(band.recorder)) dots.push_back(double(e.tone));
    const auto [fastest, slowest] = std::minmax_element(dots.begin(), dots.end());
    // A speed 10 % up and down makes the dot 1470 / 1.1 to 1470 / 0.9 long; over minutes it
    // gets close to both ends.
    EXPECT_NEAR(*fastest, 1470 / 1.1, 15);
    EXPECT_NEAR(*slowest, 1470 / 0.9, 15);
    // From one dot to the next it hardly moves.
    double largestStep = 0;
    for (size_t i = 1; i < dots.size(); ++i)
        largestStep = std::max(largestStep, std::abs(dots[i] - dots[i - 1]));
    EXPECT_LE(largestStep, 0.01 * 1470);
}
