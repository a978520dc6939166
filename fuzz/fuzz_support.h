#pragma once
// Shared by the fuzz targets: a live character set taken from the input's first bytes, and a
// failure report that stops the run with the input saved.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "content/charset.h"
#include "settings/settings.h"

// Aborts (libFuzzer then writes the crashing input) when the invariant does not hold.
#define FUZZ_CHECK(cond)                                                                      \
    do {                                                                                      \
        if (!(cond)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)

// Bytes of input consumed by TakeLiveCharacterSet: one bit per option.
constexpr std::size_t kCharSetConfigBytes = (CF_COUNT + 7) / 8;

// Sets the live character set from the first bytes of the input (one bit per option) and
// passes it through the set-string check the stored settings go through, so a pair of
// same-sounding options falls back to the defaults as it would on loading. Returns the bytes
// consumed (0 when the input is too short; the defaults are used then).
inline std::size_t TakeLiveCharacterSet(const uint8_t* data, std::size_t size) {
    CharacterSet set;
    std::size_t used = 0;
    if (size >= kCharSetConfigBytes) {
        for (int f = 0; f < CF_COUNT; ++f) set.m_flags[f] = (data[f / 8] >> (f % 8)) & 1;
        set.ParseSetString(set.BuildSetString(false));
        used = kCharSetConfigBytes;
    }
    std::lock_guard lock(g_settingsLock);
    g_settings.m_charSet = set;
    return used;
}
