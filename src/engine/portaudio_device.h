#pragma once
// The sound devices on PortAudio (target veltrane_audio): an output at 22,050 Hz, mono, 16-bit,
// through a callback stream that plays the looping buffer.
//
// Every PortAudio call runs on one thread of its own and is waited for with a time limit, so a
// host that hangs (a sound server that died under the stream) never holds the playback thread
// or the closing of the window for long: the device then answers a failure, and the next Open
// starts afresh (with PortAudio itself initialized again, when no stream is left open).

#include <cstdint>
#include <memory>

#include "engine/sound_backend.h"

std::unique_ptr<SoundBackend> MakePortAudioBackend();
