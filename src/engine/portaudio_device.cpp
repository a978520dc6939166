#include "engine/portaudio_device.h"

#include <portaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/audio_flags.h"
#include "engine/audio_format.h"
#include "engine/auto_reset_event.h"
#include "engine/call_thread.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef VELTRANE_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

using std::chrono::milliseconds;

// Through PulseAudio, 5-20 ms garbled about one play in five, and 50 ms still lost 20-60 ms of
// sound now and then on a busy machine (the callback thread was held off that long); 150 ms
// played cleanly under the same load. Nothing is keyed live: the extra 0.1 s only delays a start.
constexpr double kMinLatencySeconds = 0.15;
// 20 ms per callback: far less than a half (0.1 s), so one callback never reads into the half
// the writer has not refilled yet.
constexpr unsigned long kFramesPerCallback = 441;
// Extra time given to the host's queue to play out before the stream is stopped.
constexpr milliseconds kPlayOutMargin{100};
// The play-out wait looks at the abort flag this often.
constexpr milliseconds kPlayOutSlice{10};
// A healthy host starts, stops or aborts a stream within tens of milliseconds; one that takes
// longer waits for a server that is gone. Short enough that closing the window never waits
// much more than a second on the device.
constexpr milliseconds kStreamCallLimit{800};
// Opening may enumerate every output of the host afresh (ALSA probes each card).
constexpr milliseconds kOpenLimit{3000};
// Ending PortAudio when the program closes.
constexpr milliseconds kTerminateLimit{1000};

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

// The thread PortAudio's calls run on (PortAudio is one library per process). A call that never
// returns (a stream start waiting for a callback thread that died with the sound server's
// connection) takes its thread with it: from then on a fresh thread serves every new device,
// while the stuck one is left as it is. Never destroyed, so nothing at exit waits for a hung call.
std::shared_ptr<CallThread> HostThread() {
    static std::mutex* const mutex = new std::mutex;
    static auto* const current = new std::shared_ptr<CallThread>;
    static auto* const abandoned = new std::vector<std::shared_ptr<CallThread>>;
    std::lock_guard lock(*mutex);
    if (*current && !(*current)->Stuck()) return *current;
    if (*current) abandoned->push_back(*current);
    *current = std::make_shared<CallThread>();
#if defined(__SANITIZE_ADDRESS__)
    // The ALSA plugins PortAudio loads keep allocations past their unloading, where no
    // suppression can name them; what this thread allocates is not checked for leaks.
    (*current)->Post([] { __lsan_disable(); });
#endif
    return *current;
}

// PortAudio's state, changed only on a host thread. A stream stuck in a call is never closed,
// so PortAudio is then never ended and initialized again under it.
struct Library {
    std::atomic<bool> initialized{false};
    std::atomic<int> openStreams{0};
};
Library g_library;

// Host thread: initializes PortAudio, or, while no stream is open, ends and initializes it
// again, so that the device list and the default output are the host's of now.
bool RefreshLibrary() {
    if (g_library.initialized && g_library.openStreams > 0) return true;
#ifdef VELTRANE_HAVE_ALSA
    snd_lib_error_set_handler(&IgnoreAlsaMessage);
#endif
    StderrSilencer quiet;
    if (g_library.initialized) Pa_Terminate();
    g_library.initialized = Pa_Initialize() == paNoError;
    return g_library.initialized;
}

// Host thread, PortAudio initialized: every device with an output channel.
std::vector<PaDeviceIndex> OutputIndices() {
    std::vector<PaDeviceIndex> outputs;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i)
        if (const PaDeviceInfo* info = Pa_GetDeviceInfo(i); info && info->maxOutputChannels > 0)
            outputs.push_back(i);
    return outputs;
}

// Host thread: the named output, or the default one.
PaDeviceIndex FindOutput(const std::string& name) {
    if (!name.empty())
        for (const PaDeviceIndex i : OutputIndices())
            if (name == Pa_GetDeviceInfo(i)->name) return i;
    return Pa_GetDefaultOutputDevice();
}

// What the callback shares with the device. Held by the device and by every task that still
// uses the stream, so a stream left to a hung call never plays from freed memory.
struct StreamState {
    // Resized only while the stream is stopped, when no callback runs.
    std::vector<uint8_t> buffer;
    uint32_t positions[2] = {};
    int nPositions = 0;
    std::atomic<AutoResetEvent*> event{nullptr};

