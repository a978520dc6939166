#include "real_audio_analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <numbers>

#include "engine/audio_format.h"

std::vector<ToneSpan> FindTones(const std::vector<int16_t>& s, int threshold, size_t bridge) {
    std::vector<ToneSpan> tones;
    for (size_t i = 0; i < s.size(); ++i) {
        if (std::abs(s[i]) <= threshold) continue;
        if (!tones.empty() && i - tones.back().end < bridge)
            tones.back().end = i + 1;
        else
            tones.push_back({i, i + 1});
    }
    return tones;
}

double ToneAmplitude(const std::vector<int16_t>& s, size_t begin, size_t end, double hz) {
    const double w = 2.0 * std::numbers::pi * hz / audio::kSampleRate;
    std::complex<double> sum;
    for (size_t k = begin; k < end; ++k)
        sum += static_cast<double>(s[k]) * std::polar(1.0, -w * double(k));
    return end > begin ? 2.0 * std::abs(sum) / double(end - begin) : 0.0;
}

double ZeroCrossingFrequency(const std::vector<int16_t>& s, size_t begin, size_t end) {
    double first = -1.0;
    double last = -1.0;
    int crossings = 0;
    for (size_t k = begin + 1; k < end; ++k) {
        if (s[k - 1] < 0 && s[k] >= 0) {
            const double at = double(k - 1) + double(-s[k - 1]) / double(s[k] - s[k - 1]);
            if (first < 0) first = at;
            last = at;
            ++crossings;
        }
    }
    if (crossings < 2) return 0.0;
    return (crossings - 1) * audio::kSampleRate / (last - first);
}

int PeakMagnitude(const std::vector<int16_t>& s, size_t begin, size_t end) {
    int peak = 0;
    for (size_t k = begin; k < end && k < s.size(); ++k) peak = std::max(peak, std::abs(int{s[k]}));
    return peak;
}

double BandPower(const std::vector<int16_t>& s, size_t begin, size_t end, double lowHz,
                 double highHz) {
    constexpr size_t kSegment = audio::kSampleRate / 10;
    constexpr double kBinHz = double(audio::kSampleRate) / kSegment;
    std::vector<double> window(kSegment);
    double windowPower = 0;
    for (size_t k = 0; k < kSegment; ++k) {
        window[k] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(k) / kSegment);
        windowPower += window[k] * window[k];
    }
    const int firstBin = static_cast<int>(std::ceil(lowHz / kBinHz));
    const int lastBin = static_cast<int>(std::ceil(highHz / kBinHz)) - 1;
    double sum = 0;
    size_t segments = 0;
    for (size_t at = begin; at + kSegment <= end; at += kSegment, ++segments) {
        for (int bin = firstBin; bin <= lastBin; ++bin) {
            // Goertzel: the DFT at one bin.
            const double w = 2.0 * std::numbers::pi * bin / kSegment;
            const double coefficient = 2.0 * std::cos(w);
            double s1 = 0, s2 = 0;
            for (size_t k = 0; k < kSegment; ++k) {
                const double v = window[k] * s[at + k] + coefficient * s1 - s2;
                s2 = s1;
                s1 = v;
            }
            sum += s1 * s1 + s2 * s2 - coefficient * s1 * s2;
        }
    }
    // A one-sided band of a real signal: each bin's power counts twice.
    return segments ? 2.0 * sum / (double(kSegment) * windowPower * double(segments)) : 0.0;
}
