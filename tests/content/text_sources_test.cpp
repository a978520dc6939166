#include "content/text_sources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "content/charset.h"
#include "engine/audio_flags.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path& path) {
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

// Plays the user interface: answers the dialogs from a script and records what it was asked.
class ScriptedHost : public TextSourceHost {
public:
    std::optional<std::string> typedText;  // nullopt: the input-text dialog is cancelled
    std::optional<std::string> filePath;   // nullopt: the file dialog is cancelled
    int stopCalls = 0;
    int typedAsked = 0;
    std::vector<std::string> fileDialogSeeds;

    void StopSessionAndWait() override {
        ++stopCalls;
        g_nActiveStreams = 0;  // the stopped session's stream ends
    }
    bool AskTypedText(std::string& cp1252Text) override {
        ++typedAsked;
        if (!typedText) return false;
        cp1252Text = *typedText;
        return true;
    }
    bool AskTextFile(const std::string& initialPathUtf8, std::string& chosenPathUtf8) override {
        fileDialogSeeds.push_back(initialPathUtf8);
        if (!filePath) return false;
        chosenPathUtf8 = *filePath;
        return true;
    }
};

// Works in a fresh folder and restores every global it touches.
class TextSources : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / (std::string("veltrane_text_sources_") + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_savedCharSet = g_settings.m_charSet;
        m_savedSource = g_settings.m_nSource;
        m_savedLastFile = g_settings.m_strLastTextFile;
        m_savedLines = g_textLines;
        g_settings.m_charSet.ResetDefaults();
        g_settings.m_strLastTextFile = "/previous/file.txt";
        g_textLines = {"old line"};
    }
    void TearDown() override {
        g_settings.m_charSet = m_savedCharSet;
        g_settings.m_nSource = m_savedSource;
        g_settings.m_strLastTextFile = m_savedLastFile;
        g_textLines = m_savedLines;
        g_nActiveStreams = 0;
        fs::remove_all(m_dir);
    }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const fs::path path = m_dir / fs::path(std::u8string(name.begin(), name.end()));
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return Utf8(path);
    }

    // Runs a file-source preparation of the given file and checks that a failure left the
    // session text empty and "Last text file used" as it was.
    bool PrepareFile(int source, const std::string& path) {
        g_settings.m_nSource = source;
        m_host.filePath = path;
        m_text = "text of the previous session";
        const bool ok = Prepare(&m_name);
        if (!ok) {
            EXPECT_EQ(m_text, "");
            EXPECT_EQ(g_settings.m_strLastTextFile, "/previous/file.txt");
            EXPECT_EQ(m_name, "untouched");
        }
        return ok;
    }

    // Prepares the session text; a ready file's path goes to chosenPath when given.
    bool Prepare(std::string* chosenPath) {
        m_last = PrepareSessionText(m_host, m_text);
        const bool ready = m_last.result == PrepareResult::Ready;
        if (ready && chosenPath != nullptr && !m_last.chosenPathUtf8.empty())
            *chosenPath = m_last.chosenPathUtf8;
        return ready;
    }

    fs::path m_dir;
    ScriptedHost m_host;
    PreparedText m_last;
    std::string m_text;
    std::string m_name = "untouched";

private:
    CharacterSet m_savedCharSet;
    int m_savedSource = 0;
    std::string m_savedLastFile;
    std::vector<std::string> m_savedLines;
};

TEST_F(TextSources, TypedTextIsPreparedAndNamesNoFile) {
    g_settings.m_nSource = SOURCE_TYPED_TEXT;
    m_host.typedText = "\\SK test";
    m_text = "old";
    EXPECT_TRUE(Prepare(&m_name));
    EXPECT_EQ(m_text, "\x06 test");
    EXPECT_EQ(m_name, "untouched");
    EXPECT_EQ(g_settings.m_strLastTextFile, "/previous/file.txt");
    EXPECT_TRUE(m_host.fileDialogSeeds.empty());

    m_host.typedText = "#$ %";  // nothing of the set
    EXPECT_FALSE(Prepare(nullptr));
    EXPECT_EQ(m_text, "");

    m_host.typedText.reset();  // cancelled
    m_text = "old";
    EXPECT_FALSE(Prepare(&m_name));
    EXPECT_EQ(m_text, "");
    EXPECT_EQ(m_host.typedAsked, 3);
}

