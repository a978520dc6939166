#include "engine/portaudio_device.h"

#include <portaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "engine/audio_format.h"
#include "engine/auto_reset_event.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef VELTRANE_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace {

// Through PulseAudio, 5-20 ms garbled about one play in five, and 50 ms still lost 20-60 ms of
// sound now and then on a busy machine (the callback thread was held off that long); 150 ms
// played cleanly under the same load. Nothing is keyed live: the extra 0.1 s only delays a start.
constexpr double kMinLatencySeconds = 0.15;
// 20 ms per callback: far less than a half (0.1 s), so one callback never reads into the half
// the writer has not refilled yet.
constexpr unsigned long kFramesPerCallback = 441;
// Extra time given to the host's queue to play out before the stream is stopped.
constexpr std::chrono::milliseconds kPlayOutMargin{100};

#ifdef _WIN32
// The Windows host APIs print nothing while they probe.
class StderrSilencer {};
#else
// Routes file descriptor 2 to /dev/null while alive: the ALSA and JACK host APIs print dozens of
// probing lines while PortAudio starts, which a user must not see on a terminal.
class StderrSilencer {
public:
    StderrSilencer() {
        std::fflush(stderr);
        m_saved = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (m_saved >= 0 && null >= 0) dup2(null, STDERR_FILENO);
        if (null >= 0) close(null);
    }
    ~StderrSilencer() {
        std::fflush(stderr);
        if (m_saved >= 0) {
            dup2(m_saved, STDERR_FILENO);
            close(m_saved);
        }
    }
    StderrSilencer(const StderrSilencer&) = delete;
    StderrSilencer& operator=(const StderrSilencer&) = delete;

private:
    int m_saved;
};
#endif

#ifdef VELTRANE_HAVE_ALSA
// ALSA reports what it copes with by itself (a recovered underrun on a loaded machine) on
// stderr; the program writes nothing to a terminal.
void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
#endif

// Pa_Initialize for the lifetime of the object, Pa_Terminate after it.
class PortAudioLibrary {
public:
    PortAudioLibrary() {
#ifdef VELTRANE_HAVE_ALSA
        snd_lib_error_set_handler(&IgnoreAlsaMessage);
#endif
        StderrSilencer quiet;
        m_error = Pa_Initialize();
    }
    ~PortAudioLibrary() {
        if (m_error != paNoError) return;
        StderrSilencer quiet;
        Pa_Terminate();
    }
    PortAudioLibrary(const PortAudioLibrary&) = delete;
    PortAudioLibrary& operator=(const PortAudioLibrary&) = delete;
    bool Ok() const {
        return m_error == paNoError;
    }

private:
    PaError m_error;
};

// Plays the looping buffer from a PortAudio callback stream. The stream is started by Play and
// stopped by Stop; in between the callback copies the buffer from the play cursor and signals
// the event whenever it has copied a notification position. A broken stream is remembered and
// answered, as its PaError (all negative), by every later operation.
class PortAudioDevice final : public SoundDevice {
public:
    ~PortAudioDevice() override;
    bool Open();

    int32_t CreateBuffer(uint32_t bytes) override;
    int32_t SetNotificationPositions(const uint32_t* positions, int count,
                                     AutoResetEvent& event) override;
    int32_t Lock(uint32_t offset, uint32_t bytes, void** region) override;
    int32_t Unlock(void* region, uint32_t bytes) override;
    int32_t SetCurrentPosition(uint32_t offset) override;
    int32_t Play() override;
    int32_t Stop() override;
    int32_t GetStatus(uint32_t* status) override;
    int32_t Restore() override { return Failure(); }  // the buffer is never taken away
    void ReleaseBuffer() override;

private:
    static int StreamCallback(const void* input, void* output, unsigned long frames,
                              const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags flags,
                              void* self);
    void Render(uint8_t* out, uint32_t bytes);
    bool IsRunning() const { return m_pStream && Pa_IsStreamStopped(m_pStream) == 0; }
    // Stops the stream at once; the buffer may be changed afterwards.
    void Halt();
    int32_t Failure() const { return m_nFailure.load(); }
    int32_t Fail(PaError error);

    PortAudioLibrary m_library;  // first member, so PortAudio is terminated last
    PaStream* m_pStream = nullptr;
    // Changed only while the stream is stopped, when no callback runs.
    std::vector<uint8_t> m_buffer;
    uint32_t m_positions[2] = {};
    int m_nPositions = 0;
    AutoResetEvent* m_pEvent = nullptr;

    std::atomic<uint32_t> m_nPlayCursor{0};
    // The callback plays the buffer while set, silence otherwise.
    std::atomic<bool> m_bPlaying{false};
    // Bumped (release) by Unlock and read (acquire) by the callback: the callback sees every
    // byte written before the chunk was handed back.
    std::atomic<uint32_t> m_nUnlocks{0};
    std::atomic<int32_t> m_nFailure{paNoError};
};

PortAudioDevice::~PortAudioDevice() {
    if (!m_pStream) return;
    StderrSilencer quiet;
    Halt();
    Pa_CloseStream(m_pStream);
}

bool PortAudioDevice::Open() {
    if (!m_library.Ok()) return false;
    StderrSilencer quiet;
    const PaDeviceIndex index = Pa_GetDefaultOutputDevice();
    if (index == paNoDevice) return false;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
    if (!info) return false;

    PaStreamParameters output{};
    output.device = index;
    output.channelCount = 1;
    output.sampleFormat = paInt16;  // the host API converts to what the hardware takes
    output.suggestedLatency = std::max(kMinLatencySeconds, info->defaultLowOutputLatency);
    output.hostApiSpecificStreamInfo = nullptr;
    if (Pa_OpenStream(&m_pStream, nullptr, &output, audio::kSampleRate, kFramesPerCallback,
                      paClipOff | paDitherOff, &StreamCallback, this) != paNoError) {
        m_pStream = nullptr;
        return false;
    }
    return true;
}

