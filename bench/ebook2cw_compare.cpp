// Recording speed against Debian's ebook2cw, rendering the same text at the same speed, pitch
// and sample rate. Our side is the record path: the session thread sending the text as a text
// file session into a WAV file. ebook2cw writes only MP3 or OGG, so it is timed three ways:
// with -X (tones synthesized, nothing encoded or written: the closest to our raw PCM), with
// its default MP3 output and with OGG (-O).
//
//   apt-get install -y ebook2cw
//   cmake -S . -B build/faults-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/faults-release --target ebook2cw_compare
//   build/faults-release/bench/ebook2cw_compare [text file, default ~10,000 characters of
//                                                 plain words and figures]
//
// Speed 20 WPM (100 characters per minute, no Farnsworth spacing), 700 Hz, 22,050 samples per
// second for both. Prints the sound length, the wall time of each run and the ratios.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "content/text_prep.h"
#include "engine/audio_format.h"
#include "engine/wav_file.h"
#include "session/session_thread.h"
#include "session/test_session_view.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWpm = 20;
constexpr int kPitch = 700;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string DefaultText() {
    std::string text;
    while (text.size() < 10000)
        text += "the quick brown fox jumps over the lazy dog 1234567890 cq cq de test paris ";
    return text;
}

// Records the text through the session thread into a WAV file; returns the wall time, or a
// negative value on failure. soundSeconds gets the length of the recorded sound.
double RecordOurs(const std::string& text, const fs::path& wav, double& soundSeconds) {
    g_settings.m_nSource = SOURCE_TEXT_FILE;
    g_settings.m_keying.SetSpeeds(kWpm * 5, kWpm * 5, false);
    g_settings.m_keying.SetPitches(kPitch, kPitch);
    g_settings.m_nInitialDelay = 0;
    g_settings.m_nEndDelay = 0;

    int err = 0;
    auto file = WavRecordingFile::Create(wav.string(), err);
    if (!file) return -1;
    TestSessionView view;
    std::string prepared = text;
    PrepareText(prepared);
    view.m_strSessionText = prepared;
    view.Audio().AttachFileSink(file.get());
    const auto start = Clock::now();
    view.Launch(SessionThread);
    if (!view.WaitForEnd(std::chrono::hours(1))) return -1;
    view.Audio().DetachFileSink();
    if (file->Finish() != 0) return -1;
    const double wall = SecondsSince(start);
    soundSeconds =
        static_cast<double>(fs::file_size(wav) - kWavHeaderBytes) / audio::kBytesPerSecond;
    return wall;
}

// Runs ebook2cw on the text file in dir with extra options; returns the wall time or -1.
double RunEbook2cw(const fs::path& dir, const fs::path& textFile, const char* options) {
    std::ostringstream command;
    command << "cd '" << dir.string() << "' && ebook2cw -w " << kWpm << " -f " << kPitch
            << " -s 22050 " << options << " -o out '" << textFile.string() << "' > /dev/null 2>&1";
    const auto start = Clock::now();
    if (std::system(command.str().c_str()) != 0) return -1;
    return SecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    std::string text;
    if (argc > 1) {
        std::ifstream in(argv[1], std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        text = DefaultText();
    }
    const fs::path dir =
        fs::temp_directory_path() / ("ebook2cw-compare-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path textFile = dir / "text.txt";
    std::ofstream(textFile, std::ios::binary) << text;

    double sound = 0;
    const double ours = RecordOurs(text, dir / "ours.wav", sound);
    if (ours < 0) {
        std::fprintf(stderr, "our recording failed\n");
        return 1;
    }
    std::printf("text %zu characters, %.1f s of sound at %d WPM\n", text.size(), sound, kWpm);
    std::printf("ours (WAV, session thread)   %8.3f s  %7.0f x real time\n", ours, sound / ours);

    const struct {
        const char* label;
        const char* options;
    } runs[] = {
        {"ebook2cw -X (no output)", "-X"}, {"ebook2cw MP3", ""}, {"ebook2cw OGG (-O)", "-O"}};
    for (const auto& run : runs) {
        const double wall = RunEbook2cw(dir, textFile, run.options);
        if (wall < 0) {
            std::printf("%-29s failed (is ebook2cw installed?)\n", run.label);
            continue;
        }
        std::printf("%-29s %8.3f s  %7.0f x real time  ours is %.1f x as fast\n", run.label, wall,
                    sound / wall, wall / ours);
    }
    fs::remove_all(dir);
    return 0;
}
