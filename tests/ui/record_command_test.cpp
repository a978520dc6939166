// The record command in the real main window: a recording into a WAV file with the sent text
// saved beside it, a text-file source naming the recording, cancelling in the progress window,
// a write error (a file size limit) and a target that cannot be created.
#include <sys/resource.h>
#include <unistd.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdlib>
#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/audio_flags.h"
#include "engine/morse_audio.h"
#include "engine/recording_format.h"
#include "settings/settings.h"
#include "test_files.h"
#include "ui/command_ids.h"
#include "ui_test_support.h"

namespace {

namespace fs = std::filesystem;

// Collects samples, as a second synthesis to compare a recording with.
class MemorySink : public SampleSink {
public:
    void WriteSamples(const void* bytes, size_t n) override {
        const auto* p = static_cast<const uint8_t*>(bytes);
        data.insert(data.end(), p, p + n);
    }
    std::vector<uint8_t> data;
};

class RecordCommandTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        m_dir = fs::temp_directory_path() / ("veltrane-record-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        g_settings.m_nSource = SOURCE_KOCH;
        g_settings.m_nCharactersUsed = 2;
        g_settings.m_keying.SetSpeeds(60, 90, false);  // 12/18 WPM
        g_settings.m_bWpmSpeedUnit = true;
        g_settings.m_nSessionDuration = 1;
        g_settings.m_bInsertLF = true;
        g_settings.m_bUseCaps = false;
    }
    void TearDown() override {
        UiTest::TearDown();
        fs::remove_all(m_dir);
    }

    // The state every ended recording leaves: no thread, no sink, empty status panes, Record
    // available again.
    void ExpectIdleAfterRecording() {
        EXPECT_FALSE(View().m_bThreadRunning);
        EXPECT_FALSE(View().Audio().HasFileSink());
        EXPECT_FALSE(g_bAbort);
        EXPECT_EQ(View().m_nSentCount, 0);
        EXPECT_EQ(View().m_nElapsedSamples, 0);
        EXPECT_TRUE(State(CMD_RECORD).enabled);
    }

    fs::path m_dir;
};

TEST_F(RecordCommandTest, RecordsTheSessionAndSavesTheSentTextInLinesOf80) {
    OpenMainWindow(false);  // recording needs no sound device
    g_settings.m_nSessionDuration = 2;
    ASSERT_TRUE(State(CMD_RECORD).enabled);

    OfferedFile wav, txt;
    wxString question;
    wxTEST_DIALOG(Command(CMD_RECORD), ExpectFileDialog(m_dir / "take.wav", &wav),
                  ExpectMessage(question, wxID_YES), ExpectFileDialog(m_dir / "take.txt", &txt));

    EXPECT_EQ(wav.name, "Morse code 02 12 18.wav");
    EXPECT_NE(wav.wildcard.Find("*.wav"), wxNOT_FOUND);
    EXPECT_TRUE((wav.style & wxFD_SAVE) && (wav.style & wxFD_OVERWRITE_PROMPT));
    EXPECT_EQ(question, wxString::FromUTF8("您想将报底保存为文本文件吗？"));
    EXPECT_EQ(txt.name, "take.txt");
    EXPECT_NE(txt.wildcard.Find("*.txt"), wxNOT_FOUND);
    ExpectIdleAfterRecording();

    const auto bytes = ReadAll(m_dir / "take.wav");
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(Le32(bytes, 24), 22050u);
    EXPECT_EQ(Le32(bytes, 40), bytes.size() - 44);
    EXPECT_GE((bytes.size() - 44) / 2, 2u * 1'323'000);

    // Every character echoed was keyed into the file, in order, and nothing else.
    const std::string sent = View().OutputPane()->GetValue().utf8_string();
    SoundDevice* noDevice = nullptr;
    CMorseAudio again(g_settings.m_keying, noDevice);
    MemorySink memory;
    again.AttachFileSink(&memory);
    for (char ch : sent)
        again.SynthesizeCharacter(static_cast<unsigned char>(ch), nullptr, nullptr);
    ASSERT_EQ(memory.data.size(), bytes.size() - 44);
    EXPECT_TRUE(std::equal(memory.data.begin(), memory.data.end(), bytes.begin() + 44));

    // Two minutes at 12 WPM are well over 80 characters: lines of at most 80, CR LF between,
    // each break in the place of a space.
    ASSERT_GT(sent.size(), 80u);
    const auto textBytes = ReadAll(m_dir / "take.txt");
    const std::string text(textBytes.begin(), textBytes.end());
    std::string joined;
    size_t lines = 0;
    for (size_t start = 0;;) {
        const size_t end = text.find("\r\n", start);
        const std::string line = text.substr(start, end - start);
        EXPECT_LE(line.size(), 80u);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        joined += (lines++ ? " " : "") + line;
        if (end == std::string::npos) break;
        start = end + 2;
    }
    EXPECT_GE(lines, 2u);
    EXPECT_EQ(joined, sent);
}

