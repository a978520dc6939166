#pragma once
// Converts a stream of 16-bit samples from one sample rate to another, for a format that cannot
// take the trainer's 22,050 samples per second (Opus: 8, 12, 16, 24 or 48 kHz). A windowed-sinc
// filter with one set of taps per phase of the rational ratio; the tone and its keying edges
// keep their shape, and the output has exactly ceil(input x to / from) samples.

#include <cstddef>
#include <cstdint>
#include <vector>

class Resampler {
public:
    // Both rates in samples per second, positive.
    Resampler(int32_t fromRate, int32_t toRate);

    // Appends to `out` every output sample whose filter span the input has reached.
    void Process(const int16_t* in, size_t n, std::vector<int16_t>& out);
    // Appends the remaining output samples, taking silence after the last input sample. Once,
    // at the end of the stream.
    void Finish(std::vector<int16_t>& out);

private:
    // The output sample m_nNextOutput, from the history.
    int16_t Output() const;
    void DropConsumedInput();

    int64_t m_nUp;  // output samples per m_nDown input samples, the ratio in lowest terms
    int64_t m_nDown;
    std::vector<float> m_taps;  // m_nUp phases of kTaps taps each
    std::vector<float> m_history;
    int64_t m_nFirstIndex;  // input index of m_history[0]; negative for the leading zeros
    int64_t m_nInputs = 0;  // input samples received
    int64_t m_nNextOutput = 0;
};
