#pragma once
// A scripted sound device for tests. Nothing plays by itself: the test moves the play cursor
// half by half (or starts a player thread), and every step past the end of a half signals the
// notification event like a real device. It records every chunk written, the bytes "played",
// and how often each operation was called; it can fail an operation, lose its buffer or vanish.
// Thread-safe: one mutex guards its state, so the player thread and the stream can share it.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/sound_device.h"

class FakeSoundDevice : public SoundDevice {
public:
    enum class Op {
        CreateBuffer,
        SetNotificationPositions,
        Lock,
        Unlock,
        SetCurrentPosition,
        Play,
        Stop,
        GetStatus,
        Restore,
        ReleaseBuffer,
        Count
    };
    struct Chunk {
        uint32_t offset;
        std::vector<uint8_t> bytes;
    };
    // Bytes a restored buffer holds until it is written again: noise that no test writes.
    static constexpr uint8_t kRestoredFill = 0x5A;

    FakeSoundDevice() = default;
    ~FakeSoundDevice() override;

    int32_t CreateBuffer(uint32_t bytes) override;
    int32_t SetNotificationPositions(const uint32_t* positions, int count,
                                     AutoResetEvent& event) override;
    int32_t Lock(uint32_t offset, uint32_t bytes, void** region) override;
    int32_t Unlock(void* region, uint32_t bytes) override;
    int32_t SetCurrentPosition(uint32_t offset) override;
    int32_t Play() override;
    int32_t Stop() override;
    int32_t GetStatus(uint32_t* status) override;
    int32_t Restore() override;
    void ReleaseBuffer() override;

    // Plays the half under the play cursor: appends it to Played(), moves the cursor past it and
    // signals every notification position passed. Returns false, doing nothing, unless playing.
    bool AdvanceHalf();

    // Makes every later call of `op` answer `code`; 0 lets it succeed again.
    void FailOperation(Op op, int32_t code);
    // Loses the buffer: playback stops, GetStatus reports it lost, Play fails, and Restore
    // answers kErrBufferLost `failedRestores` times before it succeeds.
    void LoseBuffer(int failedRestores = 0);
    // The device is gone: it never plays or signals again, yet every operation still succeeds.
    void Vanish();

    // A player thread that advances one half every `period` of real time (0.1 s is the pace of
    // the real device), whether or not the half was refilled.
    void StartPacing(std::chrono::microseconds period = std::chrono::milliseconds(100));
    // A player thread that advances as soon as the half under the cursor holds data not played
    // yet: a device as fast as its writer, never replaying stale data.
    void StartFreeRunning();
    void StopPlayer();

    int Calls(Op op) const;
    std::vector<Chunk> Chunks() const;
    // Every half played, in order.
    std::vector<uint8_t> Played() const;
    uint32_t PlayCursor() const;
    bool IsPlaying() const;
    bool HasBuffer() const;
    // Halves played again without having been written since they were last played.
    int Underruns() const;

private:
    int32_t Enter(Op op);  // counts the call; answers the injected failure, if any
    bool CanAdvance() const;
    bool HalfHoldsNewData() const;
    void AdvanceLocked();
    void StartPlayer(bool paced, std::chrono::microseconds period);

    mutable std::mutex m_mutex;
    std::condition_variable m_playerWake;
    std::thread m_player;
    bool m_bStopPlayer = false;

    std::vector<uint8_t> m_buffer;
    bool m_bHasBuffer = false;
    std::vector<uint32_t> m_positions;
    AutoResetEvent* m_pEvent = nullptr;
    uint32_t m_nCursor = 0;
    bool m_bPlaying = false;
    bool m_bLost = false;
    bool m_bVanished = false;
    int m_nFailedRestores = 0;
    // Per half: written since it was last played.
    std::array<bool, 2> m_halfFresh{};
    int m_nUnderruns = 0;

    uint8_t* m_pLocked = nullptr;
    uint32_t m_nLockedOffset = 0;
    uint32_t m_nLockedBytes = 0;

    std::array<int, static_cast<size_t>(Op::Count)> m_calls{};
    std::array<int32_t, static_cast<size_t>(Op::Count)> m_failures{};
    std::vector<Chunk> m_chunks;
    std::vector<uint8_t> m_played;
};
