#pragma once
// The one audio format of the program and the geometry of the looping device buffer.
// Every length in the engine is counted in samples or bytes of this format.

#include <cstdint>

namespace audio {

constexpr int32_t kSampleRate = 22050;  // samples per second, one channel
constexpr int32_t kBytesPerSample = 2;  // signed 16-bit little-endian PCM
constexpr int32_t kBytesPerSecond = kSampleRate * kBytesPerSample;  // 44,100

// The device buffer holds 0.2 s and is refilled half by half: 4410 samples, two halves of 2205.
constexpr uint32_t kBufferBytes = 8820;
constexpr uint32_t kHalfBytes = kBufferBytes / 2;
// The last byte of each half; the device signals as its play cursor passes either of them.
constexpr uint32_t kNotifyPositions[2] = {kHalfBytes - 1, kBufferBytes - 1};
// Silence that ends a playback: three halves, so the half with the last sample has been played
// when the flush returns.
constexpr uint32_t kTailBytes = 3 * kHalfBytes;

}  // namespace audio
