// Speed of a recording: a generated Koch session keyed by the real session thread into a WAV
// file, as the record command runs it (pane calls marshalled to a stand-in interface thread,
// nothing paced), as a multiple of real time.
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANE_BUILD_UI=OFF
//   cmake --build build/release --target record_bench
//   build/release/bench/record_bench [--conditions] [minutes, default 60] [file, default a
//                                     temporary file]
//
// Settings: Koch lesson of 20 characters at 12/18 WPM, 700 Hz; with --conditions every signal
// condition on (both interfering stations, 120 crashes a minute). Prints the sound recorded, the
// wall and CPU time, and the ratio of sound to wall time. The file is deleted afterwards unless
// a path was given.

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "cpu_clock.h"
#include "engine/audio_format.h"
#include "engine/wav_file.h"
#include "every_condition.h"
#include "session/session_thread.h"
#include "session/test_session_view.h"
#include "settings/settings.h"

int main(int argc, char** argv) {
    const bool conditions = TakeConditionsFlag(argc, argv);
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 60;
    const bool keepFile = argc > 2;
    const std::string path = keepFile ? argv[2]
                                      : (std::filesystem::temp_directory_path() /
                                         ("record_bench-" + std::to_string(::getpid()) + ".wav"))
                                            .string();

    g_settings.m_nSource = SOURCE_KOCH;
    g_settings.m_nCharactersUsed = 20;
    g_settings.m_nSessionDuration = minutes;
    g_settings.m_keying.SetSpeeds(60, 90, false);
    if (conditions) SwitchOnEveryCondition(g_settings.m_conditions);

    int err = 0;
    auto file = WavRecordingFile::Create(path, err);
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(err));
        return 1;
    }

    TestSessionView view;
    view.Audio().AttachFileSink(file.get());
    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    view.Launch(SessionThread);
    if (!view.WaitForEnd(std::chrono::hours(1))) {
        std::fprintf(stderr, "the session did not end\n");
        return 1;
    }
    view.Audio().DetachFileSink();
    const int finishError = file->Finish();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = ProcessCpuSeconds() - cpuStart;
    if (view.m_bSinkFailed || finishError != 0) {
        std::fprintf(stderr, "writing %s failed: %s\n", path.c_str(),
                     std::strerror(finishError != 0 ? finishError : EIO));
        return 1;
    }

    const auto bytes = std::filesystem::file_size(path);
    const double sound = static_cast<double>(bytes - kWavHeaderBytes) / audio::kBytesPerSecond;
    std::printf("recorded %.1f s of sound (%llu bytes, %zu characters), %s\n", sound,
                static_cast<unsigned long long>(bytes), view.Snapshot().output.size(),
                conditions ? "every signal condition on" : "clean signal");
    std::printf("wall %.3f s, cpu %.3f s, %.0f x real time\n", wall, cpu, sound / wall);
    if (!keepFile) std::filesystem::remove(path);
    return 0;
}
