#pragma once
// What the volume page asks of the program's sound output: the outputs there are to choose
// from, and a test tone played at the page's settings. The training view answers it.

#include <string>
#include <vector>

struct KeyingParameters;

class SoundOutputHost {
public:
    virtual ~SoundOutputHost() = default;
    // The sound host's output devices by name, in its order.
    virtual std::vector<std::string> OutputNames() = 0;
    // Keys "vvv" with `keying` on the output `name` (empty: the system's default) unless
    // something plays already; returns at once.
    virtual void PlayTestTone(const KeyingParameters& keying, const std::string& name) = 0;
};
