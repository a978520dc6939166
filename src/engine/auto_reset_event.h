#pragma once
// An auto-reset event: Set() releases one waiter (or the next one to wait) and the event resets
// itself as that waiter wakes. Several Set() calls without a waiter in between count as one.

#include <chrono>
#include <condition_variable>
#include <mutex>

class AutoResetEvent {
public:
    void Set();
    void Wait();
    // Returns true if the event was signalled within the timeout (and resets it).
    bool WaitFor(std::chrono::milliseconds timeout);
    // Drops a signal nobody waited for.
    void Reset();

private:
    std::mutex m_mutex;
    std::condition_variable m_signal;
    bool m_bSignalled = false;
};
