#pragma once
// What the signal conditions page plays its clips through ("试听"). The training view plays
// them on its single playback path; tests stand in for it.

#include "engine/signal_conditions.h"

class ConditionsClipPlayer {
public:
    virtual ~ConditionsClipPlayer() = default;
    // Starts a clip under `conditions` without waiting for it, ending any clip still playing;
    // false when nothing can play (no sound output, or a session is under way).
    virtual bool PlayClip(const SignalConditions& conditions) = 0;
    // Ends the clip playing, if any, within an element.
    virtual void StopClip() = 0;
    virtual bool IsClipPlaying() const = 0;
};
