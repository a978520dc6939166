#include "engine/fake_sound_device.h"

#include <algorithm>
#include <cstring>

#include "engine/auto_reset_event.h"

FakeSoundDevice::~FakeSoundDevice() {
    StopPlayer();
}

int32_t FakeSoundDevice::Enter(Op op) {
    ++m_calls[static_cast<size_t>(op)];
    return m_failures[static_cast<size_t>(op)];
}

int32_t FakeSoundDevice::CreateBuffer(uint32_t bytes) {
    std::lock_guard lock(m_mutex);
    if (int32_t failure = Enter(Op::CreateBuffer)) return failure;
    if (bytes == 0 || bytes % 2 != 0) return device::kErrInvalidArgument;
    m_buffer.assign(bytes, 0);
    m_bHasBuffer = true;
    m_nCursor = 0;
    m_bPlaying = m_bLost = false;
    m_halfFresh = {};
    m_pLocked = nullptr;
    return device::kOk;
}

int32_t FakeSoundDevice::SetNotificationPositions(const uint32_t* positions, int count,
                                                  AutoResetEvent& event) {
    std::lock_guard lock(m_mutex);
    if (int32_t failure = Enter(Op::SetNotificationPositions)) return failure;
    if (!m_bHasBuffer) return device::kErrFailed;
    for (int i = 0; i < count; ++i)
        if (positions[i] >= m_buffer.size()) return device::kErrInvalidArgument;
    m_positions.assign(positions, positions + count);
    m_pEvent = &event;
    return device::kOk;
}

int32_t FakeSoundDevice::Lock(uint32_t offset, uint32_t bytes, void** region) {
    std::lock_guard lock(m_mutex);
    if (int32_t failure = Enter(Op::Lock)) return failure;
    if (!m_bHasBuffer || m_bLost) return m_bLost ? device::kErrBufferLost : device::kErrFailed;
    if (bytes == 0 || uint64_t{offset} + bytes > m_buffer.size() || m_pLocked)
        return device::kErrInvalidArgument;
    m_pLocked = m_buffer.data() + offset;
    m_nLockedOffset = offset;
    m_nLockedBytes = bytes;
    *region = m_pLocked;
    return device::kOk;
}

int32_t FakeSoundDevice::Unlock(void* region, uint32_t bytes) {
    std::lock_guard lock(m_mutex);
    if (int32_t failure = Enter(Op::Unlock)) return failure;
    if (!m_pLocked || region != m_pLocked || bytes > m_nLockedBytes)
        return device::kErrInvalidArgument;
    m_chunks.push_back({m_nLockedOffset, std::vector<uint8_t>(m_pLocked, m_pLocked + bytes)});
    const uint32_t half = static_cast<uint32_t>(m_buffer.size() / 2);
    for (uint32_t h = m_nLockedOffset / half; h * half < m_nLockedOffset + bytes; ++h)
        m_halfFresh[h] = true;
    m_pLocked = nullptr;
    m_playerWake.notify_all();
    return device::kOk;
}

int32_t FakeSoundDevice::SetCurrentPosition(uint32_t offset) {
    std::lock_guard lock(m_mutex);
    if (int32_t failure = Enter(Op::SetCurrentPosition)) return failure;
    if (!m_bHasBuffer || offset >= m_buffer.size()) return device::kErrInvalidArgument;
    m_nCursor = offset;
    return device::kOk;
}

int32_t FakeSoundDevice::Play() {
    std::lock_guard lock(m_mutex);
    if (int32_t failure = Enter(Op::Play)) return failure;
    if (!m_bHasBuffer) return device::kErrFailed;
    if (m_bLost) return device::kErrBufferLost;
    m_bPlaying = true;
    m_playerWake.notify_all();
    return device::kOk;
}

int32_t FakeSoundDevice::Stop() {
    std::lock_guard lock(m_mutex);
    if (int32_t failure = Enter(Op::Stop)) return failure;
    m_bPlaying = false;
    return device::kOk;
}

int32_t FakeSoundDevice::GetStatus(uint32_t* status) {
    std::lock_guard lock(m_mutex);
    if (int32_t failure = Enter(Op::GetStatus)) return failure;
    *status = (m_bPlaying ? device::kStatusPlaying | device::kStatusLooping : 0) |
              (m_bLost ? device::kStatusBufferLost : 0);
    return device::kOk;
}

int32_t FakeSoundDevice::Restore() {
    std::lock_guard lock(m_mutex);
    if (int32_t failure = Enter(Op::Restore)) return failure;
    if (!m_bLost) return device::kOk;
    if (m_nFailedRestores > 0) {
        --m_nFailedRestores;
        return device::kErrBufferLost;
    }
    // Restored memory holds nothing the program wrote: playing it unwritten would show.
    std::fill(m_buffer.begin(), m_buffer.end(), kRestoredFill);
    m_halfFresh = {};
    m_bLost = false;
    return device::kOk;
}

