#include "content/random.h"

namespace {
// Each thread starts from state 1 until it seeds its own generator.
thread_local uint32_t t_state = 1;
}  // namespace

void SeedRandom(uint32_t seed) {
    t_state = seed;
}

int NextRandom() {
    // The classic C runtime constants; unsigned arithmetic wraps modulo 2^32. The result is
    // bits 16 to 30 of the new state.
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFF);
}
