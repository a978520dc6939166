// The sound output as the learner meets it: no output at all (Start disabled, and why), an
// output that appears later (a headset plugged in), and a chosen output that vanished.
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/spinctrl.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include <algorithm>

#include "options/options_sheet.h"
#include "options/volume_options_page.h"
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

// The volume page lists "系统默认" and the host's outputs; its test tone plays "vvv" at the
// page's settings on the output chosen there, lead-in first, before anything is applied; a
// sheet closed without applying leaves the device on the settings' output.
TEST_F(SoundOutputTest, TheVolumePageChoosesTheOutputAndLeadInAndPlaysATestTone) {
    OpenMainWindow(false, 5ms);
    Backend().SetOutputs({kFakeOutput, "USB headset"});
    OpenAMenu();
    ASSERT_TRUE(View().HasSoundDevice());
    g_settings.m_keying.SetSpeeds(500, 500, false);
    {
        COptionsSheet sheet(&Frame(), View());
        CVolumeOptionsDialog& page = sheet.VolumePage();
        ASSERT_EQ(page.OutputChoice()->GetCount(), 3u);
        EXPECT_EQ(page.OutputChoice()->GetString(0), wxString::FromUTF8("系统默认"));
        EXPECT_EQ(page.OutputChoice()->GetString(2), "USB headset");
        EXPECT_EQ(page.OutputChoice()->GetSelection(), 0);
        EXPECT_EQ(page.LeadIn()->GetValue(), 0);

        page.OutputChoice()->SetSelection(2);
        page.LeadIn()->SetValue(200);  // 4410 samples: the whole first fill
        page.PlayTestTone();
        EXPECT_EQ(Backend().LastOpenedName(), "USB headset");
        ASSERT_TRUE(WaitForThreadEnd());
        const std::vector<uint8_t> played = Device().Played();
        ASSERT_GT(played.size(), 8820u);
        EXPECT_TRUE(
            std::all_of(played.begin(), played.begin() + 8820, [](uint8_t b) { return !b; }));
        EXPECT_TRUE(std::any_of(played.begin() + 8820, played.end(), [](uint8_t b) { return b; }));
        EXPECT_EQ(g_settings.m_keying.leadInMs, 0);  // nothing applied yet
    }
    View().FollowOutputChoice();
    EXPECT_EQ(Backend().LastOpenedName(), kFakeOutput);

    // Applied: the choice and the lead-in are live and the device follows the choice.
    {
        COptionsSheet sheet(&Frame(), View());
        CVolumeOptionsDialog& page = sheet.VolumePage();
        page.OutputChoice()->SetSelection(2);
        page.LeadIn()->SetValue(300);
        ASSERT_TRUE(page.TransferDataFromWindow());
        page.OnApply();
    }
    EXPECT_EQ(g_settings.m_strOutputDevice, "USB headset");
    EXPECT_EQ(g_settings.m_keying.leadInMs, 300);
    EXPECT_EQ(Backend().LastOpenedName(), "USB headset");

    // Unplugged: the page shows the default, and keeps the stored choice unless changed.
    Backend().SetOutputs({kFakeOutput});
    {
        COptionsSheet sheet(&Frame(), View());
        CVolumeOptionsDialog& page = sheet.VolumePage();
        EXPECT_EQ(page.OutputChoice()->GetCount(), 2u);
        EXPECT_EQ(page.OutputChoice()->GetSelection(), 0);
        ASSERT_TRUE(page.TransferDataFromWindow());
        EXPECT_EQ(g_optionsSettings.m_strOutputDevice, "USB headset");
    }
}

}  // namespace
