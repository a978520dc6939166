// CPU time the playback thread spends per second of sound while it streams through the sound
// device at the pace of real playback (the fake device, advancing one half every 0.1 s).
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANE_BUILD_UI=OFF
//   cmake --build build/release --target playback_bench
//   build/release/bench/playback_bench [--conditions] [seconds of sound, default 10]
//
// The playback thread keys random five-character groups at the default settings (with
// --conditions through every signal condition), then flushes and stops the stream, like a
// session. Prints its thread CPU time (synthesis, copying into the
// device buffer and the waits' wake-ups) per second of sound, and the halves the device had to
// replay because the writer was late (expected 0).

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "engine/audio_flags.h"
#include "engine/audio_format.h"
#include "engine/fake_sound_device.h"
#include "engine/keying.h"
#include "engine/morse_audio.h"
#include "every_condition.h"

namespace {

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    const bool withConditions = TakeConditionsFlag(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;

    FakeSoundDevice fake;
    SoundDevice* device = &fake;
    KeyingParameters keying;
    SignalConditions conditions;
    if (withConditions) SwitchOnEveryCondition(conditions);
    CMorseAudio audio(keying, device, conditions);
    fake.StartPacing();  // one half per 0.1 s: the real device's pace

    int64_t samples = 0;
    double cpu = 0;
    const auto wallStart = std::chrono::steady_clock::now();
    std::thread playback([&] {
        static const char kCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        std::mt19937 random(99);
        std::uniform_int_distribution<int> pick(0, sizeof kCharacters - 2);
        const int64_t target = static_cast<int64_t>(seconds * audio::kSampleRate);
        const double cpuStart = ThreadCpuSeconds();
        audio.BeginConditions(99);
        while (samples < target) {
            for (int i = 0; i < 5; ++i)
                samples += audio.SynthesizeCharacter(kCharacters[pick(random)], nullptr, nullptr);
            samples += audio.SynthesizeCharacter(' ', nullptr, nullptr);
        }
        audio.Write(nullptr, 0);
        audio.StopStream();
        cpu = ThreadCpuSeconds() - cpuStart;
    });
    playback.join();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    fake.StopPlayer();

    const double sound = static_cast<double>(samples) / audio::kSampleRate;
    std::printf("sound           %.2f s, streamed in %.2f s of real time, %s\n", sound, wall,
                withConditions ? "every signal condition on" : "clean signal");
    std::printf("thread cpu      %.2f ms in all, %.3f ms per second of sound (%.3f%% of a core)\n",
                cpu * 1e3, cpu * 1e3 / sound, 100 * cpu / sound);
    std::printf("late halves     %d\n", fake.Underruns());
    return 0;
}
