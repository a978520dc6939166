#pragma once
// An auto-reset event: Set() releases one waiter (or the next one to wait) and the event resets
// itself as that waiter wakes. Several Set() calls without a waiter in between count as one.
//
// Set() takes no lock and allocates nothing, so an audio callback may call it: one atomic
// exchange, plus a futex wake only while a waiter sleeps (Linux; elsewhere waiters poll).

#include <atomic>
#include <chrono>
#include <cstdint>

class AutoResetEvent {
public:
    void Set() noexcept;
    void Wait();
    // Returns true if the event was signalled within the timeout (and resets it).
    bool WaitFor(std::chrono::milliseconds timeout);
    // Drops a signal nobody waited for.
    void Reset() noexcept;

private:
    // Sleeps until m_nSignalled may have changed from 0, or at most `timeout`.
    void Sleep(std::chrono::nanoseconds timeout);

    std::atomic<uint32_t> m_nSignalled{0};
    std::atomic<uint32_t> m_nSleepers{0};
};