int32_t PortAudioDevice::Fail(PaError error) {
    int32_t expected = paNoError;
    m_nFailure.compare_exchange_strong(expected, error < 0 ? error : device::kErrFailed);
    return Failure();
}

void PortAudioDevice::Halt() {
    m_bPlaying.store(false);
    if (IsRunning()) Pa_AbortStream(m_pStream);
}

int32_t PortAudioDevice::CreateBuffer(uint32_t bytes) {
    if (Failure()) return Failure();
    if (bytes == 0 || bytes % 2 != 0) return device::kErrInvalidArgument;
    Halt();
    m_buffer.assign(bytes, 0);
    m_nPlayCursor.store(0);
    return device::kOk;
}

int32_t PortAudioDevice::SetNotificationPositions(const uint32_t* positions, int count,
                                                  AutoResetEvent& event) {
    if (Failure()) return Failure();
    if (m_buffer.empty() || count < 0 || count > 2 || IsRunning())
        return device::kErrInvalidArgument;
    for (int i = 0; i < count; ++i) {
        if (positions[i] >= m_buffer.size()) return device::kErrInvalidArgument;
        m_positions[i] = positions[i];
    }
    m_nPositions = count;
    m_pEvent = &event;
    return device::kOk;
}

int32_t PortAudioDevice::Lock(uint32_t offset, uint32_t bytes, void** region) {
    if (Failure()) return Failure();
    if (bytes == 0 || uint64_t{offset} + bytes > m_buffer.size())
        return device::kErrInvalidArgument;
    *region = m_buffer.data() + offset;
    return device::kOk;
}

int32_t PortAudioDevice::Unlock(void*, uint32_t) {
    m_nUnlocks.fetch_add(1, std::memory_order_release);
    return Failure();
}

int32_t PortAudioDevice::SetCurrentPosition(uint32_t offset) {
    if (Failure()) return Failure();
    if (offset >= m_buffer.size()) return device::kErrInvalidArgument;
    m_nPlayCursor.store(offset);
    return device::kOk;
}

int32_t PortAudioDevice::Play() {
    if (Failure()) return Failure();
    if (m_buffer.empty()) return device::kErrInvalidArgument;
    m_bPlaying.store(true, std::memory_order_release);
    if (IsRunning()) return device::kOk;
    const PaError error = Pa_StartStream(m_pStream);
    if (error != paNoError) {
        m_bPlaying.store(false);
        return Fail(error);
    }
    return device::kOk;
}

int32_t PortAudioDevice::Stop() {
    m_bPlaying.store(false);
    if (!IsRunning()) return device::kOk;
    // What the callback has already copied is still queued in the host and its output; a stop
    // discards that queue on ALSA, cutting the end of the last element. Let it play out.
    const PaStreamInfo* info = Pa_GetStreamInfo(m_pStream);
    const double latency = info ? info->outputLatency : kMinLatencySeconds;
    std::this_thread::sleep_for(std::chrono::duration<double>(latency) + kPlayOutMargin);
    const PaError error = Pa_StopStream(m_pStream);
    return error == paNoError ? device::kOk : Fail(error);
}

int32_t PortAudioDevice::GetStatus(uint32_t* status) {
    if (Failure()) return Failure();
    const bool playing = m_bPlaying.load();
    if (playing) {
        // A playing stream that is no longer active has broken down (device unplugged, host
        // error).
        const PaError active = Pa_IsStreamActive(m_pStream);
        if (active != 1) return Fail(active < 0 ? active : paInternalError);
    }
    *status = playing ? device::kStatusPlaying | device::kStatusLooping : 0;
    return device::kOk;
}

void PortAudioDevice::ReleaseBuffer() {
    Halt();
    m_buffer.clear();
    m_nPositions = 0;
    m_pEvent = nullptr;
}

int PortAudioDevice::StreamCallback(const void*, void* output, unsigned long frames,
                                    const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags,
                                    void* self) {
    static_cast<PortAudioDevice*>(self)->Render(
        static_cast<uint8_t*>(output), static_cast<uint32_t>(frames * audio::kBytesPerSample));
    return paContinue;
}

// Runs on PortAudio's thread: no allocation, no blocking beyond the event's short lock.
void PortAudioDevice::Render(uint8_t* out, uint32_t bytes) {
    if (!m_bPlaying.load(std::memory_order_acquire)) {
        std::memset(out, 0, bytes);
        return;
    }
    m_nUnlocks.load(std::memory_order_acquire);
    const uint32_t size = static_cast<uint32_t>(m_buffer.size());
    uint32_t cursor = m_nPlayCursor.load(std::memory_order_relaxed);
    while (bytes > 0) {
        const uint32_t run = std::min(bytes, size - cursor);
        std::memcpy(out, m_buffer.data() + cursor, run);
        // The half ending at a position has been handed on once the position is copied.
        for (int i = 0; i < m_nPositions; ++i)
            if (m_positions[i] - cursor < run) m_pEvent->Set();
        out += run;
        bytes -= run;
        cursor = (cursor + run) % size;
    }
    m_nPlayCursor.store(cursor, std::memory_order_relaxed);
}

}  // namespace

std::unique_ptr<SoundDevice> OpenPortAudioDevice() {
    auto device = std::make_unique<PortAudioDevice>();
    if (!device->Open()) return nullptr;
    return device;
}
