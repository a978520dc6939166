// veltrane-render: Morse code practice rendered to a sound file from the command line, through
// the trainer's own session engine and file writers. No window library, no sound device.
#include <csignal>
#include <cstdlib>

#include "render/render_job.h"
#include "render/render_options.h"
#include "settings/settings.h"

namespace {

void OnSignal(int signal) {
    g_nRenderInterrupt = signal;
}

}  // namespace

int main(int argc, char** argv) {
    RenderJob job;
    if (const auto status = ParseRenderCommandLine(argc, argv, job, g_settings)) return *status;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    return RunRenderJob(job);
}
