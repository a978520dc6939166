#include "engine/morse_audio.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>

#include "engine/audio_flags.h"
#include "engine/morse_code.h"

static_assert(std::endian::native == std::endian::little,
              "samples are handed on in host order, which must be little-endian PCM");

namespace {

using audio::kBufferBytes;
using audio::kHalfBytes;

// π to ten decimals, the constant the tone has always been computed with.
constexpr double kPi = 3.1415926535;
// At both volumes 100 a tone peaks at 100 × 100 × 3.2767 = 32767, the largest 16-bit sample.
constexpr double kVolumeScale = 3.2767;

// The silence a flush appends; no flush needs more than three halves.
constexpr uint8_t kZeroBlock[audio::kTailBytes] = {};

// Samples per period of a tone: a whole number, so 700 Hz plays as 22050 / 31, about 711 Hz.
int32_t TonePeriod(int32_t frequency) {
    return audio::kSampleRate /
           std::clamp(frequency, KeyingParameters::kMinPitch, KeyingParameters::kMaxPitch);
}

// Truncates toward zero; volumes above 100 saturate instead of wrapping around.
int16_t ToSample(double value) {
    if (value >= 32767.0) return 32767;
    if (value <= -32768.0) return -32768;
    return static_cast<int16_t>(value);
}

}  // namespace

const SignalConditions CMorseAudio::kCleanSignal;

CMorseAudio::CMorseAudio(const KeyingParameters& keying, SoundDevice*& device,
                         const SignalConditions& conditions)
    : m_keying(keying),
      m_pDevice(device),
      m_element(new int16_t[kElementSamples]),
      m_conditions(conditions),
      m_fist(conditions),
      m_band(conditions) {}

void CMorseAudio::RaiseDeviceError(int32_t result) {
    m_bDeviceFailed = true;
    throw DeviceError(result);
}

void CMorseAudio::Check(int32_t result) {
    if (device::Failed(result)) RaiseDeviceError(result);
}

void CMorseAudio::CloseDevice() {
    m_pDevice = nullptr;
    m_ownedDevice.reset();
}

bool CMorseAudio::OpenDevice(SoundBackend& backend, const std::string& name) {
    // The old device goes first: a host may allow one open stream at a time.
    CloseDevice();
    m_ownedDevice = backend.Open(name);
    m_pDevice = m_ownedDevice.get();
    m_bDeviceFailed = false;
    return m_pDevice != nullptr;
}

CMorseAudio::~CMorseAudio() {
    if (m_bHasBuffer && m_pDevice) {
        m_pDevice->Stop();
        m_pDevice->ReleaseBuffer();
    }
}

int CMorseAudio::SynthesizeCharacter(unsigned char ch, RelaxedAtomic<int32_t>* counter,
                                     SynthesisObserver* view) {
    const std::string pattern = LookupMorseCode(ch);
    int total = 0;
    for (size_t e = 0; e < pattern.size() && !g_bAbort; ++e) {
        const bool dash = pattern[e] == '-';
        const bool tone = dash || pattern[e] == '.';
        const bool fist = m_bConditionsBegun && m_conditions.fistOn;

        // Lengths beyond the element buffer cannot come from SetSpeeds; clamp them anyway so a
        // stray field value (or an extreme fist) can never write past it.
        const int64_t dot = m_keying.dotSamples;
        int64_t toneLength = tone ? (dash ? 3 * dot : dot) : 0;
        if (fist && tone) toneLength = m_fist.Tone(dot, dash);
        const int32_t n = static_cast<int32_t>(std::clamp<int64_t>(toneLength, 0, kElementSamples));
        if (n > 0) RenderTone(n, dash ? m_keying.pitch : m_keying.secondPitch);

        // The silence is read after the tone: a change made meanwhile applies at once.
        int64_t gap;
        if (!tone)
            gap = int64_t{m_keying.wordGapSamples} - m_keying.charGapSamples;  // word space
        else if (e + 1 == pattern.size())
            gap = m_keying.charGapSamples;
        else
            gap = m_keying.dotSamples;
        if (fist) gap = m_fist.Gap(gap);
        const int32_t g = static_cast<int32_t>(std::clamp<int64_t>(gap, 0, kElementSamples - n));
        std::memset(m_element.get() + n, 0, static_cast<size_t>(g) * sizeof(int16_t));

        const int32_t samples = n + g;
        if (samples == 0) continue;  // nothing to hand on (a zero-length write is a flush)
        if (fist) m_fist.Advance(samples);
        if (m_bConditionsBegun && m_conditions.AnyOnTheBand()) {
            const double amplitude =
                static_cast<double>(m_keying.volume) * m_keying.masterVolume * kVolumeScale;
            m_band.Process(m_element.get(), samples, ToneCentreHz(), amplitude);
        }
        const uint32_t bytes = static_cast<uint32_t>(samples) * audio::kBytesPerSample;
        if (SampleSink* sink = m_pFileSink.load())
            sink->WriteSamples(m_element.get(), bytes);
        else
            Write(m_element.get(), bytes);

        total += samples;
        if (counter) *counter += samples;
        if (view) view->OnElementKeyed();
    }
    return total;
}

