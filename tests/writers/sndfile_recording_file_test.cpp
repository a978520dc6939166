#include "writers/sndfile_recording_file.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "engine/audio_flags.h"
#include "engine/wav_file.h"
#include "session/session_thread.h"
#include "session/test_session_view.h"
#include "settings/settings.h"
#include "test_files.h"
#include "writers/create_recording_file.h"

namespace {

namespace fs = std::filesystem;

constexpr double kPitchHz = 700;
constexpr double kLevel = 12000;

// What a reader that shares nothing with the writer finds in the file.
struct Decoded {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;
};

Decoded Decode(const std::string& path) {
    Decoded result;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        ADD_FAILURE() << path << ": " << sf_strerror(nullptr);
        return result;
    }
    result.rate = info.samplerate;
    result.channels = info.channels;
    std::vector<int16_t> block(4096);
    sf_count_t got = 0;
    while ((got = sf_read_short(file, block.data(), static_cast<sf_count_t>(block.size()))) > 0)
        result.samples.insert(result.samples.end(), block.begin(), block.begin() + got);
    sf_close(file);
    return result;
}

double Amplitude(const std::vector<int16_t>& s, size_t begin, size_t end, double hz, int rate) {
    std::complex<double> sum;
    for (size_t k = begin; k < end; ++k)
        sum += double(s[k]) * std::polar(1.0, -2 * std::numbers::pi * hz * double(k) / rate);
    return 2.0 * std::abs(sum) / double(end - begin);
}