void FakeSoundDevice::ReleaseBuffer() {
    std::lock_guard lock(m_mutex);
    Enter(Op::ReleaseBuffer);
    m_buffer.clear();
    m_bHasBuffer = m_bPlaying = m_bLost = false;
    m_positions.clear();
    m_pEvent = nullptr;
    m_pLocked = nullptr;
}

bool FakeSoundDevice::CanAdvance() const {
    return m_bPlaying && !m_bLost && !m_bVanished;
}

bool FakeSoundDevice::HalfHoldsNewData() const {
    return m_halfFresh[m_nCursor / (m_buffer.size() / 2)];
}

void FakeSoundDevice::AdvanceLocked() {
    const uint32_t size = static_cast<uint32_t>(m_buffer.size());
    const uint32_t half = size / 2;
    const uint32_t from = m_nCursor;
    bool& fresh = m_halfFresh[from / half];
    if (!fresh) ++m_nUnderruns;
    fresh = false;
    // A half still locked for writing is being refilled late: the device plays garbage, which
    // is recorded as silence (reading it here would race with the writer).
    for (uint32_t k = 0; k < half; ++k) {
        const uint32_t at = (from + k) % size;
        const bool locked = m_pLocked && at - m_nLockedOffset < m_nLockedBytes;
        m_played.push_back(locked ? 0 : m_buffer[at]);
    }
    m_nCursor = (from + half) % size;
    for (uint32_t p : m_positions)
        if ((p + size - from) % size < half) m_pEvent->Set();
}

bool FakeSoundDevice::AdvanceHalf() {
    std::lock_guard lock(m_mutex);
    if (!CanAdvance()) return false;
    AdvanceLocked();
    return true;
}

void FakeSoundDevice::FailOperation(Op op, int32_t code) {
    std::lock_guard lock(m_mutex);
    m_failures[static_cast<size_t>(op)] = code;
}

void FakeSoundDevice::LoseBuffer(int failedRestores) {
    std::lock_guard lock(m_mutex);
    m_bLost = true;
    m_bPlaying = false;
    m_nFailedRestores = failedRestores;
}

void FakeSoundDevice::Vanish() {
    std::lock_guard lock(m_mutex);
    m_bVanished = true;
}

void FakeSoundDevice::StartPacing(std::chrono::microseconds period) {
    StartPlayer(true, period);
}

void FakeSoundDevice::StartFreeRunning() {
    StartPlayer(false, {});
}

void FakeSoundDevice::StartPlayer(bool paced, std::chrono::microseconds period) {
    StopPlayer();
    m_bStopPlayer = false;
    m_player = std::thread([this, paced, period] {
        std::unique_lock lock(m_mutex);
        auto next = std::chrono::steady_clock::now() + period;
        while (!m_bStopPlayer) {
            if (paced) {
                // Wall-clock steps that do not drift with the time each step takes.
                if (m_playerWake.wait_until(lock, next, [this] { return m_bStopPlayer; })) break;
                next += period;
                if (CanAdvance()) AdvanceLocked();
            } else {
                m_playerWake.wait(
                    lock, [this] { return m_bStopPlayer || (CanAdvance() && HalfHoldsNewData()); });
                if (!m_bStopPlayer) AdvanceLocked();
            }
        }
    });
}

void FakeSoundDevice::StopPlayer() {
    {
        std::lock_guard lock(m_mutex);
        m_bStopPlayer = true;
    }
    m_playerWake.notify_all();
    if (m_player.joinable()) m_player.join();
}

int FakeSoundDevice::Calls(Op op) const {
    std::lock_guard lock(m_mutex);
    return m_calls[static_cast<size_t>(op)];
}

std::vector<FakeSoundDevice::Chunk> FakeSoundDevice::Chunks() const {
    std::lock_guard lock(m_mutex);
    return m_chunks;
}

std::vector<uint8_t> FakeSoundDevice::Played() const {
    std::lock_guard lock(m_mutex);
    return m_played;
}

uint32_t FakeSoundDevice::PlayCursor() const {
    std::lock_guard lock(m_mutex);
    return m_nCursor;
}

bool FakeSoundDevice::IsPlaying() const {
    std::lock_guard lock(m_mutex);
    return m_bPlaying;
}

bool FakeSoundDevice::HasBuffer() const {
    std::lock_guard lock(m_mutex);
    return m_bHasBuffer;
}

int FakeSoundDevice::Underruns() const {
    std::lock_guard lock(m_mutex);
    return m_nUnderruns;
}
