// Start-up, shut-down and the frame: placement and settings across runs, the splash, the menu,
// and the routing that shows unhandled commands disabled.
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toolbar.h>

#include <csignal>

#include "settings/settings.h"
#include "settings/wx_profile_store.h"
#include "ui/command_ids.h"
#include "ui/control_bar.h"
#include "ui/placement.h"
#include "ui_test_support.h"

namespace {

TEST(PlacementTest, RectanglesTooSmallForTheWindowAreIgnored) {
    EXPECT_FALSE(IsUsablePlacement({0, 0, 0, 0}));
    EXPECT_FALSE(IsUsablePlacement({0, 0, 4, 26}));  // a collapsed window: the menu bar alone
    EXPECT_FALSE(IsUsablePlacement({10, 10, 10, 500}));
    EXPECT_FALSE(IsUsablePlacement({600, 10, 10, 500}));  // right of its left edge
    EXPECT_FALSE(IsUsablePlacement({10, 10, 10 + kMinNormalWidth - 1, 10 + kMinNormalHeight}));
    EXPECT_FALSE(IsUsablePlacement({10, 10, 10 + kMinNormalWidth, 10 + kMinNormalHeight - 1}));
    EXPECT_TRUE(IsUsablePlacement({10, 10, 10 + kMinNormalWidth, 10 + kMinNormalHeight}));
}

TEST(PlacementTest, DefaultRectangleIsThreeQuartersOfTheWorkAreaCentred) {
    EXPECT_EQ(DefaultNormalRect({0, 0, 1280, 1024}), (NormalRect{160, 128, 1120, 896}));
    // A panel on the left and one at the top: centred in what is left.
    EXPECT_EQ(DefaultNormalRect({48, 24, 1968, 1104}), (NormalRect{288, 159, 1728, 969}));
}

TEST(PlacementTest, RectangleIsShiftedBackOntoTheWorkArea) {
    const NormalRect work{0, 0, 1280, 1000};
    // 50 pixels out on the left: moved right by exactly 50, size kept.
    EXPECT_EQ(FitIntoWorkArea({-50, 100, 550, 600}, work), (NormalRect{0, 100, 600, 600}));
    // 30 pixels out on the right: moved left by 30.
    EXPECT_EQ(FitIntoWorkArea({700, 100, 1310, 600}, work), (NormalRect{670, 100, 1280, 600}));
    // Wider than the work area: aligned with its left edge; the axes are independent.
    EXPECT_EQ(FitIntoWorkArea({-10, 950, 1300, 1050}, work), (NormalRect{0, 900, 1310, 1000}));
    // Inside: unchanged. A work area that does not start at 0 (a panel on the left).
    EXPECT_EQ(FitIntoWorkArea({100, 100, 500, 500}, work), (NormalRect{100, 100, 500, 500}));
    EXPECT_EQ(FitIntoWorkArea({0, 0, 400, 400}, {48, 24, 1280, 1000}),
              (NormalRect{48, 24, 448, 424}));
}

using AppFrameTest = UiTest;

TEST_F(AppFrameTest, FirstRunOpensMaximizedWithTheDefaultSettings) {
    OpenMainWindow();
    EXPECT_TRUE(App().m_bMaximized);
    EXPECT_TRUE(Frame().IsMaximized());
    EXPECT_EQ(g_settings.m_nSource, SOURCE_KOCH);
    EXPECT_EQ(g_settings.m_keying.pitch, 700);
    EXPECT_EQ(Frame().GetStatusBar()->GetStatusText(0), wxString::FromUTF8("准备"));
}

TEST_F(AppFrameTest, SettingsAndPlacementAreWrittenAtExitAndReadAtTheNextStart) {
    {
        // A previous run left a normal window that sticks out 50 pixels on the left.
        WxProfileStore store;
        store.WriteInt("Window", "Maximized", 0);
        store.WriteInt("Window", "Left", -50);
        store.WriteInt("Window", "Top", 80);
        store.WriteInt("Window", "Right", 650);
        store.WriteInt("Window", "Bottom", 580);
    }
    OpenMainWindow();
    EXPECT_FALSE(Frame().IsMaximized());
    EXPECT_EQ(Frame().GetRect(), wxRect(0, 80, 700, 500));

    Frame().SetSize(120, 90, 640, 480);
    PumpFor(100ms);
    Command(CMD_VIEW_OUTPUT);
    Command(CMD_SOURCE_ABBREVIATIONS);
    g_settings.m_keying.pitch = 950;
    ASSERT_TRUE(CloseMainWindow());
    App().SaveProfile();
    {
        WxProfileStore store;
        EXPECT_EQ(store.ReadInt("Window", "Maximized", -1), 0);
        EXPECT_EQ(store.ReadInt("Window", "Left", -1), 120);
        EXPECT_EQ(store.ReadInt("Window", "Top", -1), 90);
        EXPECT_EQ(store.ReadInt("Window", "Right", -1), 760);
        EXPECT_EQ(store.ReadInt("Window", "Bottom", -1), 570);
        EXPECT_EQ(store.ReadInt("Settings", "Source", -1), SOURCE_ABBREVIATIONS);
    }

    // The next run starts from the defaults and reads everything back.
    const CSettings defaults;
    g_settings.CopyFrom(defaults);
    OpenMainWindow();
    EXPECT_FALSE(App().m_bMaximized);
    EXPECT_EQ(Frame().GetRect(), wxRect(120, 90, 640, 480));
    EXPECT_TRUE(g_settings.m_bViewOutput);
    EXPECT_TRUE(View().OutputPane()->IsShown());
    EXPECT_EQ(g_settings.m_nSource, SOURCE_ABBREVIATIONS);
    EXPECT_EQ(g_settings.m_keying.pitch, 950);
}

TEST_F(AppFrameTest, MaximizedFrameKeepsItsLastNormalRectangle) {
    OpenMainWindow();
    ASSERT_TRUE(Frame().IsMaximized());
    ASSERT_TRUE(CloseMainWindow());
    App().SaveProfile();
    WxProfileStore store;
    EXPECT_EQ(store.ReadInt("Window", "Maximized", -1), 1);
    // The normal rectangle is the frame's size before it was maximized, not the screen.
    EXPECT_GT(store.ReadInt("Window", "Right", 0) - store.ReadInt("Window", "Left", 0), 0);
    EXPECT_LT(store.ReadInt("Window", "Right", 0) - store.ReadInt("Window", "Left", 0), 1280);
}

// The character speed the profile file holds now, as the next start would read it.
int StoredCharSpeed() {
    CSettings next;
    WxProfileStore store;
    next.ExchangeProfile(store, false);
    return next.m_keying.charSpeedCpm;
}

TEST_F(AppFrameTest, SpeedChangedOnTheControlBarIsInTheProfileWithinASecond) {
    OpenMainWindow();
    const int before = g_settings.m_keying.charSpeedCpm;
    View().ControlBar()->CharSpeed()->SetValue("31");
    const int changed = g_settings.m_keying.charSpeedCpm;
    ASSERT_NE(changed, before);
    // A program killed from now on (SIGKILL runs no code) starts again with the new speed.
    EXPECT_TRUE(PumpUntil([&] { return StoredCharSpeed() == changed; }, 3s));

    // Nothing changed, nothing written.
    const auto written = std::filesystem::last_write_time(m_configDir / "Veltrane.conf");
    PumpFor(1500ms);
    EXPECT_EQ(std::filesystem::last_write_time(m_configDir / "Veltrane.conf"), written);
}

TEST_F(AppFrameTest, TerminateSignalSavesTheProfileAndClosesTheWindow) {
    OpenMainWindow();
    View().ControlBar()->CharSpeed()->SetValue("33");
    const int changed = g_settings.m_keying.charSpeedCpm;
    // Before the change can have been saved on its own.
    ASSERT_EQ(::raise(SIGTERM), 0);
    EXPECT_TRUE(PumpUntil([this] { return !m_frame; }, 5s));
    EXPECT_EQ(StoredCharSpeed(), changed);
}

TEST_F(AppFrameTest, SplashKeepsTheFrameDisabledForItsTime) {
    bool disabledMeanwhile = false;
    wxTimer probe;
    probe.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        disabledMeanwhile = App().MainFrame() != nullptr && !App().MainFrame()->IsEnabled();
    });
    probe.StartOnce(150);
    const auto start = std::chrono::steady_clock::now();
    OpenMainWindow(true, 100ms, 400);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms);
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_TRUE(Frame().IsEnabled());
}