TEST_F(RecordCommandTest, RecordingIsOfferedInTheMusicFolderFirstThenInTheLastFolderUsed) {
    // The music folder as the desktop's user-dirs.dirs names it.
    const fs::path music = fs::path(std::getenv("HOME")) / "Musik";
    fs::create_directories(music);
    std::ofstream(m_configDir / "user-dirs.dirs") << "XDG_MUSIC_DIR=\"$HOME/Musik\"\n";
    OpenMainWindow(false);

    OfferedFile first, second;
    wxString question;
    wxTEST_DIALOG(Command(CMD_RECORD), ExpectFileDialog(m_dir / "first.wav", &first),
                  ExpectMessage(question, wxID_NO));
    EXPECT_EQ(fs::path(first.folder.utf8_string()), music);
    wxTEST_DIALOG(Command(CMD_RECORD), ExpectFileDialog(m_dir / "second.wav", &second),
                  ExpectMessage(question, wxID_NO));
    EXPECT_EQ(fs::path(second.folder.utf8_string()), m_dir);
    EXPECT_TRUE(fs::exists(m_dir / "second.wav"));
    fs::remove_all(music);
}

TEST_F(RecordCommandTest, RefusedPracticeFileIsExplainedAsAtStart) {
    const fs::path binary = m_dir / "binary.txt";
    {
        std::ofstream out(binary, std::ios::binary);
        const char bytes[] = "cq\0\x01\x02 de\0\xff";
        out.write(bytes, sizeof bytes);
    }
    g_settings.m_nSource = SOURCE_TEXT_FILE;
    OpenMainWindow(false);
    wxString message;
    wxTEST_DIALOG(Command(CMD_RECORD), ExpectFileDialog(binary), ExpectMessage(message));
    EXPECT_TRUE(message.Contains("binary.txt")) << message.utf8_string();
    EXPECT_FALSE(View().m_bThreadRunning);
    ExpectIdleAfterRecording();
}

TEST_F(RecordCommandTest, TextFileSourceNamesTheRecordingAndAPausedSessionIsDropped) {
    OpenMainWindow();
    // A paused generated session first.
    Command(CMD_START);
    ASSERT_TRUE(PumpUntil([] { return g_nActiveStreams != 0; }, 5s));
    Command(CMD_PAUSE);
    ASSERT_TRUE(PumpUntil([this] { return !View().m_bThreadRunning; }, 5s));
    ASSERT_TRUE(View().m_bPauseRequested);

    const fs::path lessons = m_dir / "v1.2 课文";
    fs::create_directories(lessons);
    std::ofstream(lessons / "lesson.txt", std::ios::binary) << "Paris\r\ntest";
    g_settings.m_nSource = SOURCE_TEXT_FILE;
    g_settings.m_bUseCaps = true;

    OfferedFile wav;
    wxString question;
    wxTEST_DIALOG(Command(CMD_RECORD), ExpectFileDialog(lessons / "lesson.txt"),
                  ExpectFileDialog(lessons / "lesson.wav", &wav), ExpectMessage(question, wxID_YES),
                  ExpectFileDialog(lessons / "lesson.txt"));

    EXPECT_EQ(wav.name, "lesson.wav");
    EXPECT_FALSE(View().m_bPauseRequested);
    ExpectIdleAfterRecording();
    EXPECT_EQ(View().OutputPane()->GetValue(), "PARIS TEST");
    EXPECT_GT(fs::file_size(lessons / "lesson.wav"), 44u);
    // The sent text replaced the lesson, exactly as the output pane shows it.
    const auto saved = ReadAll(lessons / "lesson.txt");
    EXPECT_EQ(std::string(saved.begin(), saved.end()), "PARIS TEST");
}

