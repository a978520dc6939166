// The clips of the signal conditions page heard through the real view: they play on the single
// playback path without holding up the window, give way to nothing else, and end with a second
// click or with the sheet.
#include <wx/app.h>
#include <wx/bookctrl.h>
#include <wx/button.h>

#include "engine/audio_flags.h"
#include "options/conditions_options_page.h"
#include "options/options_sheet.h"
#include "ui_test_support.h"

namespace {

using C = CConditionsOptionsDialog;

class ConditionsClipViewTest : public UiTest {};

void Click(wxWindow& window, int id) {
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(window.FindWindow(id));
    window.FindWindow(id)->ProcessWindowEvent(click);
}

}  // namespace

TEST_F(ConditionsClipViewTest, AClipPlaysBesideTheWindowAndStopsWithinAnElement) {
    OpenMainWindow();
    SignalConditions noise;
    noise.noiseOn = true;
    ASSERT_TRUE(View().PlayClip(noise));
    // The call has returned while the clip still plays.
    EXPECT_TRUE(View().IsClipPlaying());
    ASSERT_TRUE(PumpUntil([this] { return Playing(); }, 5s));

    View().StopClip();
    EXPECT_FALSE(View().IsClipPlaying());
    EXPECT_FALSE(Playing());
    EXPECT_FALSE(g_bAbort);  // the next playback is not cut short

    // A clip left to itself ends by itself.
    g_settings.m_keying.SetSpeeds(250, 250, false);
    ASSERT_TRUE(View().PlayClip(noise));
    EXPECT_TRUE(WaitForThreadEnd(20s));
    EXPECT_FALSE(View().IsClipPlaying());

    // A session has the device: no clip meanwhile.
    StartGeneratedSession();
    EXPECT_FALSE(View().PlayClip(noise));
    Command(CMD_ABORT);
    ASSERT_TRUE(WaitForThreadEnd());
}

TEST_F(ConditionsClipViewTest, TheSheetsClipEndsWithASecondClickAndWithTheSheet) {
    OpenMainWindow();
    COptionsSheet sheet(&Frame(), View());
    bool playedFromThePage = false, stoppedBySecondClick = false, playingAtClose = false;
    wxTheApp->CallAfter([&] {
        sheet.GetBookCtrl()->SetSelection(3);
        C& page = sheet.ConditionsPage();
        Click(page, C::IDC_FADING_CLIP);
        playedFromThePage = View().IsClipPlaying();
        Click(page, C::IDC_FADING_CLIP);
        stoppedBySecondClick = !View().IsClipPlaying();
        Click(page, C::IDC_FIST_CLIP);
        playingAtClose = View().IsClipPlaying();
        sheet.EndModal(wxID_CANCEL);
    });
    EXPECT_EQ(sheet.ShowModal(), wxID_CANCEL);
    EXPECT_TRUE(playedFromThePage);
    EXPECT_TRUE(stoppedBySecondClick);
    EXPECT_TRUE(playingAtClose);
    EXPECT_FALSE(View().IsClipPlaying());
    EXPECT_FALSE(View().m_bThreadRunning);
}