TEST_F(TextSources, Utf8PracticeFilePreparesAsWritten) {
    // Saved as UTF-8 with a byte order mark, in a folder named in Chinese.
    const std::string bom = "\xEF\xBB\xBF";
    const std::string path =
        WriteFile("练习/text.txt", bom + "Der B\xC3\xA4r sagt\r\nhallo \\SK\n");
    EXPECT_TRUE(PrepareFile(SOURCE_TEXT_FILE, path));
    EXPECT_EQ(m_text, "Der Baer sagt hallo \x06");
    EXPECT_EQ(m_name, path);
    EXPECT_EQ(g_settings.m_strLastTextFile, path);
    ASSERT_EQ(m_host.fileDialogSeeds.size(), 1u);
    EXPECT_EQ(m_host.fileDialogSeeds[0], "/previous/file.txt");
    EXPECT_EQ(m_host.stopCalls, 0);

    // Not UTF-8: taken as Windows-1252 bytes.
    EXPECT_TRUE(PrepareFile(SOURCE_TEXT_FILE, WriteFile("ansi.txt", "B\xE4r")));
    EXPECT_EQ(m_text, "Baer");
}

TEST_F(TextSources, FilesWithoutUsableTextAreRefused) {
    EXPECT_FALSE(PrepareFile(SOURCE_TEXT_FILE, WriteFile("symbols.txt", "#$ $#\n")));
    EXPECT_FALSE(PrepareFile(SOURCE_TEXT_FILE, WriteFile("empty.txt", "")));
    EXPECT_FALSE(PrepareFile(SOURCE_TEXT_FILE, WriteFile("bom.txt", "\xEF\xBB\xBF")));
    EXPECT_FALSE(
        PrepareFile(SOURCE_TEXT_FILE, WriteFile("binary.txt", std::string("ELF\0\0text\0", 11))));
    EXPECT_FALSE(PrepareFile(SOURCE_TEXT_FILE, Utf8(m_dir / "missing.txt")));
    EXPECT_FALSE(PrepareFile(SOURCE_TEXT_FILE, Utf8(m_dir)));  // a directory
    EXPECT_FALSE(PrepareFile(SOURCE_LINE_FILE, Utf8(m_dir / "missing.txt")));
    EXPECT_EQ(g_textLines, std::vector<std::string>{"old line"});  // no file, lines kept

    m_host.filePath.reset();  // cancelled
    g_settings.m_nSource = SOURCE_TEXT_FILE;
    m_text = "old";
    EXPECT_FALSE(Prepare(&m_name));
    EXPECT_EQ(m_text, "");
}

TEST_F(TextSources, ReadTextFileReportsWhyAFileIsRefused) {
    std::string out = "kept";
    EXPECT_EQ(ReadTextFile(Utf8(m_dir / "missing.txt"), out), ReadResult::Unreadable);
    EXPECT_EQ(ReadTextFile(Utf8(m_dir), out), ReadResult::Unreadable);
    EXPECT_EQ(ReadTextFile(WriteFile("empty.txt", ""), out), ReadResult::Empty);
    EXPECT_EQ(ReadTextFile(WriteFile("nul.txt", std::string("a\0b", 3)), out), ReadResult::NotText);
    // One byte over the limit, as a sparse file: refused without reading it.
    const std::string big = WriteFile("big.txt", "");
    fs::resize_file(big, kMaxTextFileBytes + 1);
    EXPECT_EQ(ReadTextFile(big, out), ReadResult::TooLarge);
    EXPECT_EQ(out, "kept");

    EXPECT_EQ(ReadTextFile(WriteFile("ok.txt", "caf\xC3\xA9\n"), out), ReadResult::Ok);
    EXPECT_EQ(out, "caf\xE9\n");
}

