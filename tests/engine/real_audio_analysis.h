#pragma once
// Measurements on a recorded 22,050 Hz mono signal: where the tones are, at what frequency and
// how loud. Independent of the synthesis code, so it can serve as an oracle for it.

#include <cstddef>
#include <cstdint>
#include <vector>

// One tone: the samples [start, end) whose magnitude exceeds the silence threshold.
struct ToneSpan {
    size_t start;
    size_t end;
    size_t Length() const { return end - start; }
};

// The tones in `s`: runs of samples above `threshold` in magnitude, where quiet stretches
// shorter than `bridge` samples (a sine's zero crossings) do not end a tone.
std::vector<ToneSpan> FindTones(const std::vector<int16_t>& s, int threshold, size_t bridge);

// The amplitude of the component of s[begin, end) at `hz`, by correlation with a complex tone.
double ToneAmplitude(const std::vector<int16_t>& s, size_t begin, size_t end, double hz);

// The frequency of s[begin, end) from the spacing of its first and last rising zero crossings
// (interpolated between samples); 0 without two crossings.
double ZeroCrossingFrequency(const std::vector<int16_t>& s, size_t begin, size_t end);

// The largest sample magnitude in s[begin, end).
int PeakMagnitude(const std::vector<int16_t>& s, size_t begin, size_t end);

// The power (mean square, in squared sample units) of s[begin, end) between lowHz and highHz:
// Hann-windowed periodograms of 0.1 s segments (10 Hz bins) averaged over the stretch, summed
// over the bins whose centres lie in [lowHz, highHz).
double BandPower(const std::vector<int16_t>& s, size_t begin, size_t end, double lowHz,
                 double highHz);
