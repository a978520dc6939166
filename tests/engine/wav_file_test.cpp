#include "engine/wav_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/audio_flags.h"
#include "engine/morse_audio.h"
#include "session/session_thread.h"
#include "session/test_session_view.h"
#include "settings/settings.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

std::string Tag(const std::vector<uint8_t>& b, size_t at) {
    return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
}

// Checks a whole WAV file against the one format the trainer writes, field by field.
void ExpectTrainerWav(const std::vector<uint8_t>& file) {
    ASSERT_GE(file.size(), 44u);
    EXPECT_EQ(Tag(file, 0), "RIFF");
    EXPECT_EQ(Le32(file, 4), file.size() - 8);
    EXPECT_EQ(Tag(file, 8), "WAVE");
    EXPECT_EQ(Tag(file, 12), "fmt ");
    EXPECT_EQ(Le32(file, 16), 16u);
    EXPECT_EQ(Le16(file, 20), 1);  // PCM
    EXPECT_EQ(Le16(file, 22), 1);  // mono
    EXPECT_EQ(Le32(file, 24), 22050u);
    EXPECT_EQ(Le32(file, 28), 44100u);
    EXPECT_EQ(Le16(file, 32), 2);
    EXPECT_EQ(Le16(file, 34), 16);
    EXPECT_EQ(Tag(file, 36), "data");
    EXPECT_EQ(Le32(file, 40), file.size() - 44);
    EXPECT_EQ(Le32(file, 40) % 2, 0u);
}

// Collects samples in memory, as a second synthesis to compare the file with.
class MemorySink : public SampleSink {
public:
    void WriteSamples(const void* bytes, size_t n) override {
        const auto* p = static_cast<const uint8_t*>(bytes);
        data.insert(data.end(), p, p + n);
    }
    std::vector<uint8_t> data;
};

class WavFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("veltrane-wav-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_dir;
};

TEST(WavHeaderTest, FieldsAreLittleEndianAndSizedFromTheData) {
    const auto header = BuildWavHeader(0x01020304);
    const std::vector<uint8_t> bytes(header.begin(), header.end());
    const uint8_t expected[44] = {
        'R',  'I',  'F', 'F', 0x28, 0x03, 0x02, 0x01,                       // 0x01020304 + 36
        'W',  'A',  'V', 'E', 'f',  'm',  't',  ' ',  16,   0,    0,    0,  // fmt chunk of 16 bytes
        1,    0,                                                            // PCM
        1,    0,                                                            // one channel
        0x22, 0x56, 0,   0,                                                 // 22050
        0x44, 0xAC, 0,   0,                                                 // 44100
        2,    0,    16,  0,   'd',  'a',  't',  'a',  0x04, 0x03, 0x02, 0x01};
    EXPECT_EQ(bytes, std::vector<uint8_t>(std::begin(expected), std::end(expected)));

    const auto empty = BuildWavHeader(0);
    EXPECT_EQ(Le32(std::vector<uint8_t>(empty.begin(), empty.end()), 4), 36u);
}

TEST_F(WavFileTest, FinishedFileHoldsTheSamplesBehindAHeaderOfTheFinalLength) {
    const std::string path = PathOf("take.wav");
    {
        // An existing, longer file is replaced, not overwritten in place.
        std::ofstream(path, std::ios::binary) << std::string(5000, 'x');
    }
    int err = -1;
    auto file = WavRecordingFile::Create(path, err);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(err, 0);
    const int16_t samples[3] = {1, -2, 32767};
    file->WriteSamples(samples, sizeof samples);
    file->WriteSamples(samples, sizeof samples);
    EXPECT_EQ(file->Finish(), 0);

    const auto bytes = ReadAll(path);
    ExpectTrainerWav(bytes);
    ASSERT_EQ(bytes.size(), 44u + 12);
    EXPECT_EQ(Le16(bytes, 44), 1);
    EXPECT_EQ(Le16(bytes, 44 + 2), 0xFFFE);  // -2, little-endian
    EXPECT_EQ(Le16(bytes, 44 + 6 + 4), 0x7FFF);
}