// A refusal says why, with the file chosen, so that Start and Record never read it again.
TEST_F(TextSources, ARefusedPreparationSaysWhyAndNamesTheChosenFile) {
    const std::string big = WriteFile("big.txt", "");
    fs::resize_file(big, kMaxTextFileBytes + 1);
    const std::pair<std::string, PrepareResult> cases[] = {
        {WriteFile("nul.txt", std::string("a\0b", 3)), PrepareResult::NotText},
        {big, PrepareResult::TooLarge},
        {Utf8(m_dir / "missing.txt"), PrepareResult::Unreadable},
        {WriteFile("empty.txt", ""), PrepareResult::Empty},
        {WriteFile("symbols.txt", "#$ $#\n"), PrepareResult::Empty},
    };
    for (const auto& [path, why] : cases) {
        EXPECT_FALSE(PrepareFile(SOURCE_TEXT_FILE, path)) << path;
        EXPECT_EQ(m_last.result, why) << path;
        EXPECT_EQ(m_last.chosenPathUtf8, path);
    }
    EXPECT_FALSE(PrepareFile(SOURCE_LINE_FILE, WriteFile("none.txt", "#\n$\r\n")));
    EXPECT_EQ(m_last.result, PrepareResult::Empty);

    m_host.filePath.reset();
    EXPECT_FALSE(Prepare(&m_name));
    EXPECT_EQ(m_last.result, PrepareResult::Cancelled);
    EXPECT_EQ(m_last.chosenPathUtf8, "");

    g_settings.m_nSource = SOURCE_TYPED_TEXT;
    m_host.typedText = "#$ %";
    EXPECT_FALSE(Prepare(&m_name));
    EXPECT_EQ(m_last.result, PrepareResult::Empty);
    m_host.typedText.reset();
    EXPECT_FALSE(Prepare(&m_name));
    EXPECT_EQ(m_last.result, PrepareResult::Cancelled);
}

TEST_F(TextSources, LineFileKeepsOnlyLinesWithCharactersOfTheSet) {
    const std::string path = WriteFile("lines.txt", "  cq de dl1abc  \r\n\r\n#$%&\n");
    EXPECT_TRUE(PrepareFile(SOURCE_LINE_FILE, path));
    EXPECT_EQ(g_textLines, std::vector<std::string>{"cq de dl1abc"});
    EXPECT_EQ(m_text, "");  // the generator draws lines; no fixed text
    EXPECT_EQ(m_name, path);
    EXPECT_EQ(g_settings.m_strLastTextFile, path);

    g_settings.m_strLastTextFile = "/previous/file.txt";
    m_name = "untouched";
    EXPECT_FALSE(PrepareFile(SOURCE_LINE_FILE, WriteFile("none.txt", "#\n$\r\n")));
    EXPECT_TRUE(g_textLines.empty());
}

TEST_F(TextSources, SplitLinesSplitsAtEveryRunOfLineBreaks) {
    EXPECT_EQ(SplitLines("one\rtwo\r\n\r\nthree\n\n\nfour  five \n"), 4);
    EXPECT_EQ(g_textLines, (std::vector<std::string>{"one", "two", "three", "four five"}));
    EXPECT_EQ(SplitLines("\r\n\n"), 0);
    EXPECT_TRUE(g_textLines.empty());
    EXPECT_EQ(SplitLines("no break"), 1);
    EXPECT_EQ(g_textLines[0], "no break");
}

TEST_F(TextSources, APlayingSessionIsStoppedFirst) {
    const std::string path = WriteFile("a.txt", "abc");
    g_nActiveStreams = 1;
    EXPECT_TRUE(PrepareFile(SOURCE_TEXT_FILE, path));
    EXPECT_EQ(m_host.stopCalls, 1);
    EXPECT_TRUE(PrepareFile(SOURCE_TEXT_FILE, path));
    EXPECT_EQ(m_host.stopCalls, 1);  // nothing playing: no Stop
}

}  // namespace