void CMorseAudio::RenderTone(int32_t n, int32_t frequency) {
    const int32_t period = TonePeriod(frequency);
    const double volume = m_keying.volume;
    const double masterVolume = m_keying.masterVolume;
    int16_t* s = m_element.get();
    // Phase 0 at the first sample of every element: each tone starts at its peak.
    for (int32_t k = 0; k < n; ++k)
        s[k] = ToSample(std::cos(2.0 * k * kPi / period) * volume * masterVolume * kVolumeScale);

    // Linear rise over the first and fall over the last two periods, against key clicks. The
    // fall's step 0 would scale the first sample of the silence, which is zero anyway.
    const int32_t ramp = 2 * period;
    const int32_t steps = std::min(ramp, n);  // equal to ramp at every speed SetSpeeds allows
    for (int32_t j = 0; j < steps; ++j) s[j] = static_cast<int16_t>(s[j] * j / ramp);
    for (int32_t j = 1; j < steps; ++j) s[n - j] = static_cast<int16_t>(s[n - j] * j / ramp);
}

double CMorseAudio::ToneCentreHz() const {
    const double dash = double{audio::kSampleRate} / TonePeriod(m_keying.pitch);
    const double dot = double{audio::kSampleRate} / TonePeriod(m_keying.secondPitch);
    return (dash + dot) / 2.0;
}

void CMorseAudio::BeginConditions(uint64_t seed) {
    const ConditionsRandom random(seed);
    m_fist.Restart(random.Fork(0));
    m_band.Restart(random);
    m_bConditionsBegun = true;
}

void CMorseAudio::Write(const void* bytes, uint32_t length) {
    if (length > 0 && m_bLeadInPending) {
        m_bLeadInPending = false;
        WriteLeadIn();
    }
    if (length == 0) {
        // The staged remainder and the silence make exactly three halves.
        Write(kZeroBlock, audio::kTailBytes - m_nStaged);
        return;
    }

    if (IsLooping() && m_nStaged + uint64_t{length} >= kHalfBytes) {
        uint32_t status = 0;
        Check(m_pDevice->GetStatus(&status));
        // After a restore this call's bytes go into the refill rather than being dropped.
        if ((status & device::kStatusBufferLost) && !RestoreLostBuffer()) return;
    }

    const uint64_t total = m_nStaged + uint64_t{length};
    const uint8_t* source = static_cast<const uint8_t*>(bytes);
    uint32_t sourceLeft = length;
    // A stopped buffer starts only once it can be filled whole.
    if (total >= (IsLooping() ? kHalfBytes : kBufferBytes)) {
        if (!m_bHasBuffer) CreateDeviceBuffer();
        const uint64_t halves = total / kHalfBytes;
        for (uint64_t i = 0; i < halves;) {
            if (g_bAbort) return;
            const bool looping = IsLooping();
            const uint32_t chunk = looping ? kHalfBytes : kBufferBytes;
            const uint32_t chunkHalves = chunk / kHalfBytes;
            // A refill after a failed start or a restore may find one half left: it stays
            // staged, so no more is read than was handed over.
            if (halves - i < chunkHalves) break;
            if (looping) {
                const WaitResult wait = WaitForFreeHalf();
                if (wait == WaitResult::Aborted) return;
                if (wait == WaitResult::BufferLost) {
                    if (!RestoreLostBuffer()) return;
                    continue;
                }
            } else {
                m_nWriteCursor = 0;
                Check(m_pDevice->SetCurrentPosition(0));
            }
            FillChunk(chunk, source, sourceLeft);
            m_nWriteCursor = (m_nWriteCursor + chunk) % kBufferBytes;
            i += chunkHalves;
            if (!looping) StartPlayback();
        }
    }
    std::memcpy(m_staging + m_nStaged, source, sourceLeft);
    m_nStaged += sourceLeft;
}

