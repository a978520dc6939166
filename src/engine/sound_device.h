#pragma once
// The sound device as the audio stream sees it: one looping streaming buffer that the stream
// fills chunk by chunk and that signals an event as its play cursor leaves each half.
// Implemented on PortAudio (portaudio_device.h) and by a scripted fake (fake_sound_device.h).
// Every operation answers a 32-bit result code: 0 or above is success, below 0 a failure.

#include <cstdint>

#include "engine/engine_errors.h"

class AutoResetEvent;

namespace device {

constexpr int32_t kOk = 0;
// Success without effect (e.g. the lost-buffer check found nothing to do).
constexpr int32_t kFalse = 1;
// The buffer's memory was taken from the program; Restore() until it stops answering this.
constexpr int32_t kErrBufferLost = static_cast<int32_t>(0x88780096);
// Unspecified device failure (the stream of the backend broke down).
constexpr int32_t kErrFailed = static_cast<int32_t>(0x80004005);
// An argument outside the buffer (offset or size).
constexpr int32_t kErrInvalidArgument = static_cast<int32_t>(0x80070057);
// There is no sound device to write to.
constexpr int32_t kErrNoDevice = static_cast<int32_t>(0x88780078);
// Raised by the stream itself, not by a device: a playing device has not signalled for
// CMorseAudio::kDeviceSilenceLimit (the conventional 32-bit "timeout" code).
constexpr int32_t kErrDeviceSilent = static_cast<int32_t>(0x800705B4);

// Status bits answered by GetStatus.
constexpr uint32_t kStatusPlaying = 0x1;
constexpr uint32_t kStatusBufferLost = 0x2;
constexpr uint32_t kStatusLooping = 0x4;

inline bool Failed(int32_t result) {
    return result < 0;
}

}  // namespace device

class SoundDevice {
public:
    virtual ~SoundDevice() = default;

    // Creates the streaming buffer of `bytes` bytes, silent, stopped, play position 0.
    virtual int32_t CreateBuffer(uint32_t bytes) = 0;
    // Makes the buffer Set() `event` each time its play cursor passes one of the byte positions.
    virtual int32_t SetNotificationPositions(const uint32_t* positions, int count,
                                             AutoResetEvent& event) = 0;
    // Gives write access to `bytes` bytes at `offset` as one contiguous region (the region must
    // not straddle the end of the buffer).
    virtual int32_t Lock(uint32_t offset, uint32_t bytes, void** region) = 0;
    // Hands the region written since Lock back to the device.
    virtual int32_t Unlock(void* region, uint32_t bytes) = 0;
    // Moves the play cursor to a byte offset.
    virtual int32_t SetCurrentPosition(uint32_t offset) = 0;
    // Starts looping playback from the play cursor.
    virtual int32_t Play() = 0;
    // Stops playback; everything the device has already taken from the buffer is still heard.
    virtual int32_t Stop() = 0;
    // Answers device::kStatus* bits.
    virtual int32_t GetStatus(uint32_t* status) = 0;
    // Restores a lost buffer (stopped, contents undefined). May answer device::kErrBufferLost
    // while the buffer cannot be restored yet.
    virtual int32_t Restore() = 0;
    // Releases the streaming buffer (stopping it first if it still plays).
    virtual void ReleaseBuffer() = 0;

    // Troubles of the playback since the device was opened; a device without a host has none.
    struct Counters {
        // Callbacks the host flagged as having run dry before them (its queue underflowed).
        uint64_t hostUnderflows = 0;
        // Times the device reached a half its writer had not refilled and played silence.
        uint64_t lateHalves = 0;
    };
    virtual Counters PlaybackCounters() const { return {}; }
};
