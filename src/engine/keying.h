#pragma once
// Keying parameters: the two speeds, the element and gap lengths derived from them, the two
// pitches and the two volumes. The interface thread changes them while a playback thread reads
// them element by element, hence every field is a RelaxedAtomic.

#include <cstdint>

#include "engine/audio_format.h"
#include "engine/relaxed_atomic.h"

struct KeyingParameters {
    static constexpr int32_t kMinSpeedCpm = 25;
    static constexpr int32_t kMaxSpeedCpm = 500;
    static constexpr int32_t kMinPitch = 400;   // Hz
    static constexpr int32_t kMaxPitch = 2500;  // Hz
    // At 1 CPM a dot lasts six seconds (132,300 samples): the reference word PARIS has 50 dot
    // units and is five characters, so one character takes 10 units of 60 / 10 s each.
    static constexpr int64_t kDotSamplesAt1Cpm = int64_t{audio::kSampleRate} * 6;

    RelaxedAtomic<int32_t> dotSamples;      // a dot, and the silence between elements
    RelaxedAtomic<int32_t> charGapSamples;  // silence after the last element of a character
    RelaxedAtomic<int32_t> wordGapSamples;  // total silence between two words
    RelaxedAtomic<int32_t> wordSpeedCpm;    // 25 .. charSpeedCpm
    RelaxedAtomic<int32_t> charSpeedCpm;    // 25 .. 500
    RelaxedAtomic<int32_t> pitch;           // Hz, dashes
    RelaxedAtomic<int32_t> secondPitch;     // Hz, dots
    RelaxedAtomic<int32_t> volume;          // 0 .. 100, code volume
    RelaxedAtomic<int32_t> masterVolume;    // 0 .. 100
    // Silence before the first element of every playback, 0 .. kMaxLeadInMs: Bluetooth
    // headsets and some USB devices swallow the first part of a sound. 0 adds nothing.
    RelaxedAtomic<int32_t> leadInMs{0};
    static constexpr int32_t kMaxLeadInMs = 1000;

    // 700 Hz, both volumes 50, 60 CPM word speed and 90 CPM character speed.
    KeyingParameters();

    // Clamps the speeds (WPM are converted to CPM, one word being five characters) and derives
    // the element and gap lengths from them.
    void SetSpeeds(int wordSpeed, int charSpeed, bool unitIsWpm);
    // Stores both pitches clamped to kMinPitch..kMaxPitch.
    void SetPitches(int pitch, int secondPitch);
};
