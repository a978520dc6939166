// Speed of the tone synthesis, written to a file sink as a recording is, as a multiple of real
// time (one core).
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRANE_BUILD_UI=OFF
//   cmake --build build/release --target synthesis_bench
//   build/release/bench/synthesis_bench [minutes of sound, default 10] [file, default /dev/null]
//
// The text is random five-character groups of letters and digits, separated by spaces, keyed
// at the default settings (12/18 WPM, 700 Hz, volumes 50). Prints the sound produced, the wall
// and CPU time taken, and the ratio of sound to CPU time; the target is at least 1000.

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "cpu_clock.h"
#include "engine/audio_format.h"
#include "engine/file_sink.h"
#include "engine/keying.h"
#include "engine/morse_audio.h"

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const char* path = argc > 2 ? argv[2] : "/dev/null";
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::perror(path);
        return 1;
    }

    KeyingParameters keying;
    SoundDevice* noDevice = nullptr;
    CMorseAudio audio(keying, noDevice);
    FileSampleSink sink(file);
    audio.AttachFileSink(&sink);

    static const char kCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> pick(0, sizeof kCharacters - 2);
    const int64_t target = static_cast<int64_t>(minutes * 60 * audio::kSampleRate);

    int64_t samples = 0;
    int64_t characters = 0;
    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    while (samples < target) {
        for (int i = 0; i < 5; ++i)
            samples += audio.SynthesizeCharacter(kCharacters[pick(random)], nullptr, nullptr);
        samples += audio.SynthesizeCharacter(' ', nullptr, nullptr);
        characters += 6;
    }
    if (std::fflush(file) != 0) {
        std::perror(path);
        return 1;
    }
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    std::fclose(file);

    const double sound = static_cast<double>(samples) / audio::kSampleRate;
    std::printf("sound      %.1f s (%lld characters, %lld samples) to %s\n", sound,
                static_cast<long long>(characters), static_cast<long long>(samples), path);
    std::printf("wall time  %.3f s\n", wall);
    std::printf("cpu time   %.3f s\n", cpu);
    std::printf("speed      %.0fx real time (cpu), %.0fx (wall)\n", sound / cpu, sound / wall);
    return 0;
}
