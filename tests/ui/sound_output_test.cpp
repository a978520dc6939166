// The sound output as the learner meets it: no output at all (Start disabled, and why), an
// output that appears later (a headset plugged in), and a chosen output that vanished.
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include "ui_test_support.h"

namespace {

const wxString kNoOutput = wxString::FromUTF8("未找到声音输出设备，无法开始训练");

class SoundOutputTest : public UiTest {
protected:
    wxString StatusText() { return Frame().GetStatusBar()->GetStatusText(0); }
    wxString StartToolTip() { return Frame().ToolBar()->GetToolShortHelp(CMD_START); }
    // What opening a menu does: the view takes it as a moment to look for an output.
    void OpenAMenu() {
        wxMenuEvent open(wxEVT_MENU_OPEN, 0, Frame().GetMenuBar()->GetMenu(0));
        open.SetEventObject(&Frame());
        Frame().GetEventHandler()->ProcessEvent(open);
    }
};

TEST_F(SoundOutputTest, WithoutAnOutputStartIsDisabledAndSaysWhyUntilOneAppears) {
    OpenMainWindow(false);
    EXPECT_FALSE(View().HasSoundDevice());
    EXPECT_FALSE(State(CMD_START).enabled);
    EXPECT_EQ(StatusText(), kNoOutput);
    EXPECT_EQ(StartToolTip(), kNoOutput);
    OpenAMenu();
    EXPECT_FALSE(View().HasSoundDevice());

    // A headset is plugged in: the next look finds it, without a restart.
    Backend().SetOutputs({"USB headset"});
    OpenAMenu();
    ASSERT_TRUE(View().HasSoundDevice());
    EXPECT_TRUE(State(CMD_START).enabled);
    EXPECT_NE(StatusText(), kNoOutput);
    EXPECT_EQ(StartToolTip(), wxString::FromUTF8("开始"));

    StartGeneratedSession();
    Command(CMD_ABORT);
    ASSERT_TRUE(WaitForThreadEnd());
}

// The device fails under a session and its output is gone from the list meanwhile: the session
// ends as aborted, the next Start plays on the default output, and with no output left at all
// Start is disabled until one comes back.
TEST_F(SoundOutputTest, AVanishedOutputFallsBackToTheDefaultAndThenToNone) {
    g_settings.m_strOutputDevice = "USB headset";
    OpenMainWindow(false);
    Backend().SetOutputs({kFakeOutput, "USB headset"});
    OpenAMenu();
    ASSERT_TRUE(View().HasSoundDevice());
    EXPECT_EQ(Backend().LastOpenedName(), "USB headset");

    StartGeneratedSession();
    Backend().SetOutputs({kFakeOutput});
    Device().FailOperation(FakeSoundDevice::Op::Lock, device::kErrFailed);
    ASSERT_TRUE(WaitForThreadEnd(3s));
    EXPECT_EQ(g_nActiveStreams, 0);
    EXPECT_EQ(View().m_nSentCount, 0);  // ended as an abort does

    StartGeneratedSession();
    EXPECT_EQ(Backend().LastOpenedName(), kFakeOutput);
    // The choice stays: the headset plays again once it is back.
    EXPECT_EQ(g_settings.m_strOutputDevice, "USB headset");
    Device().FailOperation(FakeSoundDevice::Op::Lock, device::kErrFailed);
    ASSERT_TRUE(WaitForThreadEnd(3s));

    Backend().SetOutputs({});
    Command(CMD_START);  // finds no output: nothing starts
    PumpFor(50ms);
    EXPECT_FALSE(View().m_bThreadRunning);
    EXPECT_FALSE(View().HasSoundDevice());
    EXPECT_FALSE(State(CMD_START).enabled);
    EXPECT_EQ(StatusText(), kNoOutput);

    Backend().SetOutputs({"USB headset"});
    OpenAMenu();
    EXPECT_TRUE(State(CMD_START).enabled);
    EXPECT_EQ(Backend().LastOpenedName(), "USB headset");
}

}  // namespace
