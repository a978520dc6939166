// Session control in the real main window with a scripted sound device: the command states, a
// whole session from F2 to the results, pause and resumption, abort, the countdown, the status
// panes, the clicked character, and closing the window at every stage of a session.
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <string>

#include "engine/audio_flags.h"
#include "options/input_text_dialog.h"
#include "settings/settings.h"
#include "ui/command_ids.h"
#include "ui/results_dialog.h"
#include "ui_test_support.h"

namespace {

// Answers the input-text dialog with a text, as if typed and confirmed.
class ExpectTypedText : public wxExpectModalBase<CInputTextDialog, ExpectTypedText> {
public:
    explicit ExpectTypedText(const char* text) : m_text(text) {}

protected:
    int OnInvoked(CInputTextDialog* dialog) const override {
        auto* edit = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(CInputTextDialog::IDC_TEXT));
        edit->SetValue(wxString::FromUTF8(m_text));
        dialog->TransferDataFromWindow();
        return wxID_OK;
    }

private:
    const char* m_text;
};

// What the results dialog showed.
struct ShownResults {
    bool shown = false;
    wxString correct;
    wxString wrong;
};

class ExpectResults : public wxExpectModalBase<CResultsDialog, ExpectResults> {
public:
    explicit ExpectResults(ShownResults& seen) : m_seen(&seen) {}

protected:
    int OnInvoked(CResultsDialog* dialog) const override {
        const auto field = [dialog](int id) {
            return dynamic_cast<wxTextCtrl*>(dialog->FindWindow(id))->GetValue();
        };
        m_seen->shown = true;
        m_seen->correct = field(CResultsDialog::IDC_CORRECT_TOTAL);
        m_seen->wrong = field(CResultsDialog::IDC_WRONG_TOTAL);
        return wxID_OK;
    }

private:
    ShownResults* m_seen;
};

// Holds back the first session-finished command the view is sent, so that a test can handle
// other commands before it, as if they had been queued first.
class HoldFinishedCommand : public wxEventFilter {
public:
    HoldFinishedCommand() { wxEvtHandler::AddFilter(this); }
    ~HoldFinishedCommand() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override {
        if (held || event.GetEventType() != wxEVT_MENU || event.GetId() != CMD_SESSION_FINISHED)
            return Event_Skip;
        held = true;
        return Event_Processed;
    }
    bool held = false;
};

class SessionControlTest : public UiTest {
protected:
    // The learner copies perfectly: whatever the output pane shows is typed into the copy pane.
    void CopyWhatWasSent() {
        const wxString sent = View().OutputPane()->GetValue();
        const wxString copied = View().CopyPane()->GetValue();
        if (copied.length() < sent.length())
            View().CopyPane()->AppendText(sent.Mid(copied.length()));
    }

    bool RecordRuleAllows() {
        wxUpdateUIEvent update(CMD_RECORD);
        View().GetEventHandler()->ProcessEventLocally(update);
        return update.GetEnabled();
    }

    void ExpectStates(const char* stage, CommandState start, CommandState pause, CommandState stop,
                      bool abort) {
        SCOPED_TRACE(stage);
        const auto same = [](CommandState a, CommandState b) {
            return a.enabled == b.enabled && a.checked == b.checked;
        };
        EXPECT_TRUE(same(State(CMD_START), start));
        EXPECT_TRUE(same(State(CMD_PAUSE), pause));
        EXPECT_TRUE(same(State(CMD_STOP), stop));
        EXPECT_EQ(State(CMD_ABORT).enabled, abort);
        EXPECT_FALSE(State(CMD_ABORT).checked);
        // The tool bar shows the same.
        EXPECT_TRUE(same(ToolState(CMD_START), start));
        EXPECT_TRUE(same(ToolState(CMD_PAUSE), pause));
        EXPECT_TRUE(same(ToolState(CMD_STOP), stop));
        EXPECT_EQ(ToolState(CMD_ABORT).enabled, abort);
    }
};

