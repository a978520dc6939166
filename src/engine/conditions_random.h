#pragma once
// The random numbers of the band conditions and the fist: a generator of their own (SplitMix64),
// apart from the practice generator's, so that switching a condition on or off never changes
// the practice text, and a fixed seed gives the same sound every time.

#include <cmath>
#include <cstdint>

class ConditionsRandom {
public:
    explicit ConditionsRandom(uint64_t seed = 0) : m_state(seed) {}

    void Seed(uint64_t seed) { m_state = seed; }

    // 64 random bits.
    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1), 53 bits.
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Uniform(double low, double high) { return low + (high - low) * Uniform(); }
    // Uniform in [-1, 1), for white noise.
    double Signed() { return static_cast<double>(static_cast<int64_t>(Next())) * 0x1.0p-63; }
    // Uniform in [0, n) for n > 0.
    int Below(int n) { return static_cast<int>(Uniform() * n); }
    // Standard normal (Box-Muller, one of the pair).
    double Normal() {
        const double u = 1.0 - Uniform();  // (0, 1]: the logarithm stays finite
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * Uniform());
    }
    // Waiting time of a Poisson process with the given mean.
    double Exponential(double mean) { return -mean * std::log(1.0 - Uniform()); }

    // A generator for one part of the conditions, independent of the others'.
    ConditionsRandom Fork(uint64_t part) const {
        ConditionsRandom mixer(m_state ^ (part * 0xD1B54A32D192ED03ull));
        return ConditionsRandom(mixer.Next());
    }

private:
    uint64_t m_state;
};