    std::atomic<uint32_t> playCursor{0};
    // The callback plays the buffer while set, silence otherwise.
    std::atomic<bool> playing{false};
    // Per half: written since the callback last played it. Set (release) by the writer after
    // the bytes, read (acquire) by the callback before them.
    std::atomic<bool> fresh[2] = {false, false};
    // The callback waits at the start of a half the writer has not refilled; callback only.
    bool late = false;
    // The host ended the stream by itself (a device error) while it should have run.
    std::atomic<bool> finished{false};
    std::atomic<uint64_t> hostUnderflows{0};
    std::atomic<uint64_t> lateHalves{0};

    uint32_t Half() const { return static_cast<uint32_t>(buffer.size() / 2); }
    void Render(uint8_t* out, uint32_t bytes, PaStreamCallbackFlags flags);
};

// Runs on PortAudio's thread: no lock, no allocation, nothing that waits.
void StreamState::Render(uint8_t* out, uint32_t bytes, PaStreamCallbackFlags flags) {
    if (flags & paOutputUnderflow) hostUnderflows.fetch_add(1, std::memory_order_relaxed);
    if (!playing.load(std::memory_order_acquire)) {
        std::memset(out, 0, bytes);
        return;
    }
    const uint32_t size = static_cast<uint32_t>(buffer.size());
    const uint32_t half = Half();
    AutoResetEvent* const signal = event.load(std::memory_order_acquire);
    uint32_t cursor = playCursor.load(std::memory_order_relaxed);
    while (bytes > 0) {
        const uint32_t h = cursor / half;
        if (cursor % half == 0 && !fresh[h].load(std::memory_order_acquire)) {
            // The writer is late: silence until it has refilled this half, never the sound
            // of 0.2 s ago. The writer finds the half free and catches up from here.
            if (!late) lateHalves.fetch_add(1, std::memory_order_relaxed);
            late = true;
            std::memset(out, 0, bytes);
            break;
        }
        late = false;
        const uint32_t run = std::min(bytes, (h + 1) * half - cursor);
        std::memcpy(out, buffer.data() + cursor, run);
        if ((cursor + run) % half == 0) fresh[h].store(false, std::memory_order_release);
        // The half ending at a position has been handed on once the position is copied.
        for (int i = 0; i < nPositions; ++i)
            if (positions[i] - cursor < run && signal) signal->Set();
        out += run;
        bytes -= run;
        cursor = (cursor + run) % size;
    }
    playCursor.store(cursor, std::memory_order_relaxed);
}

int StreamCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags flags, void* state) {
    static_cast<StreamState*>(state)->Render(static_cast<uint8_t*>(output),
                                             static_cast<uint32_t>(frames * audio::kBytesPerSample),
                                             flags);
    return paContinue;
}

void StreamFinished(void* state) {
    static_cast<StreamState*>(state)->finished.store(true);
}

// Plays the looping buffer from a PortAudio callback stream. The stream is started by Play and
// stopped by Stop; in between the callback copies the buffer from the play cursor and signals
// the event whenever it has copied a notification position. A broken stream, or a call the host
// did not answer in time, is remembered and answered (negative) by every later operation.
class PortAudioDevice final : public SoundDevice {
public:
    PortAudioDevice(std::shared_ptr<CallThread> host, PaStream* stream,
                    std::shared_ptr<StreamState> state, double latency)
        : m_host(std::move(host)),
          m_pStream(stream),
          m_state(std::move(state)),
          m_latencySeconds(latency) {}
    ~PortAudioDevice() override;

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
    Counters PlaybackCounters() const override {
        return {m_state->hostUnderflows.load(), m_state->lateHalves.load()};
    }

private:
    // Stops the stream at once (true), or leaves it to the host thread and fails the device.
    bool Halt();
    // Runs a stream call on the host thread within kStreamCallLimit; its result, or the
    // device's failure when the host did not answer in time.
    int32_t StreamCall(PaError (*call)(PaStream*));
    int32_t Failure() const { return m_nFailure.load(); }
    int32_t Fail(int32_t error);

    // The host thread the stream was opened on; all its calls run there.
    const std::shared_ptr<CallThread> m_host;
    PaStream* const m_pStream;
    const std::shared_ptr<StreamState> m_state;
    const double m_latencySeconds;
    // Started and not stopped since.
    bool m_bStarted = false;
    std::atomic<int32_t> m_nFailure{paNoError};
};

PortAudioDevice::~PortAudioDevice() {
    m_state->playing.store(false);
    m_state->event.store(nullptr);
    // Closed on the host thread after whatever it still runs; nobody waits for it.
    m_host->Post([stream = m_pStream, state = m_state, started = m_bStarted] {
        StderrSilencer quiet;
        if (started) Pa_AbortStream(stream);
        Pa_CloseStream(stream);
        --g_library.openStreams;
    });
}