TEST_F(WavFileTest, DiscardedOrAbandonedFileIsDeleted) {
    int err = 0;
    auto discarded = WavRecordingFile::Create(PathOf("a.wav"), err);
    ASSERT_NE(discarded, nullptr);
    discarded->WriteSamples("ab", 2);
    discarded->Discard();
    EXPECT_FALSE(fs::exists(PathOf("a.wav")));

    auto abandoned = WavRecordingFile::Create(PathOf("b.wav"), err);
    ASSERT_NE(abandoned, nullptr);
    EXPECT_TRUE(fs::exists(PathOf("b.wav")));
    abandoned.reset();
    EXPECT_FALSE(fs::exists(PathOf("b.wav")));
}

TEST_F(WavFileTest, CreateInAMissingFolderFailsWithItsError) {
    int err = 0;
    EXPECT_EQ(WavRecordingFile::Create(PathOf("no such folder/x.wav"), err), nullptr);
    EXPECT_EQ(err, ENOENT);
}

TEST_F(WavFileTest, FullDeviceFailsLateAndIsNeverDeleted) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    int err = 0;
    // A small write fits the stream's buffer and only fails when it is flushed: Finish must say.
    auto late = WavRecordingFile::Create("/dev/full", err);
    ASSERT_NE(late, nullptr);
    late->WriteSamples("abcd", 4);
    EXPECT_EQ(late->Finish(), ENOSPC);

    // A large write fails at once, as the synthesis sees it.
    auto early = WavRecordingFile::Create("/dev/full", err);
    ASSERT_NE(early, nullptr);
    const std::vector<uint8_t> second(1 << 20);
    try {
        early->WriteSamples(second.data(), second.size());
        ADD_FAILURE() << "a write to a full device succeeded";
    } catch (const SinkWriteError& e) {
        EXPECT_EQ(e.err, ENOSPC);
    }
    EXPECT_EQ(early->WriteError(), ENOSPC);
    early->Discard();
    EXPECT_TRUE(fs::exists("/dev/full"));
}

