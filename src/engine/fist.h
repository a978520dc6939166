#pragma once
// An uneven hand on the key: each element and gap a little longer or shorter than keyed, dashes
// heavier or lighter than three dots, and the speed wandering slowly over a session. Used by the
// synthesis while the fist is on; lengths are in samples.

#include <cstdint>

#include "engine/conditions_random.h"
#include "engine/signal_conditions.h"

class Fist {
public:
    explicit Fist(const SignalConditions& conditions) : m_conditions(conditions) {}

    // Starts a new session's hand: the drift at a random point of its wander.
    void Restart(ConditionsRandom random);
    // The tone of a dot or a dash keyed with `dotSamples`.
    int64_t Tone(int64_t dotSamples, bool dash);
    // A gap keyed as `samples` long.
    int64_t Gap(int64_t samples);
    // Moves the drift on by the sound just produced.
    void Advance(int64_t samples);

private:
    // One length varied by the spread and the drift of the moment.
    int64_t Vary(double samples);
    // Starts the next half of the drift's wander, of random length.
    void NextDriftHalf();

    const SignalConditions& m_conditions;
    ConditionsRandom m_random;
    // The drift follows a sine whose half-cycles last between kMinDriftHalfSeconds and
    // kMaxDriftHalfSeconds each.
    double m_driftPhase = 0;  // radians, 0 .. 2 pi
    double m_driftStep = 0;   // radians per sample
};
