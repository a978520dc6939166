#pragma once
// Where sound devices come from: the host's list of outputs and the opening of one of them.
// Implemented on PortAudio (portaudio_device.h) and by a scripted fake (fake_sound_backend.h).
// Called on the interface thread while nothing plays.

#include <memory>
#include <string>
#include <vector>

#include "engine/sound_device.h"

class SoundBackend {
public:
    virtual ~SoundBackend() = default;

    // The output devices by the host's names, in the host's order.
    virtual std::vector<std::string> OutputDevices() = 0;
    // Opens the output called `name`, or the system's default when `name` is empty or names no
    // device the host lists now; null when there is no output at all. Every failure is silent.
    virtual std::unique_ptr<SoundDevice> Open(const std::string& name) = 0;
    // A cheap look for an output while there is none: starts a look in the background if none
    // runs and answers whether the last finished look found one.
    virtual bool OutputAppeared() = 0;
};