TEST_F(AppFrameTest, MenuHoldsTheCommandTableWithoutTheQsoSources) {
    OpenMainWindow();
    wxMenuBar* bar = Frame().GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 7u);
    EXPECT_EQ(bar->GetMenuLabelText(0), wxString::FromUTF8("文件"));
    EXPECT_EQ(bar->GetMenuLabelText(6), wxString::FromUTF8("帮助"));
    EXPECT_EQ(bar->FindItem(MenuItemId(CMD_SOURCE_QSO_PLAIN)), nullptr);
    EXPECT_EQ(bar->FindItem(MenuItemId(CMD_SOURCE_QSO_REAL)), nullptr);
    const wxMenuItem* start = bar->FindItem(MenuItemId(CMD_START));
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->GetItemLabel(), wxString::FromUTF8("开始(&P)\tF2"));
    EXPECT_EQ(start->GetHelp(), wxString::FromUTF8("开始训练"));
    // The source menu keeps its eight other items and two separators.
    EXPECT_EQ(bar->GetMenu(4)->GetMenuItemCount(), 10u);

    // Tool bar order, with its tool tips and prompts.
    wxToolBar* tools = Frame().ToolBar();
    const int order[] = {CMD_START,      CMD_PAUSE,      CMD_STOP,        CMD_RECORD,
                         CMD_ABORT,      wxID_SEPARATOR, CMD_VIEW_OUTPUT, CMD_USE_CAPS,
                         wxID_SEPARATOR, CMD_CUT,        CMD_COPY,        CMD_PASTE};
    ASSERT_EQ(tools->GetToolsCount(), std::size(order));
    for (size_t i = 0; i < std::size(order); ++i)
        EXPECT_EQ(tools->GetToolByPos(static_cast<int>(i))->GetId(), order[i]) << i;
    EXPECT_EQ(tools->GetToolShortHelp(CMD_ABORT), wxString::FromUTF8("中止"));
    EXPECT_EQ(tools->GetToolLongHelp(CMD_ABORT), wxString::FromUTF8("立即中止训练"));
}

