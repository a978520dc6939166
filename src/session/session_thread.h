#pragma once
// The two playback threads. The view launches one of them at a time (std::thread, with itself
// as the argument) and joins it before it is destroyed; each runs to its end by itself.

#include "session/session_view.h"

// Runs a training session: a new one, or the resumption of a paused one when
// m_bPauseRequested is set at the start. Ends at the end of the budget, on Pause, Stop or the
// global abort flag, on a device or file-sink failure (as if aborted), or when the view closes.
void SessionThread(SessionView* view);

// Plays m_chPlayCharacter once, with nothing echoed or counted.
void PlayCharacterThread(SessionView* view);
