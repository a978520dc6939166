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
    // One section's step; its state in locals, so that the stores to x leave it in registers.
    auto step = [](const Section& sec, double& z1, double& z2, double value) {
        const double in = sec.gain * value;
        const double out = in + z1;
        z1 = z2 - sec.a1 * out;
        z2 = -in - sec.a2 * out;
        return out;
    };
    // All four sections per sample, in one pass: their recursions are independent chains the
    // processor can overlap, which one pass per section would serialise.
    static_assert(kSections == 4);
    const Section &s0 = m_sections[0], &s1 = m_sections[1];
    const Section &s2 = m_sections[2], &s3 = m_sections[3];
    double a0 = s0.z1, b0 = s0.z2, a1 = s1.z1, b1 = s1.z2;
    double a2 = s2.z1, b2 = s2.z2, a3 = s3.z1, b3 = s3.z2;
    for (size_t i = 0; i < n; ++i)
        x[i] = step(s3, a3, b3, step(s2, a2, b2, step(s1, a1, b1, step(s0, a0, b0, x[i]))));
    m_sections[0].z1 = a0, m_sections[0].z2 = b0, m_sections[1].z1 = a1, m_sections[1].z2 = b1;
    m_sections[2].z1 = a2, m_sections[2].z2 = b2, m_sections[3].z1 = a3, m_sections[3].z2 = b3;
}