TEST_F(SessionControlTest, CommandStatesFollowTheSession) {
    OpenMainWindow();
    ExpectStates("idle", {true, false}, {false, false}, {false, false}, false);
    EXPECT_TRUE(RecordRuleAllows());
    // Recording is offered whenever nothing plays.
    EXPECT_TRUE(State(CMD_RECORD).enabled);

    StartGeneratedSession();
    ExpectStates("running", {true, true}, {true, false}, {true, false}, true);
    EXPECT_FALSE(RecordRuleAllows());

    Command(CMD_PAUSE);
    ASSERT_TRUE(WaitForThreadEnd());
    ExpectStates("paused", {true, false}, {true, true}, {true, false}, false);
    EXPECT_TRUE(RecordRuleAllows());
    const int sentBeforePause = View().m_nSentCount;
    EXPECT_GT(sentBeforePause, 0);

    // F3 again resumes; the output pane gets a space and the count goes on from where it was.
    Command(CMD_PAUSE);
    ASSERT_TRUE(PumpUntil([this] { return Playing(); }, 5s));
    EXPECT_GT(View().m_nSentCount, sentBeforePause);
    ExpectStates("resumed", {true, true}, {true, false}, {true, false}, true);

    Command(CMD_STOP);
    EXPECT_TRUE(State(CMD_STOP).checked);
    EXPECT_FALSE(State(CMD_PAUSE).enabled);
    ASSERT_TRUE(WaitForThreadEnd());
    // Stopped with an empty copy pane: no results, the counters are back at 0.
    ExpectStates("finished", {true, false}, {false, false}, {false, false}, false);
    EXPECT_EQ(View().m_nSentCount, 0);
    EXPECT_EQ(View().m_nElapsedSamples, 0);
}

TEST_F(SessionControlTest, WithoutSoundDeviceStartIsDisabled) {
    OpenMainWindow(false);
    EXPECT_FALSE(State(CMD_START).enabled);
    Command(CMD_START);
    PumpFor(100ms);
    EXPECT_FALSE(View().m_bThreadRunning);
    // A click on the code table plays nothing either.
    auto* click = new wxCommandEvent(wxEVT_BUTTON, IDC_CODE_TABLE_CLICK);
    click->SetInt('K');
    View().GetEventHandler()->QueueEvent(click);
    PumpFor(100ms);
    EXPECT_EQ(View().m_chPlayCharacter, 0);
}

TEST_F(SessionControlTest, TypedTextSessionEndsInTheResultsOfTheCopy) {
    g_settings.m_nSource = SOURCE_TYPED_TEXT;
    g_settings.m_bWpmSpeedUnit = false;
    g_settings.m_keying.SetSpeeds(500, 500, false);
    g_settings.m_nEndDelay = 1;
    // Five times the pace of the real device.
    OpenMainWindow(true, 20ms);

    ShownResults seen;
    wxTEST_DIALOG(
        {
            Command(CMD_START);
            EXPECT_TRUE(PumpUntil(
                [&] {
                    CopyWhatWasSent();
                    return seen.shown && !View().m_bThreadRunning;
                },
                30s));
        },
        ExpectTypedText("Paris test"), ExpectResults(seen));

    EXPECT_EQ(View().OutputPane()->GetValue().Upper(), "PARIS TEST");
    // Ten characters sent, the space included, all of them copied.
    EXPECT_EQ(seen.correct, "10");
    EXPECT_EQ(seen.wrong, "0");
    EXPECT_EQ(View().m_tally.correctTotal, 10);
    // The results reset the counters, and the status panes follow.
    EXPECT_EQ(View().m_nSentCount, 0);
    EXPECT_EQ(View().m_nElapsedSamples, 0);
    PumpFor(50ms);
    EXPECT_EQ(Frame().GetStatusBar()->GetStatusText(2), wxString());

    // The same results again from the 操作 menu, until the next session starts.
    const wxMenuItem* item = Frame().GetMenuBar()->FindItem(MenuItemId(CMD_VIEW_LAST_RESULTS));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetItemLabelText(), wxString::FromUTF8("查看上次结果"));
    ASSERT_TRUE(State(CMD_VIEW_LAST_RESULTS).enabled);
    ShownResults again;
    wxTEST_DIALOG(Command(CMD_VIEW_LAST_RESULTS), ExpectResults(again));
    EXPECT_EQ(again.correct, "10");
    EXPECT_EQ(again.wrong, "0");
    StartGeneratedSession();
    EXPECT_FALSE(State(CMD_VIEW_LAST_RESULTS).enabled);
    Command(CMD_ABORT);
    ASSERT_TRUE(WaitForThreadEnd());
    EXPECT_FALSE(State(CMD_VIEW_LAST_RESULTS).enabled);
}

