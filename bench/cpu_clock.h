#pragma once
// CPU time of the whole process, in seconds: the benchmarks report CPU rather than wall time,
// which a shared machine makes noisy.

#include <ctime>

inline double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}
