#pragma once
// Waiting on the interface thread without blocking its windows: the splash, the countdown, a
// stop before a new text is prepared. The playback thread's pane calls run on this thread, so a
// wait that did not pump could deadlock with it.

// Dispatches every pending window event, one at a time, then runs idle steps (which also
// deliver queued wx events and marshalled calls) until no window asks for more idle time.
// Does nothing when no event loop is active.
void PumpPendingMessages();

// Sleeps until the next window event arrives, at most timeoutMs, and dispatches it. Waiting
// loops call it between PumpPendingMessages so that they do not spin.
void WaitForNextMessage(int timeoutMs);
