// The keyboard focus on a desktop with a window manager: after every window the view opens and
// closes, what the learner types reaches the copy pane without a click. Keys go through the X
// server (XTest), so they land wherever the real focus is; no test sets the focus itself.
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <wx/button.h>
#include <wx/timer.h>

#include <string>

#include "scoring/score_tally.h"
#include "ui/results_dialog.h"
#include "ui_test_support.h"

namespace {

class DesktopFocusTest : public UiTest {
protected:
    // Opens the main window and waits until the window manager has made it the active one.
    void OpenActiveMainWindow() {
        OpenMainWindow();
        ASSERT_TRUE(PumpUntil([this] { return Frame().IsActive(); }, 5s))
            << "the window manager did not activate the main window";
        PumpFor(100ms);
    }

    // Types text through the X server and reports what reached the copy pane.
    wxString TypeIntoFocus(const char* text) {
        const wxString before = View().CopyPane()->GetValue();
        wxUIActionSimulator keys;
        keys.Text(text);
        PumpUntil([&] { return View().CopyPane()->GetValue().length() >= before.length() +
                                                                          strlen(text); },
                  2s);
        return View().CopyPane()->GetValue().Mid(before.length());
    }

    // Waits for a modal dialog of the given type to come up, then presses a key in it.
    template <typename Dialog>
    static void PressInDialogWhenShown(int key) {
        wxTheApp->CallAfter([key] {
            PumpUntil([] { return ActiveDialog<Dialog>() != nullptr; }, 5s);
            PumpFor(200ms);
            wxUIActionSimulator keys;
            keys.Char(key);
        });
    }

    template <typename Dialog>
    static Dialog* ActiveDialog() {
        for (wxWindow* window : wxTopLevelWindows)
            if (auto* dialog = dynamic_cast<Dialog*>(window);
                dialog != nullptr && dialog->IsShown() && dialog->IsActive())
                return dialog;
        return nullptr;
    }
};

TEST_F(DesktopFocusTest, TypingReachesTheCopyPaneAtStartUp) {
    OpenActiveMainWindow();
    EXPECT_EQ(TypeIntoFocus("kmr"), "kmr");
}

TEST_F(DesktopFocusTest, TypingReachesTheCopyPaneAfterTheCountdown) {
    g_settings.m_nInitialDelay = 1;
    g_settings.m_nSource = SOURCE_KOCH;
    g_settings.m_nSessionDuration = 1;
    OpenActiveMainWindow();
    Command(CMD_START);
    ASSERT_TRUE(PumpUntil([this] { return Playing(); }, 5s));
    PumpUntil([this] { return Frame().IsActive(); }, 2s);
    EXPECT_EQ(TypeIntoFocus("kmr"), "kmr");

    // Pause, then resume through the countdown again.
    Command(CMD_PAUSE);
    ASSERT_TRUE(WaitForThreadEnd());
    Command(CMD_PAUSE);
    ASSERT_TRUE(PumpUntil([this] { return Playing(); }, 5s));
    PumpUntil([this] { return Frame().IsActive(); }, 2s);
    EXPECT_EQ(TypeIntoFocus("rk"), "rk");
    Command(CMD_ABORT);
    ASSERT_TRUE(WaitForThreadEnd());
}

TEST_F(DesktopFocusTest, TypingReachesTheCopyPaneAfterTheDialogsOfTheView) {
    OpenActiveMainWindow();
    struct Case {
        const char* name;
        int command;
    };
    // The options sheet and the two source dialogs, each closed with Escape.
    for (const Case& shown : {Case{"options", CMD_OPTIONS}, Case{"charset", CMD_SOURCE_CHARSET},
                              Case{"words", CMD_SOURCE_WORDS}}) {
        SCOPED_TRACE(shown.name);
        PressInDialogWhenShown<wxDialog>(WXK_ESCAPE);
        Command(shown.command);
        PumpUntil([this] { return Frame().IsActive(); }, 2s);
        EXPECT_EQ(TypeIntoFocus("km"), "km");
        View().CopyPane()->Clear();
    }
}

TEST_F(DesktopFocusTest, TypingReachesTheCopyPaneAfterHelpAndAbout) {
    OpenActiveMainWindow();
    Command(CMD_HELP);
    wxFrame* help = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (wxWindow* window : wxTopLevelWindows)
                if (window != &Frame() && window->IsShown() && dynamic_cast<wxFrame*>(window))
                    help = static_cast<wxFrame*>(window);
            return help != nullptr && help->IsActive();
        },
        5s));
    help->Close();
    ASSERT_TRUE(PumpUntil([this] { return Frame().IsActive(); }, 5s));
    EXPECT_EQ(TypeIntoFocus("km"), "km");

    PressInDialogWhenShown<wxDialog>(WXK_ESCAPE);
    Command(CMD_ABOUT);
    PumpUntil([this] { return Frame().IsActive(); }, 2s);
    EXPECT_EQ(TypeIntoFocus("r"), "r");
}

