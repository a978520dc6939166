#include "engine/interfering_station.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/audio_format.h"
#include "engine/interference_text.h"
#include "engine/keying.h"
#include "engine/morse_code.h"
#include "engine/signal_conditions.h"

namespace {

// 5 ms rise and fall: a clean transmitter.
constexpr double kRampStep = 1.0 / (0.005 * audio::kSampleRate);
// Silence before the first transmission and between two: a station listens for an answer.
constexpr double kMaxFirstPauseSeconds = 3.0;
constexpr double kMinPauseSeconds = 1.0;
constexpr double kMaxPauseSeconds = 4.0;
// Units of the standard spacing.
constexpr int32_t kElementGapUnits = 1;
constexpr int32_t kCharGapUnits = 3;
constexpr int32_t kWordGapUnits = 7;

}  // namespace

void InterferingStation::Restart(ConditionsRandom random, int32_t textKind) {
    m_random = random;
    m_callsign = RandomCallsign(m_random);
    m_text = NextTransmission(m_random, textKind, m_callsign);
    m_textPos = 0;
    m_pattern.clear();
    m_patternPos = 0;
    m_gapUnits = 0;
    m_bKeyDown = false;
    m_nSegmentLeft =
        std::llround(m_random.Uniform(0.0, kMaxFirstPauseSeconds) * audio::kSampleRate);
    m_envelope = 0;
    m_cos = 1;
    m_sin = 0;
}

void InterferingStation::AddTo(double* mix, int32_t n, double hz, double amplitude,
                               int32_t speedCpm, int32_t textKind) {
    const double w = 2.0 * std::numbers::pi * hz / audio::kSampleRate;
    const double stepCos = std::cos(w), stepSin = std::sin(w);
    // Locals, so that the writes to mix need not be taken as changing them.
    double c = m_cos, s = m_sin, envelope = m_envelope;
    int32_t i = 0;
    while (i < n) {
        if (m_nSegmentLeft <= 0) NextSegment(speedCpm, textKind);
        const int32_t run = static_cast<int32_t>(std::min<int64_t>(m_nSegmentLeft, n - i));
        if (!m_bKeyDown && envelope == 0) {
            // Silent: only the phase moves on, in one turn.
            const double turnCos = std::cos(w * run), turnSin = std::sin(w * run);
            const double turned = c * turnCos - s * turnSin;
            s = s * turnCos + c * turnSin;
            c = turned;
        } else {
            const double target = m_bKeyDown ? 1.0 : 0.0;
            const double ramp = m_bKeyDown ? kRampStep : -kRampStep;
            double* out = mix + i;
            for (int32_t k = 0; k < run; ++k) {
                if (envelope != target) envelope = std::clamp(envelope + ramp, 0.0, 1.0);
                const double turned = c * stepCos - s * stepSin;
                s = s * stepCos + c * stepSin;
                c = turned;
                out[k] += amplitude * envelope * s;
            }
        }
        i += run;
        m_nSegmentLeft -= run;
    }
    // Rounding would slowly change the phasor's length: bring it back to 1.
    const double length = std::sqrt(c * c + s * s);
    m_cos = c / length;
    m_sin = s / length;
    m_envelope = envelope;
}

void InterferingStation::NextSegment(int32_t speedCpm, int32_t textKind) {
    const int64_t dot = KeyingParameters::kDotSamplesAt1Cpm /
                        std::clamp(speedCpm, InterferingStationParameters::kMinSpeedCpm,
                                   InterferingStationParameters::kMaxSpeedCpm);
    for (;;) {
        if (m_gapUnits > 0) {
            m_bKeyDown = false;
            m_nSegmentLeft = m_gapUnits * dot;
            m_gapUnits = 0;
            return;
        }
        if (m_patternPos < m_pattern.size()) {
            const char element = m_pattern[m_patternPos++];
            m_bKeyDown = true;
            m_nSegmentLeft = (element == '-' ? 3 : 1) * dot;
            m_gapUnits = m_patternPos < m_pattern.size() ? kElementGapUnits : kCharGapUnits;
            return;
        }
        if (m_textPos < m_text.size()) {
            const char ch = m_text[m_textPos++];
            m_pattern = ch == ' ' ? std::string() : LookupMorseCode(static_cast<unsigned char>(ch));
            m_patternPos = 0;
            // A word space adds to the character gap already keyed.
            if (ch == ' ') m_gapUnits = kWordGapUnits - kCharGapUnits;
            continue;
        }
        // The transmission is over: listen a while, then send the next.
        m_text = NextTransmission(m_random, textKind, m_callsign);
        m_textPos = 0;
        m_bKeyDown = false;
        m_nSegmentLeft =
            std::llround(m_random.Uniform(kMinPauseSeconds, kMaxPauseSeconds) * audio::kSampleRate);
        return;
    }
}
