#pragma once
// The sound engine: keys characters into tone samples and streams them to the sound device
// through its small looping buffer, or into a file sink while recording.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/audio_format.h"
#include "engine/auto_reset_event.h"
#include "engine/band_conditions.h"
#include "engine/file_sink.h"
#include "engine/fist.h"
#include "engine/keying.h"
#include "engine/relaxed_atomic.h"
#include "engine/signal_conditions.h"
#include "engine/sound_backend.h"
#include "engine/sound_device.h"

// Told after every element handed to the sink (the view wakes its idle-time update with it).
class SynthesisObserver {
public:
    virtual ~SynthesisObserver() = default;
    virtual void OnElementKeyed() = 0;
};

class CMorseAudio {
public:
    // Five seconds: room for the longest element with its silence within the speed limits
    // (a dash at 25 CPM is 15,876 samples; a word space at 500/25 CPM is 53,979 samples).
    static constexpr int32_t kElementSamples = 110250;
    // How long a wait for the device sleeps before it looks at the abort flag and the device.
    static constexpr std::chrono::milliseconds kWaitSlice{50};
    // A playing device signals every 0.1 s; one silent this long has failed.
    static constexpr std::chrono::milliseconds kDeviceSilenceLimit{2000};
    // Pause between attempts to restore a lost buffer.
    static constexpr std::chrono::milliseconds kRestoreRetry{10};

    // `device` is the owner's device slot (null when there is no device); it must outlive the
    // engine's use of it, i.e. every playback ends with StopStream before the device goes.
    // `conditions` are read live like `keying`; they apply only to playbacks that begin them.
    CMorseAudio(const KeyingParameters& keying, SoundDevice*& device,
                const SignalConditions& conditions = kCleanSignal);
    ~CMorseAudio();
    CMorseAudio(const CMorseAudio&) = delete;
    CMorseAudio& operator=(const CMorseAudio&) = delete;

    // Opens the output `name` (empty: the system's default; one the backend no longer lists:
    // the default too) into the owner's device slot, closing the device that was there; the
    // slot stays null when there is no output. The engine owns the device it opened. Only while
    // nothing plays. Silent; true when there is a device now.
    bool OpenDevice(SoundBackend& backend, const std::string& name);
    // Closes the device OpenDevice opened; the slot becomes null. Only while nothing plays.
    void CloseDevice();
    // A device error was raised since the device was opened: it needs opening again.
    bool DeviceFailed() const { return m_bDeviceFailed; }

    // Keys one character element by element into the file sink or the device stream and returns
    // the samples produced (tones and silences). Adds each element's samples to `counter` and
    // tells `view` after each element (both optional). Stops before the next element once the
    // abort flag is set. Throws DeviceError or SinkWriteError.
    int SynthesizeCharacter(unsigned char ch, RelaxedAtomic<int32_t>* counter,
                            SynthesisObserver* view);

    // Queues bytes of samples for playback, blocking until the device has room for them;
    // `length` 0 flushes: pads with silence until everything written has been played. The
    // first bytes of a playback follow the keying's lead-in of silence.
    // Returns early, dropping the rest, once the abort flag is set. Throws DeviceError.
    void Write(const void* bytes, uint32_t length);
    // Ends a playback: stops and releases the device buffer and uncounts the stream. The signal
    // conditions end with it.
    void StopStream();

    // Lets the signal conditions and the fist that are on shape this playback, from a fresh
    // start drawn from `seed` (the same seed, the same sound). Without it a playback is clean,
    // as a character clicked on the code table is. Playback thread only.
    void BeginConditions(uint64_t seed);

    // While a sink is attached every element goes to it and the device is not touched.
    void AttachFileSink(SampleSink* sink) { m_pFileSink.store(sink); }
    void DetachFileSink() { m_pFileSink.store(nullptr); }
    bool HasFileSink() const { return m_pFileSink.load() != nullptr; }

    // Every condition off.
    static const SignalConditions kCleanSignal;

private:
    enum class WaitResult { Signalled, Aborted, BufferLost };

    // The centre of the wanted signal: between the dash and the dot pitch as they are played.
    double ToneCentreHz() const;

    // Renders n samples of tone at `frequency` Hz, with its rise and fall, into m_element.
    void RenderTone(int32_t n, int32_t frequency);

    // Remembers that the device failed, then throws DeviceError.
    [[noreturn]] void RaiseDeviceError(int32_t result);
    void Check(int32_t result);

    bool IsLooping() const { return m_bPlaying && !m_bRestored; }
    void CreateDeviceBuffer();
    // The keying's lead-in, as silence at the start of a playback.
    void WriteLeadIn();
    // Restores a lost buffer, retrying every kRestoreRetry; false if an abort ended the attempts.
    bool RestoreLostBuffer();
    // Waits, in slices, until the device has left the half at the write cursor. Throws
    // DeviceError when the device fails or stays silent for kDeviceSilenceLimit.
    WaitResult WaitForFreeHalf();
    // Writes one chunk at the write cursor: the staged bytes first, then the caller's.
    void FillChunk(uint32_t chunk, const uint8_t*& source, uint32_t& sourceLeft);
    // Starts looping playback after a whole fill (again, after a restore).
    void StartPlayback();

    bool m_bHasBuffer = false;
    AutoResetEvent m_event;
    const KeyingParameters& m_keying;
    SoundDevice*& m_pDevice;
    // The device OpenDevice opened (the slot points at it).
    std::unique_ptr<SoundDevice> m_ownedDevice;
    // Set on the playback thread, read on the interface thread after it ended.
    std::atomic<bool> m_bDeviceFailed{false};
    // Playback has started and is counted in g_nActiveStreams.
    bool m_bPlaying = false;
    // The buffer was lost and restored: it is stopped until the next whole fill restarts it.
    bool m_bRestored = false;
    uint32_t m_nWriteCursor = 0;
    uint8_t m_staging[audio::kBufferBytes];
    uint32_t m_nStaged = 0;
    // No sample of this playback has been written yet: the lead-in comes first.
    bool m_bLeadInPending = true;
    // Set by the interface thread before a recording starts and cleared after it ended.
    std::atomic<SampleSink*> m_pFileSink{nullptr};
    // The one element buffer, allocated with the engine.
    std::unique_ptr<int16_t[]> m_element;

    const SignalConditions& m_conditions;
    // Set by BeginConditions, cleared by StopStream; playback thread only.
    bool m_bConditionsBegun = false;
    Fist m_fist;
    BandConditions m_band;
};
