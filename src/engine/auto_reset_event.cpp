#include "engine/auto_reset_event.h"

#include <algorithm>
#include <thread>

#ifdef __linux__
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <ctime>
#endif

namespace {

using Clock = std::chrono::steady_clock;

#ifndef __linux__
// Without a futex a sleeper looks again this often.
constexpr auto kPollSlice = std::chrono::milliseconds(1);
#endif

}  // namespace

void AutoResetEvent::Set() noexcept {
    m_nSignalled.store(1, std::memory_order_seq_cst);
    // A sleeper registers before it looks at the flag, so either it sees the flag or this sees
    // the sleeper (both sides sequentially consistent).
    if (m_nSleepers.load(std::memory_order_seq_cst) == 0) return;
#ifdef __linux__
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&m_nSignalled), FUTEX_WAKE_PRIVATE, 1, nullptr,
            nullptr, 0);
#endif
}

void AutoResetEvent::Reset() noexcept {
    m_nSignalled.store(0, std::memory_order_seq_cst);
}

void AutoResetEvent::Wait() {
    while (!WaitFor(std::chrono::hours(1))) {
    }
}

bool AutoResetEvent::WaitFor(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (m_nSignalled.exchange(0, std::memory_order_acquire) != 0) return true;
        const auto now = Clock::now();
        if (now >= deadline) return false;
        m_nSleepers.fetch_add(1, std::memory_order_seq_cst);
        if (m_nSignalled.load(std::memory_order_seq_cst) == 0) Sleep(deadline - now);
        m_nSleepers.fetch_sub(1, std::memory_order_seq_cst);
    }
}

void AutoResetEvent::Sleep(std::chrono::nanoseconds timeout) {
#ifdef __linux__
    const auto ns = timeout.count();
    timespec relative{static_cast<time_t>(ns / 1'000'000'000),
                      static_cast<long>(ns % 1'000'000'000)};
    // Returns at once if the flag is no longer 0, on a wake, a signal or the timeout.
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&m_nSignalled), FUTEX_WAIT_PRIVATE, 0, &relative,
            nullptr, 0);
#else
    std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(timeout, kPollSlice));
#endif
}