TEST_F(SessionControlTest, AStartHandledBeforeTheFinishedCommandShowsTheResultsFirst) {
    g_settings.m_nSource = SOURCE_TYPED_TEXT;
    g_settings.m_keying.SetSpeeds(500, 500, false);
    OpenMainWindow(true, 20ms);
    HoldFinishedCommand hold;
    wxTEST_DIALOG(
        {
            Command(CMD_START);
            EXPECT_TRUE(PumpUntil(
                [&] {
                    CopyWhatWasSent();
                    return hold.held && !View().m_bThreadRunning;
                },
                30s));
        },
        ExpectTypedText("Paris test"));

    // F2 was pressed as the session ended: its command comes before the finished one.
    g_settings.m_nSource = SOURCE_KOCH;
    ShownResults seen;
    wxTEST_DIALOG(Command(CMD_START), ExpectResults(seen));
    EXPECT_EQ(seen.correct, "10");
    EXPECT_EQ(seen.wrong, "0");
    // Then the new session runs, and the late finished command changes nothing in it.
    ASSERT_TRUE(PumpUntil([this] { return View().m_nSentCount >= 3; }, 10s));
    View().GetEventHandler()->QueueEvent(new wxCommandEvent(wxEVT_MENU, CMD_SESSION_FINISHED));
    PumpFor(100ms);
    EXPECT_GE(View().m_nSentCount, 3);
    EXPECT_GT(View().m_nElapsedSamples, 0);
    EXPECT_TRUE(Playing());
    Command(CMD_ABORT);
    EXPECT_TRUE(WaitForThreadEnd());
}

TEST_F(SessionControlTest, AbortCutsTheSessionWithoutResults) {
    OpenMainWindow();
    StartGeneratedSession();
    View().CopyPane()->AppendText("abc");
    Command(CMD_ABORT);
    ASSERT_TRUE(WaitForThreadEnd());
    EXPECT_EQ(View().m_nSentCount, 0);
    EXPECT_EQ(View().m_nElapsedSamples, 0);
    EXPECT_FALSE(g_bAbort);
    PumpFor(50ms);
    EXPECT_EQ(Frame().GetStatusBar()->GetStatusText(1), wxString());
}

TEST_F(SessionControlTest, StatusPanesShowSoundTimeAndCount) {
    OpenMainWindow();
    wxStatusBar& bar = *Frame().GetStatusBar();
    View().m_nElapsedSamples = 65 * 22050;
    View().m_nSentCount = 42;
    PumpFor(50ms);
    EXPECT_EQ(bar.GetStatusText(1), "1:05");
    EXPECT_EQ(bar.GetStatusText(2), "42");
    View().m_nElapsedSamples = 22049;  // less than a second of sound
    View().m_nSentCount = 0;
    PumpFor(50ms);
    EXPECT_EQ(bar.GetStatusText(1), wxString());
    EXPECT_EQ(bar.GetStatusText(2), wxString());
}