int32_t PortAudioDevice::Fail(int32_t error) {
    int32_t expected = paNoError;
    m_nFailure.compare_exchange_strong(expected, error < 0 ? error : device::kErrFailed);
    return Failure();
}

int32_t PortAudioDevice::StreamCall(PaError (*call)(PaStream*)) {
    auto result = std::make_shared<PaError>(paNoError);
    const bool answered = m_host->Call(
        [stream = m_pStream, state = m_state, result, call] {
            StderrSilencer quiet;
            *result = call(stream);
        },
        kStreamCallLimit);
    if (!answered) return Fail(device::kErrDeviceSilent);
    return *result == paNoError ? device::kOk : Fail(*result);
}

bool PortAudioDevice::Halt() {
    m_state->playing.store(false);
    if (!m_bStarted) return true;
    m_bStarted = false;
    return !device::Failed(StreamCall(&Pa_AbortStream));
}

int32_t PortAudioDevice::CreateBuffer(uint32_t bytes) {
    if (Failure()) return Failure();
    if (bytes == 0 || bytes % 4 != 0) return device::kErrInvalidArgument;
    if (!Halt()) return Failure();
    m_state->buffer.assign(bytes, 0);
    m_state->playCursor.store(0);
    m_state->fresh[0].store(false);
    m_state->fresh[1].store(false);
    return device::kOk;
}

int32_t PortAudioDevice::SetNotificationPositions(const uint32_t* positions, int count,
                                                  AutoResetEvent& event) {
    if (Failure()) return Failure();
    StreamState& state = *m_state;
    if (state.buffer.empty() || count < 0 || count > 2 || m_bStarted)
        return device::kErrInvalidArgument;
    for (int i = 0; i < count; ++i) {
        if (positions[i] >= state.buffer.size()) return device::kErrInvalidArgument;
        state.positions[i] = positions[i];
    }
    state.nPositions = count;
    state.event.store(&event);
    return device::kOk;
}

int32_t PortAudioDevice::Lock(uint32_t offset, uint32_t bytes, void** region) {
    if (Failure()) return Failure();
    if (bytes == 0 || uint64_t{offset} + bytes > m_state->buffer.size())
        return device::kErrInvalidArgument;
    *region = m_state->buffer.data() + offset;
    return device::kOk;
}

int32_t PortAudioDevice::Unlock(void* region, uint32_t bytes) {
    StreamState& state = *m_state;
    const uint32_t half = state.Half();
    const auto offset = static_cast<uint32_t>(static_cast<uint8_t*>(region) - state.buffer.data());
    if (half == 0 || bytes == 0 || uint64_t{offset} + bytes > state.buffer.size())
        return device::kErrInvalidArgument;
    for (uint32_t h = offset / half; h * half < offset + bytes; ++h)
        state.fresh[h].store(true, std::memory_order_release);
    // After a late refill the next half may be free already: the writer is told at once, so it
    // fills that too and the stream has its margin back.
    const uint32_t next = (offset + bytes) % static_cast<uint32_t>(state.buffer.size()) / half;
    if (m_bStarted && !state.fresh[next].load(std::memory_order_acquire))
        if (AutoResetEvent* event = state.event.load()) event->Set();
    return Failure();
}

int32_t PortAudioDevice::SetCurrentPosition(uint32_t offset) {
    if (Failure()) return Failure();
    if (offset >= m_state->buffer.size()) return device::kErrInvalidArgument;
    m_state->playCursor.store(offset);
    return device::kOk;
}

int32_t PortAudioDevice::Play() {
    if (Failure()) return Failure();
    if (m_state->buffer.empty()) return device::kErrInvalidArgument;
    m_state->playing.store(true, std::memory_order_release);
    if (m_bStarted) return device::kOk;
    m_state->finished.store(false);
    const int32_t result = StreamCall(&Pa_StartStream);
    if (device::Failed(result)) {
        m_state->playing.store(false);
        return result;
    }
    m_bStarted = true;
    return device::kOk;
}

