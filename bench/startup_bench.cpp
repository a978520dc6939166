// Start-up time to a usable main window, without the three-second splash wait: the program's
// own application object and start-up (profile read, frame, bars, panes, placement, splash
// shown and taken down at once), timed from main() to the first idle event of the main loop.
//
//   cmake -S . -B build/faults-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/faults-release --target startup_bench
//   for i in 1 2 3 4 5; do xvfb-run -a build/faults-release/bench/startup_bench; done
//   xvfb-run -a build/faults-release/bench/startup_bench --portaudio   # with the sound device
//
// Each run is one fresh process (start-up is a once-per-process cost), with an empty profile in
// a temporary folder. Without --portaudio no sound device is opened, so the figure is the
// window's own; with it, the PortAudio device is opened as the program does.

#include <unistd.h>
#include <wx/app.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/fake_sound_backend.h"
#include "engine/portaudio_device.h"
#include "ui/app.h"
#include "ui/main_frame.h"

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point g_mainStart;
Clock::time_point g_toolkitReady;
Clock::time_point g_startUpDone;
Clock::time_point g_firstIdle;
bool g_withPortAudio = false;

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The trainer's application object with the splash wait left out and no profile written at exit.
class StartupBenchApp : public CTrainerApp {
public:
    bool OnInit() override {
        g_toolkitReady = Clock::now();
        if (!StartUp(g_withPortAudio
                         ? MakePortAudioBackend()
                         : std::make_unique<FakeSoundBackend>(std::vector<std::string>{}),
                     0))
            return false;
        g_startUpDone = Clock::now();
        Bind(wxEVT_IDLE, &StartupBenchApp::OnFirstIdle, this);
        return true;
    }
    int OnExit() override { return wxApp::OnExit(); }

private:
    void OnFirstIdle(wxIdleEvent& event) {
        event.Skip();
        if (g_firstIdle != Clock::time_point()) return;
        g_firstIdle = Clock::now();
        MainFrame()->Close();
    }
};

}  // namespace

int main(int argc, char** argv) {
    g_mainStart = Clock::now();
    g_withPortAudio = argc > 1 && std::strcmp(argv[1], "--portaudio") == 0;
    const auto home = std::filesystem::temp_directory_path() /
                      ("veltrane-startup-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);

    wxApp::SetInstance(new StartupBenchApp);
    int fakeArgc = 1;
    const int result = wxEntry(fakeArgc, argv);
    std::filesystem::remove_all(home);
    if (result != 0 || g_firstIdle == Clock::time_point()) {
        std::fprintf(stderr, "the main window did not come up\n");
        return 1;
    }
    std::printf("toolkit %.1f ms, start-up %.1f ms, to first idle %.1f ms, total %.1f ms%s\n",
                Ms(g_mainStart, g_toolkitReady), Ms(g_toolkitReady, g_startUpDone),
                Ms(g_startUpDone, g_firstIdle), Ms(g_mainStart, g_firstIdle),
                g_withPortAudio ? " (with PortAudio)" : "");
    return 0;
}
