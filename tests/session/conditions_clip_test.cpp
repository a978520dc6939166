// The clips of the signal conditions page: one condition each, keyed under it, repeatable from
// the seed, and cut short by the abort flag.
#include "session/conditions_clip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/audio_flags.h"

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

// The clip's samples, keyed at 100 characters a minute into a sink.
std::vector<int16_t> Clip(const SignalConditions& conditions, uint64_t seed) {
    KeyingParameters keying;
    keying.SetSpeeds(100, 100, false);
    SoundDevice* noDevice = nullptr;
    CMorseAudio audio(keying, noDevice, conditions);
    Capture sink;
    audio.AttachFileSink(&sink);
    PlayClip(audio, kClipText, seed);
    audio.DetachFileSink();
    return sink.samples;
}

size_t Silent(const std::vector<int16_t>& samples) {
    return static_cast<size_t>(std::count(samples.begin(), samples.end(), int16_t{0}));
}

}  // namespace

TEST(ConditionsClipTest, EachClipHasOnlyItsConditionOnWithTheSetStrengths) {
    SignalConditions all;
    all.noiseOn = all.fadingOn = all.interferenceOn = all.staticOn = all.fistOn = true;
    all.noiseSnrDb = -3;
    all.stations[1].levelDb = -20;
    all.fistWeightTenths = 35;
    const SignalCondition kinds[] = {SignalCondition::Noise, SignalCondition::Fading,
                                     SignalCondition::Interference, SignalCondition::Static,
                                     SignalCondition::Fist};
    for (const SignalCondition which : kinds) {
        const SignalConditions clip = ClipConditions(all, which);
        const bool on[] = {clip.noiseOn, clip.fadingOn, clip.interferenceOn, clip.staticOn,
                           clip.fistOn};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(on[i], kinds[i] == which) << i;
        EXPECT_EQ(clip.noiseSnrDb, -3);
        EXPECT_EQ(clip.stations[1].levelDb, -20);
        EXPECT_EQ(clip.fistWeightTenths, 35);
    }
}

TEST(ConditionsClipTest, AClipIsKeyedUnderItsConditionAndTheSeedRepeatsIt) {
    const SignalConditions off;
    const std::vector<int16_t> clean = Clip(off, 1);
    ASSERT_FALSE(clean.empty());
    EXPECT_GT(Silent(clean), clean.size() / 3);  // the gaps of the clean keying

    SignalConditions on;
    on.noiseOn = true;
    const SignalConditions noise = ClipConditions(on, SignalCondition::Noise);
    const std::vector<int16_t> noisy = Clip(noise, 7);
    EXPECT_EQ(noisy.size(), clean.size());  // the band leaves the keying's timing alone
    EXPECT_LT(Silent(noisy), noisy.size() / 100);
    EXPECT_EQ(Clip(noise, 7), noisy);
    EXPECT_NE(Clip(noise, 8), noisy);

    // The fist is inside the keying: the clip's lengths change with it.
    on.fistSpreadPercent = 20;
    EXPECT_NE(Clip(ClipConditions(on, SignalCondition::Fist), 7).size(), clean.size());
    EXPECT_EQ(g_nActiveStreams, 0);
}

TEST(ConditionsClipTest, TheAbortFlagStopsAClipAndIsClearedByItsEnd) {
    g_bAbort = true;
    SignalConditions on;
    on.noiseOn = true;
    EXPECT_TRUE(Clip(ClipConditions(on, SignalCondition::Noise), 1).empty());
    EXPECT_FALSE(g_bAbort);  // the next playback is not cut short
}
