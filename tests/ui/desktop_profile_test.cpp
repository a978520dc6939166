// The frame's placement and the profile on a desktop with a window manager: a first run opens
// maximized with a sensible normal rectangle to return to, a collapsed saved rectangle is
// treated as damaged, and the real program terminated by SIGTERM keeps its profile.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <wx/display.h>
#include <wx/statusbr.h>
#include <wx/timer.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "settings/wx_profile_store.h"
#include "ui/about_dialog.h"
#include "ui/code_table_panel.h"
#include "ui/placement.h"
#include "ui_test_support.h"

namespace {

NormalRect WorkArea() {
    const wxRect area = wxDisplay().GetClientArea();
    return {area.GetLeft(), area.GetTop(), area.GetRight() + 1, area.GetBottom() + 1};
}

NormalRect RectOf(const wxRect& rect) {
    return {rect.GetLeft(), rect.GetTop(), rect.GetRight() + 1, rect.GetBottom() + 1};
}

NormalRect StoredNormalRect(WxProfileStore& store) {
    return {store.ReadInt("Window", "Left", 0), store.ReadInt("Window", "Top", 0),
            store.ReadInt("Window", "Right", 0), store.ReadInt("Window", "Bottom", 0)};
}

// The window manager adds its frame around the client: a few pixels either way.
void ExpectNear(const NormalRect& actual, const NormalRect& expected) {
    constexpr int kDecoration = 40;
    EXPECT_NEAR(actual.left, expected.left, kDecoration);
    EXPECT_NEAR(actual.top, expected.top, kDecoration);
    EXPECT_NEAR(actual.Width(), expected.Width(), kDecoration);
    EXPECT_NEAR(actual.Height(), expected.Height(), kDecoration);
}

using DesktopPlacementTest = UiTest;

TEST_F(DesktopPlacementTest, FirstRunUnmaximizesToThreeQuartersOfTheWorkArea) {
    OpenMainWindow();
    ASSERT_TRUE(PumpUntil([this] { return Frame().IsMaximized(); }, 5s));
    PumpFor(300ms);
    Frame().Maximize(false);
    ASSERT_TRUE(PumpUntil([this] { return !Frame().IsMaximized(); }, 5s));
    PumpFor(500ms);
    const NormalRect expected = DefaultNormalRect(WorkArea());
    ExpectNear(RectOf(Frame().GetRect()), expected);

    // Maximized again and closed: what is saved is the real normal rectangle.
    const NormalRect normal = RectOf(Frame().GetRect());
    Frame().Maximize(true);
    ASSERT_TRUE(PumpUntil([this] { return Frame().IsMaximized(); }, 5s));
    PumpFor(300ms);
    ASSERT_TRUE(CloseMainWindow());
    App().SaveProfile();
    WxProfileStore store;
    EXPECT_EQ(store.ReadInt("Window", "Maximized", -1), 1);
    EXPECT_EQ(StoredNormalRect(store), normal);
}

TEST_F(DesktopPlacementTest, CollapsedSavedRectangleIsTreatedAsDamaged) {
    {
        // What an earlier version saved after a first maximized run.
        WxProfileStore store;
        store.WriteInt("Window", "Maximized", 1);
        store.WriteInt("Window", "Left", 0);
        store.WriteInt("Window", "Top", 0);
        store.WriteInt("Window", "Right", 4);
        store.WriteInt("Window", "Bottom", 26);
    }
    OpenMainWindow();
    ASSERT_TRUE(PumpUntil([this] { return Frame().IsMaximized(); }, 5s));
    PumpFor(300ms);
    Frame().Maximize(false);
    ASSERT_TRUE(PumpUntil([this] { return !Frame().IsMaximized(); }, 5s));
    PumpFor(500ms);
    const wxRect rect = Frame().GetRect();
    EXPECT_GE(rect.GetWidth(), kMinNormalWidth);
    EXPECT_GE(rect.GetHeight(), kMinNormalHeight);
    ExpectNear(RectOf(rect), DefaultNormalRect(WorkArea()));
}

TEST_F(DesktopPlacementTest, CodeTableKeepsEveryCharacterReachableInALowWindow) {
    g_settings.m_bViewCodes = true;
    OpenMainWindow();
    ASSERT_TRUE(PumpUntil([this] { return Frame().IsMaximized(); }, 5s));
    Frame().Maximize(false);
    ASSERT_TRUE(PumpUntil([this] { return !Frame().IsMaximized(); }, 5s));
    CCodeTableDialog* host = View().CodeTable();
    CCodeTablePanel* panel = host->Panel();
    for (const int height : {640, 480}) {
        SCOPED_TRACE(height);
        Frame().SetSize(100, 50, 900, height);
        ASSERT_TRUE(PumpUntil([&] { return Frame().GetSize().y == height; }, 5s));
        PumpFor(300ms);
        ASSERT_TRUE(host->IsShown());
        // The table's window lies inside the frame, above the status bar.
        const wxRect shown = host->GetScreenRect();
        EXPECT_LE(shown.GetBottom(), Frame().GetStatusBar()->GetScreenRect().GetTop());
        ASSERT_FALSE(panel->CellRects().empty());
        // Every character can be brought into view and clicked there.
        int stepX = 0, stepY = 0;
        host->GetScrollPixelsPerUnit(&stepX, &stepY);
        for (size_t i = 0; i < panel->CellRects().size(); ++i) {
            const CellRect& cell = panel->CellRects()[i];
            if (stepY > 0) host->Scroll(-1, cell.top / stepY);
            const int top = panel->GetPosition().y + cell.top;
            const int bottom = panel->GetPosition().y + cell.bottom;
            EXPECT_TRUE(top >= 0 && bottom <= host->GetClientSize().y)
                << "'" << panel->ShownCharacters()[i] << "' at " << cell.top << " of a table "
                << host->GetClientSize().y << " high";
        }
        host->Scroll(-1, 0);
    }
}

TEST_F(DesktopPlacementTest, SplashIsCentredOverTheMainFrame) {
    {
        // A normal window in the top left corner, away from the screen's centre.
        WxProfileStore store;
        store.WriteInt("Window", "Maximized", 0);
        store.WriteInt("Window", "Left", 0);
        store.WriteInt("Window", "Top", 0);
        store.WriteInt("Window", "Right", 800);
        store.WriteInt("Window", "Bottom", 600);
    }
    wxPoint splashCentre, frameCentre;
    bool seen = false;
    wxTimer probe;
    probe.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        for (wxWindow* window : wxTopLevelWindows)
            if (auto* splash = dynamic_cast<CAboutDialog*>(window);
                splash != nullptr && splash->IsSplash() && App().MainFrame() != nullptr) {
                const wxRect s = splash->GetScreenRect();
                const wxRect f = App().MainFrame()->GetScreenRect();
                splashCentre = s.GetPosition() + s.GetSize() / 2;
                frameCentre = f.GetPosition() + f.GetSize() / 2;
                seen = true;
            }
    });
    // Late in the splash's time, once the window manager has placed the frame.
    probe.StartOnce(1200);
    OpenMainWindow(true, 100ms, 1500);
    ASSERT_TRUE(seen);
    EXPECT_NEAR(splashCentre.x, frameCentre.x, 30);
    EXPECT_NEAR(splashCentre.y, frameCentre.y, 30);
}

