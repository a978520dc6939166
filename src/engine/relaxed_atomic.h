#pragma once
// A value shared between the interface thread and a playback thread without a lock.
// Each access is a single relaxed atomic load or store: a reader sees either the old or the
// new value, never a torn one, and ThreadSanitizer sees no data race. Unlike std::atomic it
// copies (by value), so records holding such fields can still be copied whole.

#include <atomic>

template <typename T>
class RelaxedAtomic {
public:
    constexpr RelaxedAtomic() noexcept : m_value(T{}) {}
    constexpr RelaxedAtomic(T value) noexcept : m_value(value) {}
    RelaxedAtomic(const RelaxedAtomic& other) noexcept : m_value(other.load()) {}
    RelaxedAtomic& operator=(const RelaxedAtomic& other) noexcept {
        store(other.load());
        return *this;
    }
    RelaxedAtomic& operator=(T value) noexcept {
        store(value);
        return *this;
    }

    T load() const noexcept { return m_value.load(std::memory_order_relaxed); }
    void store(T value) noexcept { m_value.store(value, std::memory_order_relaxed); }
    operator T() const noexcept { return load(); }

    // Read-modify-write steps used by counters; each is one atomic operation.
    T operator+=(T delta) noexcept { return m_value.fetch_add(delta, std::memory_order_relaxed) + delta; }
    T operator-=(T delta) noexcept { return m_value.fetch_sub(delta, std::memory_order_relaxed) - delta; }
    T operator++() noexcept { return *this += T{1}; }
    T operator--() noexcept { return *this -= T{1}; }
    T operator++(int) noexcept { return m_value.fetch_add(T{1}, std::memory_order_relaxed); }
    T operator--(int) noexcept { return m_value.fetch_sub(T{1}, std::memory_order_relaxed); }

private:
    std::atomic<T> m_value;
};
