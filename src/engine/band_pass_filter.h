#pragma once
// The receiver's CW filter: an eighth-order Butterworth band pass (four biquad sections, from a
// fourth-order low-pass prototype by the bilinear transform with both edges prewarped), its
// -3 dB points at the given edges and its gain exactly 1 at the tone.

#include <cstddef>

class BandPassFilter {
public:
    // Equivalent noise bandwidth over the -3 dB width: (pi / 8) / sin(pi / 8) for this order.
    static constexpr double kNoiseBandwidthRatio = 1.0262;

    // Sets the passband to `widthHz` centred on `toneHz` (kept above 0 Hz and below the Nyquist
    // frequency); the gain at toneHz is 1. Keeps the filter's state, so a new tone or width
    // takes over without a gap. A design equal to the current one changes nothing.
    void Design(double toneHz, double widthHz);
    // Silences the state.
    void Reset();
    // Filters n samples in place.
    void Process(double* x, size_t n);

private:
    static constexpr int kSections = 4;
    // Transposed direct form II; each section's numerator is gain * (1 - z^-2).
    struct Section {
        double gain = 0, a1 = 0, a2 = 0;
        double z1 = 0, z2 = 0;
    };
    Section m_sections[kSections];
    double m_toneHz = -1;
    double m_widthHz = -1;
};
