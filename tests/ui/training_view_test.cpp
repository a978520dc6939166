// The training view in the real main window: the View toggles and the layout of the panes, the
// control bar and its exchange with the settings, the practice sources, the edit commands.
#include <wx/combobox.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#include <mutex>

#include "options/options_sheet.h"
#include "options/selected_chars_dialog.h"
#include "options/word_count_dialog.h"
#include "settings/settings.h"
#include "ui/code_table_panel.h"
#include "ui/command_ids.h"
#include "ui/control_bar.h"
#include "ui_test_support.h"

namespace {

class TrainingViewTest : public UiTest {
protected:
    CDialogBarEx& Bar() const { return *View().ControlBar(); }

    // Types into a control-bar field: the text changes as if typed (one change notification).
    void Type(wxTextCtrl* field, const char* text) { field->SetValue(text); }

    // The field loses the focus, as when the learner moves on.
    void Leave(wxWindow* field) {
        wxFocusEvent left(wxEVT_KILL_FOCUS, field->GetId());
        left.SetEventObject(field);
        field->GetEventHandler()->ProcessEvent(left);
        PumpFor(20ms);
    }

    static wxRect Bounds(const wxWindow* window) { return window->GetRect(); }
};

TEST_F(TrainingViewTest, ViewOutputSplitsTheViewIntoHalves) {
    OpenMainWindow();
    const wxSize client = View().GetClientSize();
    const wxRect copy = Bounds(View().CopyPane());
    const wxRect copyLabel = Bounds(View().CopyLabel());
    EXPECT_FALSE(View().OutputPane()->IsShown());
    EXPECT_FALSE(View().OutputLabel()->IsShown());
    EXPECT_FALSE(State(CMD_VIEW_OUTPUT).checked);
    // Alone, the copy pane fills the view below its label, 10 pixels in from every edge.
    EXPECT_EQ(copyLabel.GetTopLeft(), wxPoint(10, 10));
    EXPECT_GE(copy.GetTop(), copyLabel.GetBottom());
    EXPECT_EQ(copy.GetLeft(), 10);
    EXPECT_EQ(copy.GetRight() + 1, client.x - 10);
    EXPECT_EQ(copy.GetBottom() + 1, client.y - 10);

    Command(CMD_VIEW_OUTPUT);
    EXPECT_TRUE(g_settings.m_bViewOutput);
    EXPECT_TRUE(State(CMD_VIEW_OUTPUT).checked);
    const wxRect output = Bounds(View().OutputPane());
    const wxRect lowerCopy = Bounds(View().CopyPane());
    const wxRect lowerLabel = Bounds(View().CopyLabel());
    EXPECT_TRUE(View().OutputPane()->IsShown());
    EXPECT_TRUE(View().OutputLabel()->IsShown());
    EXPECT_EQ(Bounds(View().OutputLabel()).GetTopLeft(), wxPoint(10, 10));
    EXPECT_EQ(output.GetTop(), copy.GetTop());
    EXPECT_EQ(output.GetWidth(), copy.GetWidth());
    // The output pane ends above the copy label, which starts half way down.
    EXPECT_LT(output.GetBottom(), lowerLabel.GetTop());
    EXPECT_NEAR(lowerLabel.GetTop(), 10 + (client.y - 20) / 2, 1);
    // Each half gives up half a label row at its foot.
    const int row = copy.GetTop() - copyLabel.GetTop();
    EXPECT_NEAR(lowerCopy.GetBottom(), copy.GetBottom() - row / 2, 1);
    EXPECT_NEAR(output.GetHeight(), lowerCopy.GetHeight(), 2);

    Command(CMD_VIEW_OUTPUT);
    EXPECT_FALSE(View().OutputPane()->IsShown());
    EXPECT_EQ(Bounds(View().CopyPane()), copy);
}

TEST_F(TrainingViewTest, ViewCodesSwapsTheStripForTheTable) {
    OpenMainWindow();
    EXPECT_TRUE(View().CodeStrip()->IsShown());
    EXPECT_FALSE(View().CodeTable()->IsShown());
    Command(CMD_VIEW_CODES);
    EXPECT_TRUE(g_settings.m_bViewCodes);
    EXPECT_TRUE(State(CMD_VIEW_CODES).checked);
    EXPECT_FALSE(View().CodeStrip()->IsShown());
    EXPECT_TRUE(View().CodeTable()->IsShown());
    // The table stands along the right edge of the frame, beside the view.
    EXPECT_GE(View().CodeTable()->GetPosition().x, View().GetRect().GetRight());
    Command(CMD_VIEW_CODES);
    EXPECT_TRUE(View().CodeStrip()->IsShown());
    EXPECT_FALSE(View().CodeTable()->IsShown());
}

TEST_F(TrainingViewTest, UseCapsOnlyTogglesTheSetting) {
    OpenMainWindow();
    View().OutputPane()->ChangeValue("abc");
    Command(CMD_USE_CAPS);
    EXPECT_TRUE(g_settings.m_bUseCaps);
    EXPECT_TRUE(State(CMD_USE_CAPS).checked);
    EXPECT_TRUE(ToolState(CMD_USE_CAPS).checked);
    EXPECT_EQ(View().OutputPane()->GetValue(), "abc");
    Command(CMD_USE_CAPS);
    EXPECT_FALSE(g_settings.m_bUseCaps);
}

TEST_F(TrainingViewTest, CharactersUsedIsClampedToTheEnabledSet) {
    {
        // Only the 26 letters.
        std::lock_guard lock(g_settingsLock);
        std::fill(std::begin(g_settings.m_charSet.m_flags), std::end(g_settings.m_charSet.m_flags),
                  false);
        g_settings.m_charSet.m_flags[CF_LETTERS] = true;
    }
    OpenMainWindow();
    wxTextCtrl* used = Bar().CharactersUsed();
    EXPECT_EQ(used->GetValue(), "2");
    EXPECT_EQ(Bar().CharactersUsedSpin()->GetMin(), 2);
    EXPECT_EQ(Bar().CharactersUsedSpin()->GetMax(), 26);

    Type(used, "1");
    EXPECT_EQ(g_settings.m_nCharactersUsed, 2);
    EXPECT_EQ(used->GetValue(), "1");  // shown as typed until the field is left
    Leave(used);
    EXPECT_EQ(used->GetValue(), "2");

    Type(used, "99");
    EXPECT_EQ(g_settings.m_nCharactersUsed, 26);
    Leave(used);
    EXPECT_EQ(used->GetValue(), "26");

    Type(used, "");
    EXPECT_EQ(g_settings.m_nCharactersUsed, 2);

    // The spin steps the field and with it the setting, within 2..26.
    Type(used, "25");
    wxSpinEvent up(wxEVT_SPIN, IDC_CHARACTERS_USED_SPIN);
    Bar().CharactersUsedSpin()->SetValue(26);
    up.SetPosition(26);
    up.SetEventObject(Bar().CharactersUsedSpin());
    Bar().CharactersUsedSpin()->GetEventHandler()->ProcessEvent(up);
    EXPECT_EQ(used->GetValue(), "26");
    EXPECT_EQ(g_settings.m_nCharactersUsed, 26);
}

TEST_F(TrainingViewTest, SpeedsShowInTheChosenUnitAndKeepWordSpeedBelowCharSpeed) {
    g_settings.m_bWpmSpeedUnit = true;
    g_settings.m_keying.SetSpeeds(60, 92, false);
    OpenMainWindow();
    EXPECT_EQ(Bar().SpeedUnit()->GetLabel(), "WPM");
    EXPECT_EQ(Bar().CharSpeed()->GetValue(), "18");  // 92 CPM, truncated
    EXPECT_EQ(Bar().WordSpeed()->GetValue(), "12");

    Type(Bar().CharSpeed(), "20");
    EXPECT_EQ(g_settings.m_keying.charSpeedCpm, 100);

    // A word speed above the char speed is stored as the char speed.
    Type(Bar().WordSpeed(), "30");
    EXPECT_EQ(g_settings.m_keying.wordSpeedCpm, 100);
    // Leaving the word-speed field does not rewrite it; leaving the char speed rewrites both.
    Leave(Bar().WordSpeed());
    EXPECT_EQ(Bar().WordSpeed()->GetValue(), "30");
    Leave(Bar().CharSpeed());
    EXPECT_EQ(Bar().WordSpeed()->GetValue(), "20");

    g_settings.m_bWpmSpeedUnit = false;
    View().ApplyOptions();
    EXPECT_EQ(Bar().SpeedUnit()->GetLabel(), "CPM");
    EXPECT_EQ(Bar().CharSpeed()->GetValue(), "100");
    Type(Bar().CharSpeed(), "7");
    EXPECT_EQ(g_settings.m_keying.charSpeedCpm, 25);
}

TEST_F(TrainingViewTest, PitchAndVolumeAreStoredAtOnce) {
    OpenMainWindow();
    wxComboBox& pitch = *Bar().Pitch();
    ASSERT_EQ(pitch.GetCount(), 17u);
    EXPECT_EQ(pitch.GetString(0), "400");
    EXPECT_EQ(pitch.GetString(16), "1200");
    EXPECT_EQ(pitch.GetValue(), "700");

    pitch.SetValue("3000");
    EXPECT_EQ(g_settings.m_keying.pitch, 2500);
    EXPECT_EQ(pitch.GetValue(), "3000");
    Leave(&pitch);
    EXPECT_EQ(pitch.GetValue(), "2500");

    pitch.SetSelection(3);
    wxCommandEvent chosen(wxEVT_COMBOBOX, IDC_PITCH);
    chosen.SetEventObject(&pitch);
    pitch.GetEventHandler()->ProcessEvent(chosen);
    EXPECT_EQ(g_settings.m_keying.pitch, 550);

    wxSlider& volume = *Bar().Volume();
    EXPECT_EQ(volume.GetValue(), 50);
    volume.SetValue(30);
    wxCommandEvent moved(wxEVT_SLIDER, IDC_VOLUME);
    moved.SetInt(30);
    moved.SetEventObject(&volume);
    volume.GetEventHandler()->ProcessEvent(moved);
    // The slider's change reaches the view after the slider is done with it.
    EXPECT_EQ(g_settings.m_keying.volume, 50);
    PumpFor(20ms);
    EXPECT_EQ(g_settings.m_keying.volume, 30);
}

TEST_F(TrainingViewTest, VocabularySourcesCombineAndTheLastOneStays) {
    OpenMainWindow();
    EXPECT_TRUE(State(CMD_SOURCE_KOCH).checked);
    wxTEST_DIALOG(Command(CMD_SOURCE_WORDS), wxExpectDismissableModal<CWordCountDialog>(wxID_OK));
    EXPECT_EQ(g_settings.m_nSource, 0x100);
    Command(CMD_SOURCE_ABBREVIATIONS);
    EXPECT_EQ(g_settings.m_nSource, 0x300);
    EXPECT_TRUE(State(CMD_SOURCE_WORDS).checked);
    EXPECT_TRUE(State(CMD_SOURCE_ABBREVIATIONS).checked);
    EXPECT_FALSE(State(CMD_SOURCE_KOCH).checked);
    wxTEST_DIALOG(Command(CMD_SOURCE_WORDS), wxExpectDismissableModal<CWordCountDialog>(wxID_OK));
    EXPECT_EQ(g_settings.m_nSource, 0x200);
    Command(CMD_SOURCE_ABBREVIATIONS);
    EXPECT_EQ(g_settings.m_nSource, 0x200);

    // An exclusive source drops the vocabularies.
    Command(CMD_SOURCE_LINE_FILE);
    EXPECT_EQ(g_settings.m_nSource, SOURCE_LINE_FILE);
}

TEST_F(TrainingViewTest, CancelledSourceDialogKeepsTheSource) {
    OpenMainWindow();
    wxTEST_DIALOG(Command(CMD_SOURCE_WORDS),
                  wxExpectDismissableModal<CWordCountDialog>(wxID_CANCEL));
    EXPECT_EQ(g_settings.m_nSource, SOURCE_KOCH);
    wxTEST_DIALOG(Command(CMD_SOURCE_CHARSET),
                  wxExpectDismissableModal<CSelectedCharsDialog>(wxID_CANCEL));
    EXPECT_EQ(g_settings.m_nSource, SOURCE_KOCH);
    wxTEST_DIALOG(Command(CMD_SOURCE_CHARSET),
                  wxExpectDismissableModal<CSelectedCharsDialog>(wxID_OK));
    EXPECT_EQ(g_settings.m_nSource, SOURCE_CHARSET);
}

TEST_F(TrainingViewTest, TextFileIsAskedForWhenTheSessionStarts) {
    const auto file = m_configDir / "practice.txt";
    {
        std::FILE* out = std::fopen(file.c_str(), "w");
        std::fputs("cq de", out);
        std::fclose(out);
    }
    OpenMainWindow();
    Command(CMD_SOURCE_TEXT_FILE);
    EXPECT_EQ(g_settings.m_nSource, SOURCE_TEXT_FILE);
    // Cancelling the file dialog starts nothing.
    wxTEST_DIALOG(Command(CMD_START), wxExpectModal<wxFileDialog>(wxString(), wxID_CANCEL));
    EXPECT_FALSE(View().m_bThreadRunning);
    wxTEST_DIALOG(Command(CMD_START), ExpectFileDialog(file));
    EXPECT_EQ(g_settings.m_strLastTextFile, file.string());
    EXPECT_TRUE(PumpUntil([this] { return View().OutputPane()->GetValue() == "cq de"; }, 10s));
    Command(CMD_ABORT);
    EXPECT_TRUE(PumpUntil([this] { return !View().m_bThreadRunning; }, 5s));
}

TEST_F(TrainingViewTest, OptionsCommandRunsTheOptionsSheet) {
    OpenMainWindow();
    EXPECT_TRUE(State(CMD_OPTIONS).enabled);
    wxTEST_DIALOG(Command(CMD_OPTIONS), wxExpectDismissableModal<COptionsSheet>(wxID_CANCEL));
}

TEST_F(TrainingViewTest, EditCommandsFollowTheFocusedPane) {
    OpenMainWindow();
    wxTextCtrl& output = *View().OutputPane();
    wxTextCtrl& copy = *View().CopyPane();
    Command(CMD_VIEW_OUTPUT);
    output.ChangeValue("sent text");
    copy.ChangeValue("copy text");

    output.SetFocus();
    output.SetSelection(0, 4);
    PumpFor(20ms);
    ASSERT_EQ(wxWindow::FindFocus(), &output);
    EXPECT_TRUE(State(CMD_COPY).enabled);
    EXPECT_FALSE(State(CMD_CUT).enabled);  // never in the read-only output pane
    EXPECT_FALSE(State(CMD_PASTE).enabled);

    copy.SetFocus();
    copy.SetSelection(0, 0);
    PumpFor(20ms);
    ASSERT_EQ(wxWindow::FindFocus(), &copy);
    EXPECT_FALSE(State(CMD_COPY).enabled);
    EXPECT_FALSE(State(CMD_CUT).enabled);
    EXPECT_TRUE(State(CMD_PASTE).enabled);
    copy.SetSelection(0, 5);
    EXPECT_TRUE(State(CMD_CUT).enabled);
    Command(CMD_CUT);
    EXPECT_EQ(copy.GetValue(), "text");

    // A control-bar field is not a pane.
    Bar().WordSpeed()->SetFocus();
    Bar().WordSpeed()->SelectAll();
    PumpFor(20ms);
    EXPECT_FALSE(State(CMD_COPY).enabled);
    EXPECT_FALSE(State(CMD_PASTE).enabled);
}

}  // namespace
