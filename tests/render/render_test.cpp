// veltrane-render from the outside: exit statuses and messages, nothing left behind after a
// failure or an interruption, the practice text and the formats, the seed.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Outcome {
    int status = -1;  // the exit status, or 128 + the signal
    std::string out;
    std::string err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("veltrane-render-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Runs the program in the test's folder with stdout and stderr captured, after the shell
    // commands in `before`.
    Outcome Render(const std::vector<std::string>& args, const std::string& before = "") {
        std::string command =
            "cd " + Quote(m_dir.string()) + " && " + before + VELTRANE_RENDER_PROGRAM;
        for (const std::string& arg : args) command += " " + Quote(arg);
        command += " >out.log 2>err.log";
        Outcome run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        run.out = ReadFile(m_dir / "out.log");
        run.err = ReadFile(m_dir / "err.log");
        fs::remove(m_dir / "out.log");
        fs::remove(m_dir / "err.log");
        return run;
    }

    // The names in the test's folder: what a run left behind.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path m_dir;
};

TEST_F(RenderTest, HelpAndVersionAnswerOnStandardOutput) {
    const Outcome help = Render({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: veltrane-render [OPTIONS] output"), std::string::npos);
    for (const char* option : {"--koch", "--text-file", "--lines", "--words", "--wpm", "--char-wpm",
                               "--pitch", "--noise", "--seed", "--sent-text"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    const Outcome version = Render({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("veltrane-render 1."), std::string::npos) << version.out;
}

TEST_F(RenderTest, CommandLinesThatCannotBeUsedExitWithTwoAndWriteNothing) {
    const std::vector<std::vector<std::string>> bad = {
        {},                         // no output
        {"--frobnicate", "a.wav"},  // unknown option
        {"--koch", "1", "a.wav"},   // below the smallest lesson
        {"--koch", "45", "a.wav"},  // beyond the character set
        {"--wpm", "0", "a.wav"},
        {"--wpm", "twelve", "a.wav"},
        {"--wpm", "30", "--char-wpm", "20", "a.wav"},  // words faster than characters
        {"--pitch", "100", "a.wav"},
        {"--koch", "5", "--words", "a.wav"},  // two sources
        {"--text-file", "t.txt", "--lines", "t.txt", "a.wav"},
        {"--characters", "\xC2\xA7", "a.wav"},  // nothing that can be keyed
        {"--min-group", "8", "--max-group", "5", "a.wav"},
        {"--quality", "11", "a.mp3"},
        {"--interference-text", "music", "a.wav"},
        {"a.xyz"},  // no format to go by
        {"lesson"},
        {"-o", "a.wav", "a.wav"},  // text and sound into one file
    };
    for (const auto& args : bad) {
        std::string line;
        for (const auto& arg : args) line += arg + " ";
        const Outcome run = Render(args);
        EXPECT_EQ(run.status, 2) << line << "\n" << run.err;
        EXPECT_FALSE(run.err.empty()) << line;
        EXPECT_TRUE(Files().empty()) << line;
    }
}

TEST_F(RenderTest, UnusablePracticeFilesFailAndLeaveTheEarlierFileAsItWas) {
    std::ofstream(m_dir / "lesson.wav") << "the earlier file";
    fs::create_directories(m_dir / "folder");
    std::ofstream(m_dir / "empty.txt");
    std::ofstream(m_dir / "binary.txt", std::ios::binary) << std::string("ab\0cd", 5);
    std::ofstream(m_dir / "nothing.txt") << "\xE2\x82\xAC\xE2\x82\xAC";  // no Morse for it
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"missing.txt", "no such file"},
        {"folder", "not a readable file"},
        {"empty.txt", "is empty"},
        {"binary.txt", "not a text file"},
        {"nothing.txt", "nothing that can be keyed"},
    };
    const auto before = Files();
    for (const auto& [file, reason] : cases) {
        for (const char* option : {"--text-file", "--lines"}) {
            const Outcome run = Render({option, file, "lesson.wav"});
            EXPECT_EQ(run.status, 1) << file;
            EXPECT_NE(run.err.find(file), std::string::npos) << run.err;
            // Lines with nothing to key are reported as such, not as the file's whole content.
            if (std::string(option) == "--text-file" || reason != "nothing that can be keyed") {
                EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
            }
            EXPECT_EQ(Files(), before) << file;
        }
    }
    EXPECT_EQ(ReadFile(m_dir / "lesson.wav"), "the earlier file");
}

TEST_F(RenderTest, OutputThatCannotBeWrittenFailsWithTheReason) {
    Outcome run = Render({"--duration", "1", "no folder/a.wav"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;
    // The sent text's folder is missing: the sound is not kept either.
    run = Render({"--duration", "1", "-o", "no folder/a.txt", "a.ogg"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("a.txt"), std::string::npos) << run.err;
    EXPECT_TRUE(Files().empty());
    // A file that cannot grow past 200 KiB (a full disk, as far as the render can tell; the
    // limit's signal ignored so that the write just fails) is given up with the reason.
    for (const char* name : {"limited.wav", "limited.mp3"}) {
        run = Render({"--duration", "5", name}, "trap '' XFSZ; ulimit -f 200; ");
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
        EXPECT_TRUE(Files().empty()) << name;
    }
}

TEST_F(RenderTest, TextFileIsSentWholeAndItsTextGoesToStandardOutput) {
    std::ofstream(m_dir / "story.txt") << "Paris\r\n\r\ntest 73\n";
    const Outcome run =
        Render({"--text-file", "story.txt", "--capitals", "-o", "-", "--wpm", "20", "story.WAV"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "PARIS TEST 73\n");
    EXPECT_TRUE(run.err.empty()) << run.err;  // no progress line without a terminal
    EXPECT_EQ(Files(), (std::vector<std::string>{"story.WAV", "story.txt"}));
    // PARIS is 50 dots; at 20 WPM a dot is 60 ms: the file holds at least that word.
    const std::string wav = ReadFile(m_dir / "story.WAV");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_GT((wav.size() - 44) / 2, size_t(22050 * 3));
    // Made under a temporary name, but with the permissions of a file created in its place.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(fs::status(m_dir / "story.WAV").permissions() & fs::perms::all,
              fs::perms(0666 & ~mask));
}

TEST_F(RenderTest, SentTextFileIsInLinesOf80UnlessOneLineIsAsked) {
    ASSERT_EQ(Render({"--seed", "4", "--duration", "2", "-o", "lines.txt", "a.wav"}).status, 0);
    ASSERT_EQ(
        Render({"--seed", "4", "--duration", "2", "--one-line", "-o", "one.txt", "b.wav"}).status,
        0);
    const std::string lines = ReadFile(m_dir / "lines.txt");
    const std::string one = ReadFile(m_dir / "one.txt");
    ASSERT_GT(one.size(), 80u);
    EXPECT_EQ(one.find('\n'), std::string::npos);
    std::string joined;
    size_t start = 0;
    for (size_t end; (end = lines.find("\r\n", start)) != std::string::npos; start = end + 2) {
        EXPECT_LE(end - start, 80u);
        joined += lines.substr(start, end - start) + " ";
    }
    joined += lines.substr(start);
    EXPECT_EQ(joined, one);
    // The text does not change the sound.
    EXPECT_EQ(ReadFile(m_dir / "a.wav"), ReadFile(m_dir / "b.wav"));
}

TEST_F(RenderTest, TheSeedDecidesThePracticeAndTheBand) {
    const std::vector<std::string> band = {"--koch",   "9",  "--duration", "1",  "--noise", "3",
                                           "--fading", "10", "--static",   "30", "--fist"};
    auto with = [&](const std::string& seed, const std::string& name) {
        std::vector<std::string> args = band;
        args.insert(args.end(), {"--seed", seed, "-o", name + ".txt", name + ".wav"});
        EXPECT_EQ(Render(args).status, 0);
        return ReadFile(m_dir / (name + ".wav")) + ReadFile(m_dir / (name + ".txt"));
    };
    const std::string first = with("12345678901", "first");
    EXPECT_EQ(with("12345678901", "again"), first);
    EXPECT_NE(with("12345678902", "other"), first);
}

TEST_F(RenderTest, EveryFormatDecodesAtItsRateAndLength) {
    for (const auto& [name, rate] : std::vector<std::pair<std::string, int>>{{"a.wav", 22050},
                                                                             {"a.mp3", 22050},
                                                                             {"a.ogg", 22050},
                                                                             {"a.opus", 24000},
                                                                             {"a.flac", 22050}}) {
        ASSERT_EQ(Render({"--seed", "1", "--duration", "1", name}).status, 0) << name;
        SF_INFO info{};
        SNDFILE* file = sf_open((m_dir / name).c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << name << ": " << sf_strerror(nullptr);
        sf_close(file);
        EXPECT_EQ(info.samplerate, rate) << name;
        EXPECT_EQ(info.channels, 1) << name;
        // A minute, and the last character completed (less than five seconds more).
        EXPECT_GE(info.frames, 60 * rate) << name;
        EXPECT_LT(info.frames, 65 * rate) << name;
    }
}

// An hour of MP3 takes seconds: long enough to be interrupted.
TEST_F(RenderTest, InterruptedRenderLeavesNothingBehind) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::chdir(m_dir.c_str()) != 0) ::_exit(99);
        ::execl(VELTRANE_RENDER_PROGRAM, VELTRANE_RENDER_PROGRAM, "--duration", "60", "--quiet",
                "hour.mp3", static_cast<char*>(nullptr));
        ::_exit(98);
    }
    // Interrupted once it writes its temporary file.
    const auto until = std::chrono::steady_clock::now() + 20s;
    while (Files().empty() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(1ms);
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
    EXPECT_TRUE(Files().empty());
}

TEST_F(RenderTest, ProgressLineShowsOnATerminal) {
    if (std::system("command -v script >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "script (util-linux) is not installed";
    // script gives the program a terminal and copies what it shows into typescript.
    const std::string command =
        "cd " + Quote(m_dir.string()) + " && script -qec " +
        Quote(std::string(VELTRANE_RENDER_PROGRAM) + " --duration 20 long.mp3") +
        " typescript >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string shown = ReadFile(m_dir / "typescript");
    EXPECT_NE(shown.find("\rveltrane-render:"), std::string::npos) << shown;
    EXPECT_NE(shown.find(" %"), std::string::npos) << shown;
    EXPECT_TRUE(fs::exists(m_dir / "long.mp3"));
}

}  // namespace