TEST_F(RecordCommandTest, CancelInTheProgressWindowDeletesThePartialFile) {
    OpenMainWindow(false);
    // Four hours (more than the options allow) and a little slower at each echo written into
    // the pane, so that the progress window comes up after its 500 ms long before the end is
    // written; cancel it at once.
    g_settings.m_nSessionDuration = 240;
    wxString label;
    bool clicked = false;
    View().OutputPane()->Bind(wxEVT_TEXT, [&](wxCommandEvent& event) {
        event.Skip();
        std::this_thread::sleep_for(2ms);
        if (clicked) return;
        if (wxDialog* progress = FindDelayDialog()) {
            label = dynamic_cast<wxStaticText*>(progress->FindWindow(IDC_DELAY_LABEL))->GetLabel();
            wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
            progress->GetEventHandler()->ProcessEvent(cancel);
            clicked = true;
        }
    });

    wxTEST_DIALOG(Command(CMD_RECORD), ExpectFileDialog(m_dir / "cancelled.wav"));

    EXPECT_TRUE(clicked);
    EXPECT_EQ(label, wxString::FromUTF8("创建音频文件"));
    EXPECT_FALSE(fs::exists(m_dir / "cancelled.wav"));
    EXPECT_EQ(FindDelayDialog(), nullptr);
    EXPECT_TRUE(Frame().IsEnabled());
    ExpectIdleAfterRecording();
}

TEST_F(RecordCommandTest, ClosingTheWindowDuringARecordingCancelsItAndLeavesNoFile) {
    OpenMainWindow(false);
    g_settings.m_nSessionDuration = 240;
    // Ask the window to close (as its close box does) once the recording is under way.
    bool asked = false;
    View().OutputPane()->Bind(wxEVT_TEXT, [&](wxCommandEvent& event) {
        event.Skip();
        if (asked || View().m_nSentCount < 20) return;
        asked = true;
        wxTheApp->CallAfter([this] { Frame().Close(); });
    });

    wxTEST_DIALOG(Command(CMD_RECORD), ExpectFileDialog(m_dir / "closed.wav"));
    EXPECT_TRUE(PumpUntil([this] { return !m_frame; }, 10s));

    EXPECT_TRUE(asked);
    EXPECT_FALSE(fs::exists(m_dir / "closed.wav"));
    EXPECT_FALSE(g_bAbort);
}

TEST_F(RecordCommandTest, WriteErrorEndsTheRecordingWithAMessageAndNoFile) {
    OpenMainWindow(false);
    const wxString failed = wxString::FromUTF8("写入音频文件失败");

    // A file that cannot grow past 1 MB: a full disk, as far as the recording can tell. The
    // limit signal is ignored so that the write just fails (EFBIG).
    {
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = 1 << 20;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        wxString message;
        wxTEST_DIALOG(Command(CMD_RECORD), ExpectFileDialog(m_dir / "full.wav"),
                      ExpectMessage(message, wxID_OK));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_TRUE(message.StartsWith(failed)) << message;
        EXPECT_NE(message.Find(wxString(std::generic_category().message(EFBIG))), wxNOT_FOUND)
            << message;
        EXPECT_TRUE(View().m_bSinkFailed);
        EXPECT_FALSE(fs::exists(m_dir / "full.wav"));
        ExpectIdleAfterRecording();
    }

    // After the failure a recording works again.
    wxString question;
    wxTEST_DIALOG(Command(CMD_RECORD), ExpectFileDialog(m_dir / "fine.wav"),
                  ExpectMessage(question, wxID_NO));
    EXPECT_FALSE(View().m_bSinkFailed);
    EXPECT_GT(fs::file_size(m_dir / "fine.wav"), 44u + 2 * 1'323'000);
}

TEST_F(RecordCommandTest, TargetThatCannotBeCreatedIsReportedAndNothingRuns) {
    OpenMainWindow(false);
    View().OutputPane()->ChangeValue("before");
    // A folder of that name is in the way.
    fs::create_directories(m_dir / "taken.wav");
    wxString message;
    wxTEST_DIALOG(Command(CMD_RECORD), ExpectFileDialog(m_dir / "taken.wav"),
                  ExpectMessage(message, wxID_OK));

    EXPECT_NE(message.Find(wxString::FromUTF8("无法创建音频文件")), wxNOT_FOUND) << message;
    EXPECT_NE(message.Find(wxString(std::generic_category().message(EISDIR))), wxNOT_FOUND)
        << message;
    EXPECT_EQ(View().OutputPane()->GetValue(), "before");  // no session was started
    EXPECT_TRUE(fs::is_directory(m_dir / "taken.wav"));
    ExpectIdleAfterRecording();
}

