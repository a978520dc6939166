#pragma once
// The heaviest load the signal conditions put on the synthesis: every condition on, both
// interfering stations keying, static at its highest rate, the rest at their defaults.

#include <cstring>

#include "engine/signal_conditions.h"

inline void SwitchOnEveryCondition(SignalConditions& c) {
    c.noiseOn = c.fadingOn = c.interferenceOn = c.staticOn = c.fistOn = true;
    c.interferenceStations = SignalConditions::kMaxStations;
    c.crashesPerMinute = SignalConditions::kMaxCrashesPerMinute;
}

// True when the arguments hold "--conditions"; the flag is taken out of them.
inline bool TakeConditionsFlag(int& argc, char** argv) {
    bool found = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--conditions") == 0)
            found = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return found;
}