TEST_F(AppFrameTest, CommandsWithoutHandlerAreDisabledAndIgnored) {
    OpenMainWindow();
    for (int id : {CMD_UNDO, CMD_NEXT_PANE, CMD_PREV_PANE, CMD_SOURCE_QSO_PLAIN})
        EXPECT_FALSE(State(id).enabled) << id;
    for (int id : {CMD_EXIT, CMD_VIEW_TOOLBAR, CMD_SOURCE_KOCH, CMD_DONATE, CMD_ABOUT})
        EXPECT_TRUE(State(id).enabled) << id;

    // The menu items show the same state after the update pass of an opened menu.
    wxMenuBar* bar = Frame().GetMenuBar();
    Frame().UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_FALSE(bar->IsEnabled(MenuItemId(CMD_UNDO)));
    EXPECT_TRUE(bar->IsEnabled(MenuItemId(CMD_VIEW_OUTPUT)));

    // A disabled command sent anyway (as from its key) does nothing.
    g_settings.m_nSource = SOURCE_KOCH;
    Command(CMD_SOURCE_QSO_REAL);
    EXPECT_EQ(g_settings.m_nSource, SOURCE_KOCH);
}

TEST_F(AppFrameTest, ToolBarAndStatusBarToggle) {
    OpenMainWindow();
    EXPECT_TRUE(State(CMD_VIEW_TOOLBAR).checked);
    Command(CMD_VIEW_TOOLBAR);
    EXPECT_FALSE(Frame().ToolBar()->IsShown());
    EXPECT_FALSE(State(CMD_VIEW_TOOLBAR).checked);
    Command(CMD_VIEW_TOOLBAR);
    EXPECT_TRUE(Frame().ToolBar()->IsShown());

    Command(CMD_VIEW_STATUS_BAR);
    EXPECT_FALSE(Frame().GetStatusBar()->IsShown());
    EXPECT_FALSE(State(CMD_VIEW_STATUS_BAR).checked);
    Command(CMD_VIEW_STATUS_BAR);
    EXPECT_TRUE(State(CMD_VIEW_STATUS_BAR).checked);
}

}  // namespace
