#pragma once
// The band between the sender and the learner's ear, as a stage after the keying: adds noise
// and static crashes through the receiver's filter and other stations to the keyed signal, and
// fades the signal, element by element, each picking up where the last one ended.
//
// Levels are worked out relative to the wanted tone. So that the mix never overflows 16 bits,
// the whole mix is scaled down as a receiver's AGC would: by the peak the wanted tone, the other
// stations and about three standard deviations of noise and static would reach together. With
// only the fading on nothing is scaled.

#include <cstdint>

#include "engine/band_pass_filter.h"
#include "engine/conditions_random.h"
#include "engine/interfering_station.h"
#include "engine/signal_conditions.h"

class BandConditions {
public:
    explicit BandConditions(const SignalConditions& conditions) : m_conditions(conditions) {}

    // Starts afresh: no noise in the filter yet, the signal at full strength, the first crash
    // and the other stations' first transmissions some random time away.
    void Restart(const ConditionsRandom& random);
    // Applies the conditions, in place, to n samples of keyed signal whose tone is at `toneHz`
    // and peaks at `amplitude` (sample units).
    void Process(int16_t* samples, int32_t n, double toneHz, double amplitude);

private:
    static constexpr int32_t kBlock = 256;

    // The levels of one element, read once from the conditions.
    struct Levels {
        bool noise, crashes, fading, interference;
        double noiseScale;    // of the uniform excitation in [-1, 1)
        double crashScale;    // of the excitation of a crash at its loudest
        double crashMeanGap;  // samples
        double fadingDepthDb;
        double fadingHalfSamples;  // mean length of a fall or a rise
        int stations;
        double stationHz[SignalConditions::kMaxStations];
        double stationAmplitude[SignalConditions::kMaxStations];
        int32_t stationSpeedCpm[SignalConditions::kMaxStations];
        int32_t textKind;
        double mixGain;  // the AGC's scale, at most 1
    };
    Levels ReadLevels(double toneHz) const;

    // Fills m_mix[0, n) with filtered noise and static.
    void MakeNoise(const Levels& levels, int32_t n);
    // Adds the static crashes to m_mix[0, n), before the filter.
    void AddCrashes(const Levels& levels, int32_t n);
    void StartCrash(const Levels& levels);
    // The fading's gain for the sample after the n to come; moves the fading on by n samples.
    double AdvanceFading(const Levels& levels, int32_t n);

    const SignalConditions& m_conditions;
    ConditionsRandom m_noiseRandom, m_crashRandom, m_fadingRandom;
    BandPassFilter m_filter;
    InterferingStation m_stations[SignalConditions::kMaxStations];

    // Static: samples to the next crash, and the crash under way (its envelope rises linearly
    // over its attack, then decays exponentially).
    double m_untilCrash = 0;
    int32_t m_crashAttackLeft = 0;
    double m_crashAttackStep = 0;
    double m_crashDecay = 0;  // per sample
    double m_crashEnvelope = 0;

    // Fading: the gain in dB follows -depth * (1 - cos phase) / 2, each half-cycle of its own
    // random length around the set period's half.
    double m_fadingPhase = 0;  // radians, 0 .. 2 pi
    double m_fadingStep = 0;   // radians per sample; 0 until the first half-cycle is drawn
    double m_fadingGain = 1;   // at the next sample

    double m_mix[kBlock];
};