TEST_F(WavFileTest, LateFailureOnARegularFileLeavesNoFile) {
    // A file size limit below what is buffered: the writes succeed, the flush at Finish fails.
    const std::string path = PathOf("limited.wav");
    int err = 0;
    auto file = WavRecordingFile::Create(path, err);
    ASSERT_NE(file, nullptr);
    const std::vector<uint8_t> samples(1000);
    file->WriteSamples(samples.data(), samples.size());

    const int finished = WithFileSizeLimit(500, [&] { return file->Finish(); });

    EXPECT_EQ(finished, EFBIG);
    file.reset();
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(WavFileTest, FileRemovedWhileWrittenIsNotReportedFinished) {
    const std::string path = PathOf("gone.wav");
    int err = 0;
    auto file = WavRecordingFile::Create(path, err);
    ASSERT_NE(file, nullptr);
    file->WriteSamples("abcd", 4);
    fs::remove(path);
    EXPECT_EQ(file->Finish(), ENOENT);
}

// A one-minute generated Koch session recorded through the session thread: a valid WAV file of
// at least a minute whose samples are exactly the synthesis of the text the output pane shows.
class RecordedSessionTest : public WavFileTest {
protected:
    void SetUp() override {
        WavFileTest::SetUp();
        g_bAbort = false;
        g_settings.m_keying.SetSpeeds(60, 90, false);  // 12/18 WPM
        g_settings.m_nSource = SOURCE_KOCH;
        g_settings.m_nCharactersUsed = 12;  // letters only: the echo is the sent character itself
        g_settings.m_nSessionDuration = 1;
        g_settings.m_bUseCaps = false;
    }
    void TearDown() override {
        g_settings.m_keying.SetSpeeds(m_nWordSpeed, m_nCharSpeed, false);
        g_settings.m_nSource = m_nSource;
        g_settings.m_nCharactersUsed = m_nCharactersUsed;
        g_settings.m_nSessionDuration = m_nDuration;
        g_settings.m_bUseCaps = m_bUseCaps;
        g_bAbort = false;
        WavFileTest::TearDown();
    }

    // Records one session into the sink as the record command does.
    void Record(SampleSink& sink) {
        view.Audio().AttachFileSink(&sink);
        view.Launch(SessionThread);
        ASSERT_TRUE(view.WaitForEnd(std::chrono::seconds(60)));
        view.Audio().DetachFileSink();
    }

    TestSessionView view;

private:
    int m_nWordSpeed = g_settings.m_keying.wordSpeedCpm;
    int m_nCharSpeed = g_settings.m_keying.charSpeedCpm;
    int m_nSource = g_settings.m_nSource;
    int m_nCharactersUsed = g_settings.m_nCharactersUsed;
    int m_nDuration = g_settings.m_nSessionDuration;
    bool m_bUseCaps = g_settings.m_bUseCaps;
};

TEST_F(RecordedSessionTest, OneMinuteKochSessionIsAValidWavOfExactlyTheSentText) {
    const std::string path = PathOf("koch.wav");
    int err = 0;
    auto file = WavRecordingFile::Create(path, err);
    ASSERT_NE(file, nullptr);
    Record(*file);
    ASSERT_EQ(file->Finish(), 0);

    const auto record = view.Snapshot();
    EXPECT_FALSE(view.m_bSinkFailed);
    EXPECT_EQ(record.finishedPosts, 0);  // a recording never shows results
    EXPECT_EQ(view.m_nElapsedSamples, 0);
    EXPECT_EQ(view.m_nSentCount, 0);
    EXPECT_EQ(view.m_device.Calls(FakeSoundDevice::Op::CreateBuffer), 0);

    const auto bytes = ReadAll(path);
    ExpectTrainerWav(bytes);
    const size_t samples = (bytes.size() - 44) / 2;
    EXPECT_GE(samples, 1'323'000u);
    // The last character may run past the budget, but by less than a character.
    EXPECT_LT(samples, 1'323'000u + 22050u * 5);

    // Keying the echoed text again, character by character, must give the file's samples.
    ASSERT_FALSE(record.output.empty());
    EXPECT_EQ(record.output.find_first_not_of(" " + GetKochAlphabet().substr(0, 12)),
              std::string::npos);
    SoundDevice* noDevice = nullptr;
    CMorseAudio again(g_settings.m_keying, noDevice);
    MemorySink memory;
    again.AttachFileSink(&memory);
    for (char ch : record.output)
        again.SynthesizeCharacter(static_cast<unsigned char>(ch), nullptr, nullptr);
    ASSERT_EQ(memory.data.size(), bytes.size() - 44);
    EXPECT_TRUE(std::equal(memory.data.begin(), memory.data.end(), bytes.begin() + 44));

    // A reader that is not ours, where there is one.
    if (std::system("python3 -c 'import wave' >/dev/null 2>&1") == 0) {
        const std::string check =
            "python3 -c \"import sys, wave; w = wave.open(sys.argv[1]); "
            "sys.exit(0 if (w.getnchannels(), w.getsampwidth(), w.getframerate()) == (1, 2, 22050)"
            " and w.getnframes() == " +
            std::to_string(samples) +
            " and len(w.readframes(w.getnframes())) == " + std::to_string(samples * 2) +
            " else 1)\" '" + path + "'";
        EXPECT_EQ(std::system(check.c_str()), 0) << check;
    }
}

TEST_F(RecordedSessionTest, FullDiskEndsTheRecordingAsAborted) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    int err = 0;
    auto file = WavRecordingFile::Create("/dev/full", err);
    ASSERT_NE(file, nullptr);
    Record(*file);

    EXPECT_TRUE(view.m_bSinkFailed);
    EXPECT_EQ(file->WriteError(), ENOSPC);
    EXPECT_LT(view.m_nBudgetUsed, view.m_nBudget);
    EXPECT_FALSE(g_bAbort);  // cleared by the stream's stop: the next session is not cut short
    EXPECT_EQ(view.m_nSentCount, 0);
    EXPECT_NE(file->Finish(), 0);
}

}  // namespace