int32_t PortAudioDevice::Stop() {
    m_state->playing.store(false);
    if (!m_bStarted || Failure()) return Failure();
    // What the callback has already copied is still queued in the host and its output; a stop
    // discards that queue on ALSA, cutting the end of the last element. Let it play out, unless
    // the playback is being cut short anyway.
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::duration<double>(m_latencySeconds) + kPlayOutMargin;
    while (!g_bAbort && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(kPlayOutSlice);
    m_bStarted = false;
    return StreamCall(g_bAbort ? &Pa_AbortStream : &Pa_StopStream);
}

int32_t PortAudioDevice::GetStatus(uint32_t* status) {
    if (Failure()) return Failure();
    const bool playing = m_state->playing.load();
    // A playing stream the host has ended has broken down (device unplugged, host error).
    if (playing && m_bStarted && m_state->finished.load()) return Fail(paInternalError);
    *status = playing ? device::kStatusPlaying | device::kStatusLooping : 0;
    return device::kOk;
}

void PortAudioDevice::ReleaseBuffer() {
    // A stream the host did not stop may still be read by its callback: its buffer stays.
    if (!Halt()) return;
    m_state->event.store(nullptr);
    m_state->buffer.clear();
    m_state->nPositions = 0;
}

// What an opening on the host thread hands back. A stream nobody took (the caller gave up
// waiting) is closed again.
struct OpenedStream {
    explicit OpenedStream(std::shared_ptr<CallThread> thread) : host(std::move(thread)) {}
    std::shared_ptr<CallThread> host;
    PaStream* stream = nullptr;
    double latencySeconds = kMinLatencySeconds;
    std::shared_ptr<StreamState> state = std::make_shared<StreamState>();
    ~OpenedStream() {
        if (!stream) return;
        host->Post([stream = stream] {
            Pa_CloseStream(stream);
            --g_library.openStreams;
        });
    }
};

class PortAudioBackend final : public SoundBackend {
public:
    ~PortAudioBackend() override;
    std::vector<std::string> OutputDevices() override;
    std::unique_ptr<SoundDevice> Open(const std::string& name) override;
    bool OutputAppeared() override;

private:
    struct Look {
        std::atomic<bool> running{false};
        std::atomic<bool> found{false};
    };
    const std::shared_ptr<Look> m_look = std::make_shared<Look>();
};

PortAudioBackend::~PortAudioBackend() {
    HostThread()->Call(
        [] {
            if (!g_library.initialized || g_library.openStreams > 0) return;
            StderrSilencer quiet;
            Pa_Terminate();
            g_library.initialized = false;
        },
        kTerminateLimit);
}

std::vector<std::string> PortAudioBackend::OutputDevices() {
    auto names = std::make_shared<std::vector<std::string>>();
    const bool answered = HostThread()->Call(
        [names] {
            if (!RefreshLibrary()) return;
            for (const PaDeviceIndex i : OutputIndices())
                names->push_back(Pa_GetDeviceInfo(i)->name);
        },
        kOpenLimit);
    return answered ? *names : std::vector<std::string>();
}

std::unique_ptr<SoundDevice> PortAudioBackend::Open(const std::string& name) {
    auto opened = std::make_shared<OpenedStream>(HostThread());
    const bool answered = opened->host->Call(
        [opened, name] {
            if (!RefreshLibrary()) return;
            StderrSilencer quiet;
            const PaDeviceIndex index = FindOutput(name);
            const PaDeviceInfo* info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
            if (!info) return;
            PaStreamParameters output{};
            output.device = index;
            output.channelCount = 1;
            output.sampleFormat = paInt16;  // the host API converts to what the hardware takes
            output.suggestedLatency = std::max(kMinLatencySeconds, info->defaultLowOutputLatency);
            PaStream* stream = nullptr;
            if (Pa_OpenStream(&stream, nullptr, &output, audio::kSampleRate, kFramesPerCallback,
                              paClipOff | paDitherOff, &StreamCallback,
                              opened->state.get()) != paNoError)
                return;
            ++g_library.openStreams;
            Pa_SetStreamFinishedCallback(stream, &StreamFinished);
            if (const PaStreamInfo* stats = Pa_GetStreamInfo(stream))
                opened->latencySeconds = stats->outputLatency;
            opened->stream = stream;
        },
        kOpenLimit);
    if (!answered || !opened->stream) return nullptr;
    auto device = std::make_unique<PortAudioDevice>(opened->host, opened->stream, opened->state,
                                                    opened->latencySeconds);
    opened->stream = nullptr;  // the device closes it now
    return device;
}

bool PortAudioBackend::OutputAppeared() {
    if (!m_look->running.exchange(true)) {
        HostThread()->Post([look = m_look] {
            look->found.store(RefreshLibrary() && Pa_GetDefaultOutputDevice() != paNoDevice);
            look->running.store(false);
        });
    }
    return m_look->found.load();
}

}  // namespace

std::unique_ptr<SoundBackend> MakePortAudioBackend() {
    return std::make_unique<PortAudioBackend>();
}