TEST_F(SessionControlTest, StopDropsAPausedSession) {
    OpenMainWindow();
    StartGeneratedSession();
    Command(CMD_PAUSE);
    ASSERT_TRUE(WaitForThreadEnd());
    ASSERT_TRUE(View().m_bPauseRequested);
    Command(CMD_STOP);
    EXPECT_FALSE(View().m_bPauseRequested);
    EXPECT_FALSE(State(CMD_STOP).enabled);
    // The next start is a new session: the panes are emptied and the count starts again.
    View().OutputPane()->ChangeValue("old");
    StartGeneratedSession();
    EXPECT_FALSE(View().OutputPane()->GetValue().StartsWith("old"));
    Command(CMD_ABORT);
    ASSERT_TRUE(WaitForThreadEnd());
}

TEST_F(SessionControlTest, GeneratedSessionAfterADroppedTextSessionSendsNoOldText) {
    g_settings.m_nSource = SOURCE_TYPED_TEXT;
    OpenMainWindow();
    wxTEST_DIALOG(
        {
            Command(CMD_START);
            ASSERT_TRUE(PumpUntil([this] { return Playing(); }, 5s));
        },
        ExpectTypedText("Paris test"));
    Command(CMD_PAUSE);
    ASSERT_TRUE(WaitForThreadEnd());
    Command(CMD_STOP);
    // The dropped text must not come back as the material of a generated session.
    StartGeneratedSession();
    EXPECT_EQ(View().m_nBudget, 1323000);
    Command(CMD_ABORT);
    ASSERT_TRUE(WaitForThreadEnd());
}

TEST_F(SessionControlTest, CountdownShowsItsLabelAndCanBeCancelled) {
    g_settings.m_nInitialDelay = 1;
    OpenMainWindow();
    wxString label;
    bool frameDisabled = false;
    // Runs inside the countdown's message pump.
    wxTheApp->CallAfter([&] {
        wxDialog* countdown = FindDelayDialog();
        ASSERT_NE(countdown, nullptr);
        label = countdown->FindWindow(IDC_DELAY_LABEL)->GetLabel();
        frameDisabled = !Frame().IsEnabled();
        wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
        countdown->FindWindow(wxID_CANCEL)->GetEventHandler()->ProcessEvent(cancel);
    });
    Command(CMD_START);
    EXPECT_EQ(label, wxString::FromUTF8("请做好抄收准备..."));
    EXPECT_TRUE(frameDisabled);
    EXPECT_TRUE(Frame().IsEnabled());
    EXPECT_FALSE(View().m_bThreadRunning);
    EXPECT_EQ(Device().Calls(FakeSoundDevice::Op::Play), 0);
    PumpFor(50ms);
    EXPECT_EQ(FindDelayDialog(), nullptr);
}

TEST_F(SessionControlTest, CountdownBeforeAResumptionSaysContinue) {
    OpenMainWindow();
    StartGeneratedSession();
    Command(CMD_PAUSE);
    ASSERT_TRUE(WaitForThreadEnd());

    g_settings.m_nInitialDelay = 1;
    wxString label;
    wxTheApp->CallAfter(
        [&] { label = FindDelayDialog()->FindWindow(IDC_DELAY_LABEL)->GetLabel(); });
    const auto start = std::chrono::steady_clock::now();
    Command(CMD_START);
    // The countdown ran its second, then the session went on.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(label, wxString::FromUTF8("继续训练"));
    EXPECT_TRUE(PumpUntil([this] { return Playing(); }, 5s));
}

TEST_F(SessionControlTest, SwitchingBetweenGeneratedAndFixedTextStopsTheSession) {
    OpenMainWindow();
    StartGeneratedSession();
    Command(CMD_SOURCE_ABBREVIATIONS);
    EXPECT_FALSE(View().m_bFinishRequested);
    PumpFor(200ms);
    EXPECT_TRUE(Playing());

    Command(CMD_SOURCE_TEXT_FILE);
    EXPECT_EQ(g_settings.m_nSource, SOURCE_TEXT_FILE);
    EXPECT_TRUE(WaitForThreadEnd());
}