// Seconds of a steady tone at 22,050 samples per second, as little-endian bytes.
std::vector<uint8_t> ToneBytes(double seconds) {
    const auto n = static_cast<size_t>(seconds * 22050);
    std::vector<uint8_t> bytes(2 * n);
    for (size_t i = 0; i < n; ++i) {
        const auto v = static_cast<int16_t>(
            std::lround(kLevel * std::sin(2 * std::numbers::pi * kPitchHz * double(i) / 22050)));
        bytes[2 * i] = static_cast<uint8_t>(v);
        bytes[2 * i + 1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
    }
    return bytes;
}

// Hands the bytes over in uneven pieces, odd sizes included, as no caller is bound to whole
// samples.
void WriteInPieces(RecordingFile& file, const std::vector<uint8_t>& bytes) {
    size_t at = 0;
    for (size_t piece = 1; at < bytes.size(); piece = piece * 3 + 1) {
        const size_t n = std::min(piece % 7919, bytes.size() - at);
        file.WriteSamples(bytes.data() + at, n);
        at += n;
    }
}

class SndfileRecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("veltrane-writers-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }

    // Writes `seconds` of tone in the format and returns the finished file's path.
    std::string WriteTone(RecordingFormat format, int quality, double seconds) {
        const std::string path = PathOf(std::string("tone") + FormatInfo(format).extension);
        int err = 0;
        auto file = CreateRecordingFile(path, format, quality, err);
        EXPECT_NE(file, nullptr) << FormatInfo(format).name << ": " << err;
        if (!file) return path;
        WriteInPieces(*file, ToneBytes(seconds));
        EXPECT_EQ(file->Finish(), 0) << FormatInfo(format).name;
        return path;
    }

    fs::path m_dir;
};

class EveryEncodedFormat : public SndfileRecordingTest,
                           public ::testing::WithParamInterface<RecordingFormat> {};

TEST_P(EveryEncodedFormat, FileReadsBackAsTheToneAtItsLengthAndRate) {
    const RecordingFormat format = GetParam();
    const std::string path = WriteTone(format, kDefaultRecordingQuality, 3.0);
    const Decoded decoded = Decode(path);
    const int rate = format == RecordingFormat::Opus ? 24000 : 22050;
    EXPECT_EQ(decoded.rate, rate);
    EXPECT_EQ(decoded.channels, 1);
    // FLAC is exact; an encoder may add a frame's worth of padding (MP3: up to 1,152 samples
    // and the decoder's delay) but never drops sound.
    const auto expected = static_cast<size_t>(3.0 * rate);
    EXPECT_GE(decoded.samples.size(), expected);
    EXPECT_LE(decoded.samples.size(), expected + (format == RecordingFormat::Flac ? 0 : 4000));
    ASSERT_GT(decoded.samples.size(), size_t(rate));
    // The tone is there at its pitch and level; nothing comparable a fifth away.
    const size_t begin = rate / 2;
    const size_t end = begin + rate;
    EXPECT_NEAR(Amplitude(decoded.samples, begin, end, kPitchHz, rate), kLevel, kLevel * 0.1);
    EXPECT_LT(Amplitude(decoded.samples, begin, end, kPitchHz * 1.5, rate), kLevel * 0.02);
}

TEST_P(EveryEncodedFormat, StandardDecoderReportsTheLengthRateAndChannels) {
    const RecordingFormat format = GetParam();
    const std::string path = WriteTone(format, kDefaultRecordingQuality, 2.0);
    // sox reads MP3, Ogg Vorbis and FLAC; opusinfo is the Opus tools' reader.
    const bool isOpus = format == RecordingFormat::Opus;
    const char* tool = isOpus ? "opusinfo" : "soxi";
    if (std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << tool << " is not installed";
    const std::string command =
        isOpus ? "opusinfo '" + path + "' 2>&1"
               : "soxi -r '" + path + "' && soxi -c '" + path + "' && soxi -D '" + path + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    ASSERT_EQ(::pclose(pipe), 0) << out;
    if (isOpus) {
        EXPECT_NE(out.find("Channels: 1"), std::string::npos) << out;
        EXPECT_NE(out.find("Original sample rate: 24000 Hz"), std::string::npos) << out;
        EXPECT_NE(out.find("Playback length: 0m:02.0"), std::string::npos) << out;
    } else {
        int rate = 0, channels = 0;
        double seconds = 0;
        ASSERT_EQ(std::sscanf(out.c_str(), "%d %d %lf", &rate, &channels, &seconds), 3) << out;
        EXPECT_EQ(rate, 22050);
        EXPECT_EQ(channels, 1);
        EXPECT_NEAR(seconds, 2.0, 0.1);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryEncodedFormat,
                         ::testing::Values(RecordingFormat::Mp3, RecordingFormat::OggVorbis,
                                           RecordingFormat::Opus, RecordingFormat::Flac),
                         [](const auto& info) {
                             std::string name = FormatInfo(info.param).name;
                             std::erase(name, ' ');
                             return name;
                         });

TEST_F(SndfileRecordingTest, QualitySettingChangesTheLossyFilesOnly) {
    for (const RecordingFormat format :
         {RecordingFormat::Mp3, RecordingFormat::OggVorbis, RecordingFormat::Opus}) {
        const auto small = fs::file_size(WriteTone(format, kMinRecordingQuality, 4.0));
        const auto large = fs::file_size(WriteTone(format, kMaxRecordingQuality, 4.0));
        EXPECT_LT(small * 5 / 4, large) << FormatInfo(format).name;
    }
    const auto flacLow = fs::file_size(WriteTone(RecordingFormat::Flac, 0, 1.0));
    const auto flacHigh = fs::file_size(WriteTone(RecordingFormat::Flac, 10, 1.0));
    EXPECT_EQ(flacLow, flacHigh);
}

TEST_F(SndfileRecordingTest, UnfinishedOrDiscardedFileIsDeleted) {
    int err = 0;
    const std::string path = PathOf("x.ogg");
    auto file = CreateRecordingFile(path, RecordingFormat::OggVorbis, 5, err);
    ASSERT_NE(file, nullptr);
    WriteInPieces(*file, ToneBytes(0.5));
    EXPECT_TRUE(fs::exists(path));
    file.reset();
    EXPECT_FALSE(fs::exists(path));

    file = CreateRecordingFile(path, RecordingFormat::Mp3, 5, err);
    ASSERT_NE(file, nullptr);
    file->Discard();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_THROW(file->WriteSamples("ab", 2), SinkWriteError);
    EXPECT_EQ(file->Finish(), EBADF);
}

TEST_F(SndfileRecordingTest, CreateInAMissingFolderFailsWithItsError) {
    int err = 0;
    EXPECT_EQ(CreateRecordingFile(PathOf("none/x.flac"), RecordingFormat::Flac, 5, err), nullptr);
    EXPECT_EQ(err, ENOENT);
}

TEST_F(SndfileRecordingTest, FullDeviceFailsAtOnceOrAtTheEndAndIsNeverDeleted) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    for (const RecordingFormat format : {RecordingFormat::Mp3, RecordingFormat::OggVorbis,
                                         RecordingFormat::Opus, RecordingFormat::Flac}) {
        SCOPED_TRACE(FormatInfo(format).name);
        int err = 0;
        // Little enough to stay in the encoder's and the stream's buffers: Finish must say.
        auto late = SndfileRecordingFile::Create("/dev/full", format, 5, err);
        if (!late) {
            // An encoder that writes its header at once fails right here, as it should.
            EXPECT_EQ(err, ENOSPC);
        } else {
            late->WriteSamples("abcd", 4);
            EXPECT_EQ(late->Finish(), ENOSPC);
        }

        // A minute of sound cannot stay buffered: some write fails, as the synthesis sees it.
        auto early = SndfileRecordingFile::Create("/dev/full", format, 5, err);
        if (!early) continue;
        const auto bytes = ToneBytes(1.0);
        int failure = 0;
        for (int second = 0; second < 60 && failure == 0; ++second) {
            try {
                early->WriteSamples(bytes.data(), bytes.size());
            } catch (const SinkWriteError& e) {
                failure = e.err;
            }
        }
        EXPECT_EQ(failure, ENOSPC);
        EXPECT_EQ(early->WriteError(), ENOSPC);
        early->Discard();
    }
    EXPECT_TRUE(fs::exists("/dev/full"));
}

TEST_F(SndfileRecordingTest, LateFailureOnARegularFileLeavesNoFile) {
    // A file size limit below what the encoder still holds: the close fails.
    const std::string path = PathOf("limited.flac");
    int err = 0;
    auto file = CreateRecordingFile(path, RecordingFormat::Flac, 5, err);
    ASSERT_NE(file, nullptr);
    WriteInPieces(*file, ToneBytes(2.0));

    const int finished = WithFileSizeLimit(500, [&] { return file->Finish(); });

    EXPECT_EQ(finished, EFBIG);
    file.reset();
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(SndfileRecordingTest, FileRemovedWhileWrittenIsNotReportedFinished) {
    const std::string path = PathOf("gone.mp3");
    int err = 0;
    auto file = CreateRecordingFile(path, RecordingFormat::Mp3, 5, err);
    ASSERT_NE(file, nullptr);
    WriteInPieces(*file, ToneBytes(0.5));
    fs::remove(path);
    EXPECT_EQ(file->Finish(), ENOENT);
}

// A session recorded by the session thread into FLAC holds exactly the samples of the same
// session recorded to WAV: the writer loses and adds nothing.
TEST_F(SndfileRecordingTest, SessionInFlacDecodesToTheSamplesOfItsWav) {
    g_bAbort = false;
    const int32_t savedSource = g_settings.m_nSource;
    g_settings.m_nSource = SOURCE_TEXT_FILE;
    auto record = [&](RecordingFormat format) {
        const std::string path = PathOf(std::string("session") + FormatInfo(format).extension);
        int err = 0;
        auto file = CreateRecordingFile(path, format, 5, err);
        EXPECT_NE(file, nullptr);
        if (!file) return path;
        TestSessionView view;
        view.m_strSessionText = "paris cq de test 73";
        view.Audio().AttachFileSink(file.get());
        view.Launch(SessionThread);
        EXPECT_TRUE(view.WaitForEnd());
        view.Audio().DetachFileSink();
        EXPECT_FALSE(view.m_bSinkFailed);
        EXPECT_EQ(file->Finish(), 0);
        return path;
    };
    const Decoded wav = Decode(record(RecordingFormat::Wav));
    const Decoded flac = Decode(record(RecordingFormat::Flac));
    g_settings.m_nSource = savedSource;
    ASSERT_GT(wav.samples.size(), 22050u);
    EXPECT_EQ(flac.samples, wav.samples);
}

}  // namespace