// ---- The real program ----------------------------------------------------------------------

class ProgramProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_home = std::filesystem::temp_directory_path() /
                 ("veltrane-program-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_home / "config");
    }
    void TearDown() override {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        std::filesystem::remove_all(m_home);
    }

    void Start() {
        m_pid = ::fork();
        ASSERT_GE(m_pid, 0);
        if (m_pid == 0) {
            setenv("HOME", m_home.c_str(), 1);
            setenv("XDG_CONFIG_HOME", (m_home / "config").c_str(), 1);
            setenv("XDG_DATA_HOME", (m_home / "data").c_str(), 1);
            ::execl(VELTRANE_PROGRAM, VELTRANE_PROGRAM, static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }

    // True once the program's main window is on the screen.
    bool WindowShown(std::chrono::milliseconds timeout) {
        const std::string command = "xdotool search --onlyvisible --pid " +
                                    std::to_string(m_pid) + " --name Veltrane >/dev/null 2>&1";
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (std::system(command.c_str()) == 0) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }

    // The program's exit status, or -1 when it has not ended within the timeout.
    int WaitForExit(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = 0;
                return status;
            }
            std::this_thread::sleep_for(50ms);
        }
        return -1;
    }

    std::filesystem::path m_home;
    pid_t m_pid = 0;
};

TEST_F(ProgramProcessTest, TerminatedProgramSavesItsProfileAndEndsNormally) {
    Start();
    ASSERT_TRUE(WindowShown(20s)) << "the program's window did not appear";
    // Past the splash, which takes no input.
    std::this_thread::sleep_for(std::chrono::milliseconds(CTrainerApp::kSplashMilliseconds) +
                                1s);
    ASSERT_EQ(::kill(m_pid, SIGTERM), 0);
    const int status = WaitForExit(10s);
    ASSERT_NE(status, -1) << "the program did not end after SIGTERM";
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);

    const std::filesystem::path profile = m_home / "config" / "Veltrane.conf";
    ASSERT_TRUE(std::filesystem::exists(profile));
    setenv("XDG_CONFIG_HOME", (m_home / "config").c_str(), 1);
    WxProfileStore store;
    EXPECT_EQ(store.ReadInt("Window", "Maximized", -1), 1);
    ExpectNear(StoredNormalRect(store), DefaultNormalRect(WorkArea()));
    EXPECT_EQ(store.ReadInt("Settings", "Pitch", -1), 700);
}

}  // namespace
