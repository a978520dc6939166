#pragma once
// The short clips of the signal conditions page: a few seconds of keying with one condition on,
// so the learner hears what a strength means before practising with it.

#include <cstdint>
#include <string>

#include "engine/morse_audio.h"
#include "engine/signal_conditions.h"

enum class SignalCondition { Noise, Fading, Interference, Static, Fist };

// What every clip keys: a call to all stations, a few seconds long at training speeds.
extern const char kClipText[];

// `from` with only `which` on, its strengths kept: the clip of that one condition.
SignalConditions ClipConditions(const SignalConditions& from, SignalCondition which);

// Keys `text` once through `audio` under the conditions `audio` reads, their random course
// drawn from `seed`, and ends the stream. The abort flag ends it within an element; a failing
// device or sink ends it quietly (the engine remembers a device failure). Playback thread only.
void PlayClip(CMorseAudio& audio, const std::string& text, uint64_t seed);
