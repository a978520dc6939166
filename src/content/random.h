#pragma once
// The practice generator's pseudo-random numbers: a linear congruential generator with one
// state per thread, so the session thread's draws are reproducible once it has been seeded and
// no other thread disturbs them.

#include <cstdint>

// Sets the calling thread's state (the session thread seeds it with the time in seconds).
void SeedRandom(uint32_t seed);
// The calling thread's next number, 0 to 32767.
int NextRandom();