void CMorseAudio::WriteLeadIn() {
    const int32_t ms = std::clamp<int32_t>(m_keying.leadInMs, 0, KeyingParameters::kMaxLeadInMs);
    uint32_t left =
        static_cast<uint32_t>(int64_t{ms} * audio::kSampleRate / 1000) * audio::kBytesPerSample;
    while (left > 0 && !g_bAbort) {
        const uint32_t n = std::min<uint32_t>(left, sizeof kZeroBlock);
        Write(kZeroBlock, n);
        left -= n;
    }
}

void CMorseAudio::CreateDeviceBuffer() {
    if (!m_pDevice) RaiseDeviceError(device::kErrNoDevice);
    Check(m_pDevice->CreateBuffer(kBufferBytes));
    m_bHasBuffer = true;
    Check(m_pDevice->SetNotificationPositions(audio::kNotifyPositions, 2, m_event));
}

bool CMorseAudio::RestoreLostBuffer() {
    // Another program holds the device; keep asking, but give way to an abort.
    while (m_pDevice->Restore() == device::kErrBufferLost) {
        if (g_bAbort) return false;
        std::this_thread::sleep_for(kRestoreRetry);
    }
    m_bRestored = true;
    return true;
}

CMorseAudio::WaitResult CMorseAudio::WaitForFreeHalf() {
    const auto deadline = std::chrono::steady_clock::now() + kDeviceSilenceLimit;
    while (!m_event.WaitFor(kWaitSlice)) {
        if (g_bAbort) return WaitResult::Aborted;
        uint32_t status = 0;
        Check(m_pDevice->GetStatus(&status));
        if (status & device::kStatusBufferLost) return WaitResult::BufferLost;
        if (std::chrono::steady_clock::now() >= deadline)
            RaiseDeviceError(device::kErrDeviceSilent);
    }
    return WaitResult::Signalled;
}

void CMorseAudio::FillChunk(uint32_t chunk, const uint8_t*& source, uint32_t& sourceLeft) {
    void* region = nullptr;
    Check(m_pDevice->Lock(m_nWriteCursor, chunk, &region));
    if (!region) RaiseDeviceError(device::kErrFailed);
    uint8_t* out = static_cast<uint8_t*>(region);
    std::memcpy(out, m_staging, m_nStaged);
    const uint32_t fresh = chunk - m_nStaged;
    std::memcpy(out + m_nStaged, source, fresh);
    source += fresh;
    sourceLeft -= fresh;
    m_nStaged = 0;
    Check(m_pDevice->Unlock(region, chunk));
}

void CMorseAudio::StartPlayback() {
    // A signal left over from an earlier playback would let the first wait write into the half
    // that is playing.
    m_event.Reset();
    // A failed start is not raised: the stream stays stopped and the next whole fill retries.
    if (device::Failed(m_pDevice->Play())) return;
    if (m_bRestored) {
        m_bRestored = false;  // resumed after a lost buffer: still the playback counted before
        return;
    }
    m_bPlaying = true;
    ++g_nActiveStreams;
}

void CMorseAudio::StopStream() {
    m_bConditionsBegun = false;
    m_bLeadInPending = true;
    bool counted = false;
    if (!HasFileSink()) {
        if (m_bHasBuffer) {
            m_pDevice->Stop();
            m_pDevice->ReleaseBuffer();
            m_bHasBuffer = false;
        }
        counted = m_bPlaying;
        m_bPlaying = m_bRestored = false;
        m_nStaged = 0;
        m_nWriteCursor = 0;
    }
    // Only the count this stream added is taken back, so the count never drops below zero.
    const int32_t remaining = counted ? --g_nActiveStreams : g_nActiveStreams.load();
    if (remaining <= 0) g_bAbort = false;
}
