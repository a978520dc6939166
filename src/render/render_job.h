#pragma once
// One render from start to end: the practice text read, the session keyed into a temporary file
// beside the output, the sent text written, and only then both renamed into place. Whatever
// fails or is interrupted leaves nothing behind and no earlier file of that name changed.

#include <csignal>

#include "render/render_options.h"

// Set by the program's SIGINT and SIGTERM handler: the render stops within an element.
extern volatile std::sig_atomic_t g_nRenderInterrupt;

// Renders the job with the live settings. Returns the exit status: 0, 1 with the reason on
// stderr, or 128 + the signal that interrupted it.
int RunRenderJob(const RenderJob& job);
