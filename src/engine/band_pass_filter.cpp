#include "engine/band_pass_filter.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "engine/audio_format.h"

namespace {

using Complex = std::complex<double>;

constexpr double kSampleRate = audio::kSampleRate;
// The lowest lower edge and the highest upper edge the filter may have.
constexpr double kLowestEdgeHz = 30.0;
constexpr double kHighestEdgeHz = 0.45 * kSampleRate;

// The frequency an analog filter must have so that the bilinear transform puts it at hz.
double Prewarp(double hz) {
    return 2.0 * kSampleRate * std::tan(std::numbers::pi * hz / kSampleRate);
}

}  // namespace

void BandPassFilter::Design(double toneHz, double widthHz) {
    if (toneHz == m_toneHz && widthHz == m_widthHz) return;
    m_toneHz = toneHz;
    m_widthHz = widthHz;

    const double low = std::clamp(toneHz - widthHz / 2, kLowestEdgeHz, kHighestEdgeHz - 1.0);
    const double high = std::clamp(toneHz + widthHz / 2, low + 1.0, kHighestEdgeHz);
    const double w1 = Prewarp(low), w2 = Prewarp(high);
    const double bandwidth = w2 - w1;
    const double centre2 = w1 * w2;  // squared analog centre

    // The fourth-order Butterworth prototype's poles in the upper half plane; with their mirror
    // images below they make the whole prototype. The low-pass to band-pass substitution
    // s -> (s^2 + centre^2) / (bandwidth s) turns each into two band-pass poles, and each of
    // those with its conjugate makes one biquad.
    int section = 0;
    for (int k = 1; k <= 2; ++k) {
        const Complex p = std::polar(1.0, std::numbers::pi * (2 * k + 3) / 8.0);
        const Complex pb = p * bandwidth;
        const Complex root = std::sqrt(pb * pb - 4.0 * centre2);
        for (const Complex s : {(pb + root) / 2.0, (pb - root) / 2.0}) {
            const Complex z = (2.0 * kSampleRate + s) / (2.0 * kSampleRate - s);
            Section& sec = m_sections[section++];
            sec.a1 = -2.0 * z.real();
            sec.a2 = std::norm(z);
            sec.gain = 1.0;
        }
    }

    // Unit gain at the tone, shared equally by the sections.
    const double w = 2.0 * std::numbers::pi * std::clamp(toneHz, low, high) / kSampleRate;
    const Complex z1 = std::polar(1.0, -w), z2 = z1 * z1;
    Complex response = 1.0;
    for (const Section& sec : m_sections)
        response *= (1.0 - z2) / (1.0 + sec.a1 * z1 + sec.a2 * z2);
    const double gain = std::pow(1.0 / std::abs(response), 1.0 / kSections);
    for (Section& sec : m_sections) sec.gain = gain;
}

void BandPassFilter::Reset() {
    for (Section& sec : m_sections) sec.z1 = sec.z2 = 0;
}

void BandPassFilter::Process(double* x, size_t n) {
    for (Section& sec : m_sections) {
        double z1 = sec.z1, z2 = sec.z2;
        const double g = sec.gain, a1 = sec.a1, a2 = sec.a2;
        for (size_t i = 0; i < n; ++i) {
            const double in = g * x[i];
            const double out = in + z1;
            z1 = z2 - a1 * out;
            z2 = -in - a2 * out;
            x[i] = out;
        }
        sec.z1 = z1;
        sec.z2 = z2;
    }
}
