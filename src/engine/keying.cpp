#include "engine/keying.h"

#include <algorithm>

#include "engine/audio_format.h"

namespace {

using Keying = KeyingParameters;
// One five-character word at 1 CPM: 300 seconds.
constexpr int64_t kWordSamplesAt1Cpm = audio::kSampleRate * 300;  // 6,615,000
// The 31 of the word's 50 units taken by elements and the gaps inside characters, which are
// keyed at the character speed; the other 19 units are spacing stretched to the word speed.
constexpr int64_t kKeyedSamplesAt1Cpm = 31 * Keying::kDotSamplesAt1Cpm;  // 4,101,300

}  // namespace

KeyingParameters::KeyingParameters() : pitch(700), secondPitch(700), volume(50), masterVolume(50) {
    SetSpeeds(60, 90, false);
}

void KeyingParameters::SetSpeeds(int wordSpeed, int charSpeed, bool unitIsWpm) {
    // 64-bit so that no input overflows before it is clamped.
    int64_t w = wordSpeed;
    int64_t c = charSpeed;
    if (unitIsWpm) {
        w *= 5;
        c *= 5;
    }
    c = std::clamp<int64_t>(c, kMinSpeedCpm, kMaxSpeedCpm);
    if (std::max<int64_t>(w, kMinSpeedCpm) >= c)
        w = c;
    else if (w <= kMinSpeedCpm)
        w = kMinSpeedCpm;

    charSpeedCpm = static_cast<int32_t>(c);
    wordSpeedCpm = static_cast<int32_t>(w);
    dotSamples = static_cast<int32_t>(Keying::kDotSamplesAt1Cpm / c);
    const int64_t spacing = kWordSamplesAt1Cpm / w - kKeyedSamplesAt1Cpm / c;
    charGapSamples = static_cast<int32_t>(3 * spacing / 19);
    wordGapSamples = static_cast<int32_t>(7 * spacing / 19);
}

void KeyingParameters::SetPitches(int newPitch, int newSecondPitch) {
    pitch = std::clamp(newPitch, kMinPitch, kMaxPitch);
    secondPitch = std::clamp(newSecondPitch, kMinPitch, kMaxPitch);
}
