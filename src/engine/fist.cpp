#include "engine/fist.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/audio_format.h"

namespace {

// A hand speeds up and slows down over minutes, not seconds.
constexpr double kMinDriftHalfSeconds = 40.0;
constexpr double kMaxDriftHalfSeconds = 120.0;
// Beyond three standard deviations a length is taken as three; no element shrinks below a
// fifth of its keyed length.
constexpr double kMaxDeviations = 3.0;
constexpr double kMinFactor = 0.2;

}  // namespace

void Fist::Restart(ConditionsRandom random) {
    m_random = random;
    m_driftPhase = m_random.Uniform(0.0, 2.0 * std::numbers::pi);
    NextDriftHalf();
}

int64_t Fist::Tone(int64_t dotSamples, bool dash) {
    const double weight = dash ? std::clamp<int32_t>(m_conditions.fistWeightTenths,
                                                     SignalConditions::kMinFistWeightTenths,
                                                     SignalConditions::kMaxFistWeightTenths) /
                                     10.0
                               : 1.0;
    return Vary(static_cast<double>(dotSamples) * weight);
}

int64_t Fist::Gap(int64_t samples) {
    return Vary(static_cast<double>(samples));
}

void Fist::Advance(int64_t samples) {
    const double half = std::numbers::pi;
    const double before = m_driftPhase;
    m_driftPhase += m_driftStep * static_cast<double>(samples);
    // A new half-cycle, of its own length, at each zero of the sine.
    if (std::floor(m_driftPhase / half) != std::floor(before / half)) NextDriftHalf();
    if (m_driftPhase >= 2.0 * half) m_driftPhase -= 2.0 * half;
}

int64_t Fist::Vary(double samples) {
    const double spread = std::clamp<int32_t>(m_conditions.fistSpreadPercent, 0,
                                              SignalConditions::kMaxFistSpreadPercent) /
                          100.0;
    const double drift = std::clamp<int32_t>(m_conditions.fistDriftPercent, 0,
                                             SignalConditions::kMaxFistDriftPercent) /
                         100.0;
    const double deviation = std::clamp(m_random.Normal(), -kMaxDeviations, kMaxDeviations);
    // A faster hand makes everything shorter.
    const double speed = 1.0 + drift * std::sin(m_driftPhase);
    const double factor = std::max(kMinFactor, 1.0 + spread * deviation) / speed;
    return std::llround(samples * factor);
}

void Fist::NextDriftHalf() {
    const double seconds = m_random.Uniform(kMinDriftHalfSeconds, kMaxDriftHalfSeconds);
    m_driftStep = std::numbers::pi / (seconds * audio::kSampleRate);
}
