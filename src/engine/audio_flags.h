#pragma once
// Process-wide playback state shared by the interface thread and the playback thread.

#include <cstdint>

#include "engine/relaxed_atomic.h"

// Set to cut the current playback short (Abort, closing, a failed or cancelled session); the stop
// of the stream clears it once no stream is active.
extern RelaxedAtomic<bool> g_bAbort;
// Number of device streams whose playback has started and not yet been stopped.
extern RelaxedAtomic<int32_t> g_nActiveStreams;