TEST_F(RecordCommandTest, CompressedFormatsByExtensionOrFilterAndTheChoiceIsRemembered) {
    OpenMainWindow(false);
    g_settings.m_nRecordingFormat = static_cast<int32_t>(RecordingFormat::Wav);
    wxString question;
    // The typed extension decides.
    wxTEST_DIALOG(Command(CMD_RECORD), ExpectFileDialog(m_dir / "take.ogg"),
                  ExpectMessage(question, wxID_NO));
    const auto ogg = ReadAll(m_dir / "take.ogg");
    ASSERT_GT(ogg.size(), 4u);
    EXPECT_EQ(std::string(ogg.begin(), ogg.begin() + 4), "OggS");
    EXPECT_EQ(g_settings.m_nRecordingFormat, static_cast<int32_t>(RecordingFormat::OggVorbis));
    ExpectIdleAfterRecording();

    // The next dialog offers Ogg Vorbis; a name without an extension takes the chosen filter's.
    OfferedFile offered;
    wxTEST_DIALOG(
        Command(CMD_RECORD),
        ExpectFileDialog(m_dir / "plain", &offered, static_cast<int>(RecordingFormat::Flac)),
        ExpectMessage(question, wxID_NO));
    EXPECT_EQ(offered.name, "Morse code 02 12 18.ogg");
    EXPECT_EQ(offered.filterIndex, static_cast<int>(RecordingFormat::OggVorbis));
    for (const char* pattern : {"*.wav", "*.mp3", "*.ogg", "*.opus", "*.flac"})
        EXPECT_NE(offered.wildcard.Find(pattern), wxNOT_FOUND) << pattern;
    const auto flac = ReadAll(m_dir / "plain.flac");
    ASSERT_GT(flac.size(), 4u);
    EXPECT_EQ(std::string(flac.begin(), flac.begin() + 4), "fLaC");
    EXPECT_EQ(g_settings.m_nRecordingFormat, static_cast<int32_t>(RecordingFormat::Flac));
    g_settings.m_nRecordingFormat = static_cast<int32_t>(RecordingFormat::Wav);
}

TEST_F(RecordCommandTest, RecordingIsTheRenderersFileByteForByteForTheSameSettingsAndSeed) {
    OpenMainWindow(false);
    g_settings.m_nCharactersUsed = 7;
    g_settings.m_bDualPitch = false;
    g_settings.m_conditions = SignalConditions{};
    g_settings.m_conditions.noiseOn = true;
    g_settings.m_conditions.fistOn = true;
    View().m_sessionSeed = 20261209;
    wxString question;
    wxTEST_DIALOG(Command(CMD_RECORD), ExpectFileDialog(m_dir / "recorded.wav"),
                  ExpectMessage(question, wxID_NO));
    View().m_sessionSeed.reset();
    g_settings.m_conditions = SignalConditions{};

    const KeyingParameters& k = g_settings.m_keying;
    const std::string command =
        std::string(VELTRANE_RENDER_PROGRAM) + " --quiet --seed 20261209 --koch 7 --duration 1" +
        " --wpm " + std::to_string(k.wordSpeedCpm / 5) + " --char-wpm " +
        std::to_string(k.charSpeedCpm / 5) + " --pitch " + std::to_string(k.pitch) + " --volume " +
        std::to_string(k.volume) + " --master-volume " + std::to_string(k.masterVolume) +
        " --min-group " + std::to_string(g_settings.m_nMinWordLength) + " --max-group " +
        std::to_string(g_settings.m_nMaxWordLength) + " --noise 6 --fist '" +
        (m_dir / "rendered.wav").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const auto recorded = ReadAll(m_dir / "recorded.wav");
    ASSERT_GT(recorded.size(), 44u + 2 * 1'323'000);
    EXPECT_TRUE(recorded == ReadAll(m_dir / "rendered.wav"));
}

}  // namespace