TEST_F(SessionControlTest, ClickedCharacterPlaysOnlyWhenIdle) {
    OpenMainWindow();
    auto* click = new wxCommandEvent(wxEVT_BUTTON, IDC_CODE_TABLE_CLICK);
    click->SetInt('K');
    View().GetEventHandler()->QueueEvent(click);
    ASSERT_TRUE(PumpUntil([this] { return Device().Calls(FakeSoundDevice::Op::Play) > 0; }, 2s));
    EXPECT_EQ(View().m_chPlayCharacter, 'K');
    ASSERT_TRUE(WaitForThreadEnd());

    StartGeneratedSession();
    click = new wxCommandEvent(wxEVT_BUTTON, IDC_CODE_TABLE_CLICK);
    click->SetInt('M');
    View().GetEventHandler()->QueueEvent(click);
    PumpFor(100ms);
    EXPECT_EQ(View().m_chPlayCharacter, 'K');
    Command(CMD_ABORT);
    ASSERT_TRUE(WaitForThreadEnd());
}

TEST_F(SessionControlTest, KeysReachTheSessionCommands) {
    g_settings.m_nSource = SOURCE_KOCH;
    g_settings.m_nSessionDuration = 1;
    OpenMainWindow();
    Frame().Raise();
    View().CopyPane()->SetFocus();
    PumpFor(100ms);
    wxUIActionSimulator keys;
    // Pause is disabled while idle, so its key does not get to resume (start) anything.
    keys.Char(WXK_F3);
    PumpFor(300ms);
    EXPECT_FALSE(View().m_bThreadRunning);
    keys.Char(WXK_F2);
    ASSERT_TRUE(PumpUntil([this] { return Playing(); }, 5s));
    keys.Char('i', wxMOD_CONTROL);
    EXPECT_TRUE(WaitForThreadEnd());
    // The copy pane took neither key as typing.
    EXPECT_EQ(View().CopyPane()->GetValue(), wxString());
}

TEST_F(SessionControlTest, ClosingDuringASessionEndsItAtOnce) {
    OpenMainWindow();
    StartGeneratedSession();
    ASSERT_TRUE(CloseMainWindow(5s));
    EXPECT_EQ(g_nActiveStreams, 0);
    EXPECT_FALSE(g_bAbort);
}

TEST_F(SessionControlTest, ClosingDuringTheCountdownStartsNothing) {
    g_settings.m_nInitialDelay = 5;
    OpenMainWindow();
    wxTheApp->CallAfter([this] { Frame().Close(); });
    Command(CMD_START);
    // The frame waits for the handler to return before it goes.
    ASSERT_TRUE(m_frame);
    EXPECT_FALSE(View().m_bThreadRunning);
    EXPECT_EQ(Device().Calls(FakeSoundDevice::Op::Play), 0);
    EXPECT_TRUE(PumpUntil([this] { return !m_frame; }, 5s));
}

TEST_F(SessionControlTest, ClosingDuringTheEndDelayDoesNotWaitForIt) {
    g_settings.m_nSource = SOURCE_TYPED_TEXT;
    g_settings.m_nEndDelay = 10;
    OpenMainWindow(true, 20ms);
    wxTEST_DIALOG(
        {
            Command(CMD_START);
            // Copy the one character as soon as it shows, then wait for the end delay.
            ASSERT_TRUE(PumpUntil(
                [this] {
                    CopyWhatWasSent();
                    return View().m_bThreadRunning && !Playing() &&
                           View().m_nBudgetUsed >= View().m_nBudget &&
                           !View().CopyPane()->IsEmpty();
                },
                10s));
        },
        ExpectTypedText("E"));
    ASSERT_TRUE(CloseMainWindow(15s));
}

}  // namespace
