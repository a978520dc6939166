#pragma once
// What the band and the sender's hand do to the clean signal: noise through the receiver's
// filter, fading, other stations, static crashes, and an uneven fist. Every condition is off by
// default, and with all of them off the keyed samples are exactly the clean ones.
//
// The interface thread changes these fields while a playback thread reads them element by
// element, hence every field is a RelaxedAtomic (the record still copies whole).

#include <cstdint>

#include "engine/relaxed_atomic.h"

// What an interfering station sends.
enum InterferenceText : int32_t {
    kInterferenceWords = 0,     // common English words
    kInterferenceContacts = 1,  // calls, reports, abbreviations and Q codes of a contact
};

// One other station in the passband.
struct InterferingStationParameters {
    static constexpr int32_t kMinOffsetHz = 50;
    static constexpr int32_t kMaxOffsetHz = 500;
    static constexpr int32_t kMinLevelDb = -30;
    static constexpr int32_t kMaxLevelDb = 10;
    static constexpr int32_t kMinSpeedCpm = 25;
    static constexpr int32_t kMaxSpeedCpm = 250;

    // Distance of its tone from the wanted tone; the first station sits above it, the second
    // below, so two stations never share a pitch.
    RelaxedAtomic<int32_t> offsetHz;
    // Its tone's amplitude relative to the wanted tone's, in dB.
    RelaxedAtomic<int32_t> levelDb;
    // Its own keying speed (characters and spacing alike).
    RelaxedAtomic<int32_t> speedCpm;
};

struct SignalConditions {
    static constexpr int32_t kMinSnrDb = -6;
    static constexpr int32_t kMaxSnrDb = 30;
    static constexpr int32_t kMinPassbandHz = 250;
    static constexpr int32_t kMaxPassbandHz = 2400;
    static constexpr int32_t kMinFadingDepthDb = 1;
    static constexpr int32_t kMaxFadingDepthDb = 40;
    static constexpr int32_t kMinFadingPeriodSeconds = 2;
    static constexpr int32_t kMaxFadingPeriodSeconds = 30;
    static constexpr int32_t kMaxStations = 2;
    static constexpr int32_t kMinCrashesPerMinute = 1;
    static constexpr int32_t kMaxCrashesPerMinute = 120;
    static constexpr int32_t kMinCrashLevelDb = -20;
    static constexpr int32_t kMaxCrashLevelDb = 10;
    static constexpr int32_t kMaxFistSpreadPercent = 25;
    static constexpr int32_t kMinFistWeightTenths = 25;  // dash = 2.5 dots
    static constexpr int32_t kMaxFistWeightTenths = 40;  // dash = 4 dots
    static constexpr int32_t kMaxFistDriftPercent = 15;

    // Noise. Its density is set so that the wanted tone's power over the noise power in a
    // 500 Hz slice of flat noise is noiseSnrDb; a filter narrower than 500 Hz passes less of it,
    // as a narrower filter does on a receiver. The noise fills the gaps as well.
    RelaxedAtomic<bool> noiseOn{false};
    RelaxedAtomic<int32_t> noiseSnrDb{6};
    // The receiver's CW filter around the tone: its width between the -3 dB points. Static
    // crashes come through it as well.
    RelaxedAtomic<int32_t> passbandHz{500};

    // Fading (QSB): the wanted signal falls by up to fadingDepthDb and rises back, each fade
    // taking about fadingPeriodSeconds; the noise keeps its level.
    RelaxedAtomic<bool> fadingOn{false};
    RelaxedAtomic<int32_t> fadingDepthDb{15};
    RelaxedAtomic<int32_t> fadingPeriodSeconds{8};

    // Interference (QRM): one or two other stations keying their own text.
    RelaxedAtomic<bool> interferenceOn{false};
    RelaxedAtomic<int32_t> interferenceStations{1};
    RelaxedAtomic<int32_t> interferenceText{kInterferenceContacts};
    InterferingStationParameters stations[kMaxStations] = {{250, -6, 100}, {400, -12, 75}};

    // Static (QRN): short crashes at random moments, crashesPerMinute on average, each at most
    // crashLevelDb over the wanted tone at its loudest.
    RelaxedAtomic<bool> staticOn{false};
    RelaxedAtomic<int32_t> crashesPerMinute{12};
    RelaxedAtomic<int32_t> crashLevelDb{0};

    // The fist: every element and gap lengthened or shortened at random (standard deviation
    // fistSpreadPercent of its length), dashes fistWeightTenths / 10 dots long, and the speed
    // wandering slowly up to fistDriftPercent above and below the set speed.
    RelaxedAtomic<bool> fistOn{false};
    RelaxedAtomic<int32_t> fistSpreadPercent{8};
    RelaxedAtomic<int32_t> fistWeightTenths{30};
    RelaxedAtomic<int32_t> fistDriftPercent{4};

    // Whether anything is added to or done with the sound after the keying.
    bool AnyOnTheBand() const { return noiseOn || fadingOn || interferenceOn || staticOn; }
};
