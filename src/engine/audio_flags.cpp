#include "engine/audio_flags.h"

RelaxedAtomic<bool> g_bAbort;
RelaxedAtomic<int32_t> g_nActiveStreams;