// ---- The results dialog ------------------------------------------------------------------

class ResultsKeyGuardTest : public DesktopFocusTest {
protected:
    void SetUp() override {
        DesktopFocusTest::SetUp();
        m_tally.Clear();
        m_tally.correct['K'] = 3;
        m_tally.correctTotal = 3;
    }

    // Shows the results dialog and runs act once it is active; a dialog still open after 10 s
    // is ended with Cancel so that the test cannot hang. Returns what ShowModal returned.
    int ShowResults(const std::function<void(CResultsDialog&)>& act) {
        CResultsDialog dialog(&Frame(), &m_tally, 60);
        wxTimer limit;
        limit.Bind(wxEVT_TIMER, [&dialog](wxTimerEvent&) { dialog.EndModal(wxID_CANCEL); });
        limit.StartOnce(10000);
        wxTheApp->CallAfter([&dialog, &act] {
            EXPECT_TRUE(PumpUntil([&dialog] { return dialog.IsActive(); }, 5s));
            act(dialog);
        });
        return dialog.ShowModal();
    }

    ScoreTally m_tally;
};

TEST_F(ResultsKeyGuardTest, KeysOfTheCopyDoNotCloseItInItsFirstSecond) {
    OpenActiveMainWindow();
    bool openAfterKeys = false;
    bool keysWithinGuard = false;
    const int result = ShowResults([&](CResultsDialog& dialog) {
        const auto start = std::chrono::steady_clock::now();
        wxUIActionSimulator keys;
        // The end of a group being copied, then what a learner might press next.
        keys.Text("k ");
        keys.Char(WXK_RETURN);
        keys.Char(WXK_ESCAPE);
        PumpFor(200ms);
        keysWithinGuard = std::chrono::steady_clock::now() - start < CResultsDialog::kKeyGuard;
        openAfterKeys = dialog.IsShown();
        PumpFor(CResultsDialog::kKeyGuard);
        // After the guard, Enter closes it as before.
        keys.Char(WXK_RETURN);
    });
    ASSERT_TRUE(keysWithinGuard) << "the keys took longer than the guard to arrive";
    EXPECT_TRUE(openAfterKeys);
    EXPECT_EQ(result, wxID_OK);
}

TEST_F(ResultsKeyGuardTest, EscapeClosesItAfterTheGuard) {
    OpenActiveMainWindow();
    const int result = ShowResults([](CResultsDialog&) {
        PumpFor(CResultsDialog::kKeyGuard + 100ms);
        wxUIActionSimulator keys;
        keys.Char(WXK_ESCAPE);
    });
    EXPECT_EQ(result, wxID_OK);
}

TEST_F(ResultsKeyGuardTest, ClickOnOkClosesItAtOnce) {
    OpenActiveMainWindow();
    // Clicked within the guard; a dialog the click did not close would end with Cancel.
    const int result = ShowResults([](CResultsDialog& dialog) {
        auto* ok = dynamic_cast<wxButton*>(dialog.FindWindow(wxID_OK));
        ASSERT_NE(ok, nullptr);
        wxUIActionSimulator mouse;
        mouse.MouseMove(ok->ClientToScreen(wxPoint(ok->GetSize().x / 2, ok->GetSize().y / 2)));
        PumpFor(50ms);
        mouse.MouseClick();
    });
    EXPECT_EQ(result, wxID_OK);
}

}  // namespace
