#include "engine/auto_reset_event.h"

void AutoResetEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_bSignalled = true;
    }
    m_signal.notify_one();
}

void AutoResetEvent::Wait() {
    std::unique_lock lock(m_mutex);
    m_signal.wait(lock, [this] { return m_bSignalled; });
    m_bSignalled = false;
}

bool AutoResetEvent::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_signal.wait_for(lock, timeout, [this] { return m_bSignalled; })) return false;
    m_bSignalled = false;
    return true;
}

void AutoResetEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_bSignalled = false;
}
