#pragma once
// Another station on the band: keys its own transmissions, with pauses between them, into a
// tone of its own pitch, speed and level, and adds it to the mix sample by sample.

#include <cstdint>
#include <string>

#include "engine/conditions_random.h"

class InterferingStation {
public:
    // A new station: its own callsign, silent for a random while before it starts sending
    // `textKind` (an InterferenceText).
    void Restart(ConditionsRandom random, int32_t textKind);
    // Adds n samples of the station's keyed tone at `hz`, of peak `amplitude` (relative to the
    // wanted tone), keyed at `speedCpm`, to mix.
    void AddTo(double* mix, int32_t n, double hz, double amplitude, int32_t speedCpm,
               int32_t textKind);

private:
    // Sets up the next key-down or key-up stretch.
    void NextSegment(int32_t speedCpm, int32_t textKind);

    ConditionsRandom m_random;
    std::string m_callsign;
    std::string m_text;       // the transmission being sent
    size_t m_textPos = 0;     // next character of m_text
    std::string m_pattern;    // dots and dashes of the character being sent
    size_t m_patternPos = 0;  // next element of m_pattern
    int32_t m_gapUnits = 0;   // dot units of silence owed after the last element
    bool m_bKeyDown = false;
    int64_t m_nSegmentLeft = 0;  // samples left in the current stretch
    double m_envelope = 0;       // 0 .. 1, ramps against key clicks
    // The tone's phase as a unit phasor, turned by one sample's angle each sample.
    double m_cos = 1, m_sin = 0;
};
