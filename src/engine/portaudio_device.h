#pragma once
// The sound device on PortAudio (target veltrane_audio): the default output at 22,050 Hz,
// mono, 16-bit, through a callback stream that plays the looping buffer.

#include <memory>

#include "engine/sound_device.h"

// Opens the default output device; returns nullptr, printing nothing, when there is none.
std::unique_ptr<SoundDevice> OpenPortAudioDevice();
