#include "session/conditions_clip.h"

#include "engine/audio_flags.h"

const char kClipText[] = "cq cq test";

SignalConditions ClipConditions(const SignalConditions& from, SignalCondition which) {
    SignalConditions clip = from;
    clip.noiseOn = which == SignalCondition::Noise;
    clip.fadingOn = which == SignalCondition::Fading;
    clip.interferenceOn = which == SignalCondition::Interference;
    clip.staticOn = which == SignalCondition::Static;
    clip.fistOn = which == SignalCondition::Fist;
    return clip;
}

void PlayClip(CMorseAudio& audio, const std::string& text, uint64_t seed) {
    audio.BeginConditions(seed);
    try {
        for (const char ch : text) {
            if (g_bAbort) break;
            audio.SynthesizeCharacter(static_cast<unsigned char>(ch), nullptr, nullptr);
        }
        if (!audio.HasFileSink()) audio.Write(nullptr, 0);
    } catch (...) {
        // The rest of the clip is dropped: the abort flag makes any flush return at once, and
        // the stop below clears it again.
        g_bAbort = true;
    }
    try {
        audio.StopStream();
    } catch (...) {
    }
}
