#include "writers/resampler.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>

namespace {

// Half the filter's span in input samples: 16 on each side of the output instant.
constexpr int64_t kHalfSpan = 16;
constexpr int64_t kTaps = 2 * kHalfSpan;
// The pass band ends a little below the lower Nyquist frequency, so the transition band stays
// inside what the shorter filter can shape (about 95 %: 10.5 kHz of a 22,050 Hz stream).
constexpr double kCutoffShare = 0.95;
// Input kept before the history is compacted, so the copy is rare.
constexpr size_t kCompactAbove = 8192;

double Sinc(double x) {
    constexpr double kPi = 3.14159265358979323846;
    return x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
}

// The Blackman window over -kHalfSpan..kHalfSpan.
double Window(double x) {
    constexpr double kPi = 3.14159265358979323846;
    const double r = (x + kHalfSpan) / (2.0 * kHalfSpan);
    if (r <= 0.0 || r >= 1.0) return 0.0;
    return 0.42 - 0.5 * std::cos(2 * kPi * r) + 0.08 * std::cos(4 * kPi * r);
}

}  // namespace

Resampler::Resampler(int32_t fromRate, int32_t toRate) : m_nFirstIndex(-kHalfSpan) {
    if (fromRate <= 0 || toRate <= 0) throw std::invalid_argument("sample rates must be positive");
    const int64_t divisor = std::gcd(int64_t{fromRate}, int64_t{toRate});
    m_nUp = toRate / divisor;
    m_nDown = fromRate / divisor;
    // Cutoff in cycles per input sample: half of the lower of the two rates. Equal rates need
    // no filter: the cutoff at the Nyquist frequency makes every phase a single unit tap.
    const double cutoff =
        m_nUp == m_nDown ? 0.5
                         : 0.5 * kCutoffShare * std::min(1.0, static_cast<double>(m_nUp) / m_nDown);
    m_taps.resize(static_cast<size_t>(m_nUp * kTaps));
    for (int64_t phase = 0; phase < m_nUp; ++phase) {
        // Output instant phase / up input samples after the input sample it is based on; tap k
        // weighs input base - kHalfSpan + 1 + k.
        const double fraction = static_cast<double>(phase) / m_nUp;
        float* taps = &m_taps[static_cast<size_t>(phase * kTaps)];
        double sum = 0;
        for (int64_t k = 0; k < kTaps; ++k) {
            const double x = fraction + kHalfSpan - 1 - k;
            const double weight = 2 * cutoff * Sinc(2 * cutoff * x) * Window(x);
            taps[k] = static_cast<float>(weight);
            sum += weight;
        }
        // Unit gain at 0 Hz in every phase, so silence stays silence and no phase hums.
        for (int64_t k = 0; k < kTaps; ++k) taps[k] = static_cast<float>(taps[k] / sum);
    }
    m_history.assign(kHalfSpan, 0.0f);
}

int16_t Resampler::Output() const {
    const int64_t scaled = m_nNextOutput * m_nDown;
    const int64_t base = scaled / m_nUp;
    const int64_t phase = scaled % m_nUp;
    const float* taps = &m_taps[static_cast<size_t>(phase * kTaps)];
    const float* in = &m_history[static_cast<size_t>(base - kHalfSpan + 1 - m_nFirstIndex)];
    float sum = 0;
    for (int64_t k = 0; k < kTaps; ++k) sum += taps[k] * in[k];
    return static_cast<int16_t>(std::clamp(std::lround(sum), -32768L, 32767L));
}

void Resampler::DropConsumedInput() {
    const int64_t needed = m_nNextOutput * m_nDown / m_nUp - kHalfSpan + 1;
    const int64_t drop = needed - m_nFirstIndex;
    if (drop <= 0 || m_history.size() < kCompactAbove) return;
    m_history.erase(m_history.begin(), m_history.begin() + drop);
    m_nFirstIndex = needed;
}

void Resampler::Process(const int16_t* in, size_t n, std::vector<int16_t>& out) {
    m_history.insert(m_history.end(), in, in + n);
    m_nInputs += static_cast<int64_t>(n);
    // An output needs the input up to kHalfSpan samples after the instant it is based on.
    while (m_nNextOutput * m_nDown / m_nUp + kHalfSpan < m_nInputs) {
        out.push_back(Output());
        ++m_nNextOutput;
    }
    DropConsumedInput();
}

void Resampler::Finish(std::vector<int16_t>& out) {
    m_history.insert(m_history.end(), kHalfSpan, 0.0f);
    // Every output instant before the end of the input: ceil(inputs x up / down) in all.
    while (m_nNextOutput * m_nDown < m_nInputs * m_nUp) {
        out.push_back(Output());
        ++m_nNextOutput;
    }
}
