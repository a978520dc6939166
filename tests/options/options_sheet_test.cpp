// The options sheet and its three pages: range checks of the general page, the character-set
// rules, the volume mapping, Default on each page, Apply / OK / Cancel and saving on close.
#include "options/options_sheet.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bookctrl.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/fontdlg.h>
#include <wx/msgdlg.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "options/charset_options_page.h"
#include "options/general_options_page.h"
#include "options/mnemonic_keys.h"
#include "options/volume_options_page.h"
#include "settings/settings.h"
#include "settings/wx_profile_store.h"
#include "ui/ui_test_support.h"

namespace {

using G = CGeneralOptionsDialog;

// A message box expected once: answered with OK, its text kept.
// The text of the one message box with which a page refuses its values.
wxString Refusal(COptionsPage& page) {
    wxString text;
    bool accepted = true;
    wxTEST_DIALOG(accepted = page.TransferDataFromWindow(), ExpectMessage(text));
    EXPECT_FALSE(accepted);
    return text;
}

template <typename T>
T* Control(wxWindow& page, int id) {
    auto* control = dynamic_cast<T*>(page.FindWindow(id));
    EXPECT_NE(control, nullptr) << id;
    return control;
}

void Click(wxWindow& window, int id) {
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(window.FindWindow(id));
    window.ProcessWindowEvent(click);
}

// Toggles a check box the way a click does: new state, then the notification.
void ClickBox(wxWindow& page, int id, bool checked) {
    auto* box = Control<wxCheckBox>(page, id);
    box->SetValue(checked);
    wxCommandEvent event(wxEVT_CHECKBOX, id);
    event.SetEventObject(box);
    event.SetInt(checked ? 1 : 0);
    box->ProcessWindowEvent(event);
}

std::filesystem::path ProfileFile() {
    return std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Veltrane.conf";
}

// Every test starts from the first-start settings and leaves them so.
class OptionsSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        const CSettings defaults;
        g_settings.CopyFrom(defaults);
    }
    void TearDown() override {
        m_sheet.reset();
        const CSettings defaults;
        g_settings.CopyFrom(defaults);
        g_optionsSettings.CopyFrom(defaults);
    }

    COptionsSheet& Sheet() {
        if (!m_sheet)
            m_sheet = std::make_unique<COptionsSheet>(nullptr, [this] { ++m_nViewRefreshes; });
        return *m_sheet;
    }
    G& General() { return Sheet().GeneralPage(); }
    CCharSetOptionsDialog& CharSet() { return Sheet().CharSetPage(); }
    CVolumeOptionsDialog& Volume() { return Sheet().VolumePage(); }
    void SetField(int id, const char* text) { Control<wxTextCtrl>(General(), id)->SetValue(text); }
    bool ApplyEnabled() { return Sheet().FindWindow(wxID_APPLY)->IsEnabled(); }

    std::unique_ptr<COptionsSheet> m_sheet;
    int m_nViewRefreshes = 0;
};

}  // namespace

TEST_F(OptionsSheetTest, PagesInOrderWithOkCancelApply) {
    wxBookCtrlBase* book = Sheet().GetBookCtrl();
    ASSERT_EQ(book->GetPageCount(), 3u);
    EXPECT_EQ(book->GetPageText(0), U("常规选项"));
    EXPECT_EQ(book->GetPageText(1), U("Koch 字符集设置"));
    EXPECT_EQ(book->GetPageText(2), U("音量"));
    EXPECT_EQ(Sheet().GetTitle(), U("选项"));
    for (int id : {wxID_OK, wxID_CANCEL, wxID_APPLY}) EXPECT_NE(Sheet().FindWindow(id), nullptr);
    EXPECT_FALSE(ApplyEnabled());
    // The page shows the first-start values: 12 / 18 WPM, 700 Hz, and the size of the default
    // set (26 letters, 10 digits and 8 signs) after the lesson size.
    EXPECT_EQ(Control<wxTextCtrl>(General(), G::IDC_WORD_SPEED)->GetValue(), "12");
    EXPECT_EQ(Control<wxTextCtrl>(General(), G::IDC_CHAR_SPEED)->GetValue(), "18");
    EXPECT_EQ(Control<wxChoice>(General(), G::IDC_SPEED_UNIT)->GetStringSelection(), "WPM");
    EXPECT_EQ(Control<wxComboBox>(General(), G::IDC_PITCH)->GetValue(), "700");
    EXPECT_EQ(Control<wxStaticText>(General(), G::IDC_CHARACTERS_LIMIT)->GetLabel(), "/ 44");
    EXPECT_EQ(Control<wxSpinButton>(General(), G::IDC_CHARACTERS_SPIN)->GetMax(), 44);
}

TEST_F(OptionsSheetTest, EveryRangeMessageNamesItsFieldAndBounds) {
    struct Case {
        const char* what;
        std::function<void()> enter;
        int field;
        const char* message;
    };
    auto choose = [this](int id, int index) {
        Control<wxChoice>(General(), id)->SetSelection(index);
    };
    auto pitch = [this](const char* text) {
        Control<wxComboBox>(General(), G::IDC_PITCH)->SetValue(text);
    };
    const Case cases[] = {
        {"WPM character speed 4", [&] { SetField(G::IDC_CHAR_SPEED, "4"); }, G::IDC_CHAR_SPEED,
         "每分钟电码数(CPM)必须介于 5 与 100 之间"},
        {"WPM character speed 101", [&] { SetField(G::IDC_CHAR_SPEED, "101"); }, G::IDC_CHAR_SPEED,
         "每分钟电码数(CPM)必须介于 5 与 100 之间"},
        {"CPM character speed 24",
         [&] {
             choose(G::IDC_SPEED_UNIT, 0);
             SetField(G::IDC_CHAR_SPEED, "24");
         },
         G::IDC_CHAR_SPEED, "每分钟电码数(CPM)必须介于 25 与 500 之间"},
        {"CPM word speed above the character speed",
         [&] {
             choose(G::IDC_SPEED_UNIT, 0);
             SetField(G::IDC_CHAR_SPEED, "200");
             SetField(G::IDC_WORD_SPEED, "201");
         },
         G::IDC_WORD_SPEED, "每分钟单词数(WPM)必须介于 25 与 200 之间"},
        {"WPM word speed above the character speed", [&] { SetField(G::IDC_WORD_SPEED, "19"); },
         G::IDC_WORD_SPEED, "每分钟单词数(WPM)必须介于 5 与 18 之间"},
        {"pitch that is no number", [&] { pitch("loud"); }, G::IDC_PITCH,
         "音调必须介于 400 与 2500 之间"},
        {"pitch 2501", [&] { pitch("2501"); }, G::IDC_PITCH, "音调必须介于 400 与 2500 之间"},
        {"lesson beyond the set", [&] { SetField(G::IDC_CHARACTERS, "45"); }, G::IDC_CHARACTERS,
         "Characters used必须介于 2 与 44 之间"},
        {"lesson of 1", [&] { SetField(G::IDC_CHARACTERS, "1"); }, G::IDC_CHARACTERS,
         "Characters used必须介于 2 与 44 之间"},
        {"shortest group 1", [&] { SetField(G::IDC_MIN_WORD_LENGTH, "1"); }, G::IDC_MIN_WORD_LENGTH,
         "词长下限必须介于 2 与 10 之间"},
        {"longest group 3", [&] { SetField(G::IDC_MAX_WORD_LENGTH, "3"); }, G::IDC_MAX_WORD_LENGTH,
         "词长上限必须介于 4 与 10 之间"},
        {"longest group below the shortest",
         [&] {
             SetField(G::IDC_MIN_WORD_LENGTH, "6");
             SetField(G::IDC_MAX_WORD_LENGTH, "5");
         },
         G::IDC_MAX_WORD_LENGTH, "词长上限必须介于 6 与 10 之间"},
        {"prosign spacing 6", [&] { SetField(G::IDC_PROSIGN_SPACING, "6"); },
         G::IDC_PROSIGN_SPACING, "符号间隔必须介于 1 与 5 之间"},
        {"session of 0 minutes", [&] { SetField(G::IDC_SESSION_DURATION, "0"); },
         G::IDC_SESSION_DURATION, "Session duration必须介于 1 与 60 之间"},
        {"session of 61 minutes", [&] { SetField(G::IDC_SESSION_DURATION, "61"); },
         G::IDC_SESSION_DURATION, "Session duration必须介于 1 与 60 之间"},
        {"initial delay 11", [&] { SetField(G::IDC_INITIAL_DELAY, "11"); }, G::IDC_INITIAL_DELAY,
         "Initial delay必须介于 0 与 10 之间"},
        {"end delay 11", [&] { SetField(G::IDC_END_DELAY, "11"); }, G::IDC_END_DELAY,
         "End delay必须介于 0 与 10 之间"},
        {"empty field", [&] { SetField(G::IDC_END_DELAY, ""); }, G::IDC_END_DELAY,
         "Please enter an integer."},
    };
    Sheet().Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        General().TransferDataToWindow();  // back to the working copy's valid values
        c.enter();
        EXPECT_EQ(Refusal(General()).utf8_string(), c.message);
        EXPECT_EQ(wxWindow::FindFocus(), General().FindWindow(c.field));
    }
    // Nothing reached the working copy or the live settings.
    EXPECT_EQ(g_optionsSettings.m_nEndDelay, 2);
    EXPECT_EQ(g_settings.m_keying.charSpeedCpm, 90);
}

TEST_F(OptionsSheetTest, UnitSwitchTakesTheNumbersShownInTheNewUnit) {
    g_settings.m_bWpmSpeedUnit = false;  // the page shows 60 / 90 CPM
    Sheet();
    EXPECT_EQ(Control<wxTextCtrl>(General(), G::IDC_WORD_SPEED)->GetValue(), "60");
    Control<wxChoice>(General(), G::IDC_SPEED_UNIT)->SetSelection(1);
    ASSERT_TRUE(General().TransferDataFromWindow());
    EXPECT_EQ(g_optionsSettings.m_keying.wordSpeedCpm, 300);
    EXPECT_EQ(g_optionsSettings.m_keying.charSpeedCpm, 450);
    EXPECT_TRUE(g_optionsSettings.m_bWpmSpeedUnit);

    Control<wxChoice>(General(), G::IDC_SPEED_UNIT)->SetSelection(0);
    SetField(G::IDC_WORD_SPEED, "150");
    SetField(G::IDC_CHAR_SPEED, "200");
    Control<wxChoice>(General(), G::IDC_SPEED_UNIT)->SetSelection(1);
    EXPECT_EQ(Refusal(General()), U("每分钟电码数(CPM)必须介于 5 与 100 之间"));
}

TEST_F(OptionsSheetTest, LeavingARefusedPageIsVetoed) {
    Sheet().Show();
    wxBookCtrlBase* book = Sheet().GetBookCtrl();
    // The notification a click on the third tab sends before the page changes.
    auto askToLeave = [book] {
        wxBookCtrlEvent changing(wxEVT_BOOKCTRL_PAGE_CHANGING, book->GetId(), 2, 0);
        changing.SetEventObject(book);
        book->ProcessWindowEvent(changing);
        return changing.IsAllowed();
    };
    SetField(G::IDC_PROSIGN_SPACING, "9");
    wxString text;
    bool allowed = true;
    wxTEST_DIALOG(allowed = askToLeave(), ExpectMessage(text));
    EXPECT_FALSE(allowed);
    EXPECT_EQ(text, U("符号间隔必须介于 1 与 5 之间"));

    SetField(G::IDC_PROSIGN_SPACING, "4");
    EXPECT_TRUE(askToLeave());
    EXPECT_EQ(g_optionsSettings.m_nProsignSpacing, 4);  // stored on leaving
    EXPECT_EQ(g_settings.m_nProsignSpacing, 3);         // but not applied
}

TEST_F(OptionsSheetTest, ApplyCopiesTheWorkingCopyIntoTheLiveSettings) {
    Sheet().Show();
    EXPECT_FALSE(ApplyEnabled());
    SetField(G::IDC_CHAR_SPEED, "25");
    SetField(G::IDC_WORD_SPEED, "20");
    Control<wxComboBox>(General(), G::IDC_PITCH)->SetValue("900");
    ClickBox(General(), G::IDC_VIEW_OUTPUT, true);
    EXPECT_TRUE(ApplyEnabled());

    Click(Sheet(), wxID_APPLY);
    EXPECT_EQ(g_settings.m_keying.charSpeedCpm, 125);  // 25 WPM
    EXPECT_EQ(g_settings.m_keying.wordSpeedCpm, 100);
    EXPECT_EQ(g_settings.m_keying.pitch, 900);
    EXPECT_EQ(g_settings.m_keying.secondPitch, 900);  // dual pitch off
    EXPECT_TRUE(g_settings.m_bViewOutput);
    EXPECT_EQ(m_nViewRefreshes, 1);  // only the general page has been shown
    EXPECT_FALSE(ApplyEnabled());
    EXPECT_TRUE(Sheet().IsShown());

    // A page that has been shown is applied too, each apply refreshing the view.
    Sheet().GetBookCtrl()->SetSelection(2);
    Control<wxSlider>(Volume(), CVolumeOptionsDialog::IDC_CODE_VOLUME)->SetValue(30);
    Click(Sheet(), wxID_APPLY);
    EXPECT_EQ(g_settings.m_keying.volume, 30);
    EXPECT_EQ(m_nViewRefreshes, 3);
}

TEST_F(OptionsSheetTest, TypingThePitchAgainIsNoChange) {
    Sheet();
    Control<wxComboBox>(General(), G::IDC_PITCH)->SetValue("700");
    EXPECT_FALSE(ApplyEnabled());
    Control<wxComboBox>(General(), G::IDC_PITCH)->SetValue("750");
    EXPECT_TRUE(ApplyEnabled());
}

TEST_F(OptionsSheetTest, GeneralDefaultResetsOnlyItsOwnSettings) {
    g_settings.m_nCharactersUsed = 20;
    g_settings.m_nMaxWordLength = 9;
    g_settings.m_nSessionDuration = 30;
    g_settings.m_bUseCaps = true;
    g_settings.m_bDualPitch = true;
    g_settings.m_bWpmSpeedUnit = false;
    g_settings.m_ioFont = IoFontSpec{"DejaVu Sans Mono", 140, 700, true};
    g_settings.m_keying.SetSpeeds(100, 200, false);
    g_settings.m_keying.volume = 80;
    g_settings.m_keying.masterVolume = 30;
    g_settings.m_nSource = SOURCE_WORDS;
    g_settings.m_nWordsToUse = 300;
    g_settings.m_strSelectedCharacters = "kmr";
    g_settings.m_strLastTextFile = "/tmp/text.txt";
    g_settings.m_charSet.m_flags[CF_COLON] = true;
    Sheet();

    Click(General(), IDC_OPTIONS_DEFAULT);
    const CSettings& w = g_optionsSettings;
    EXPECT_EQ(w.m_nCharactersUsed, 2);
    EXPECT_EQ(w.m_nMaxWordLength, 7);
    EXPECT_EQ(w.m_nSessionDuration, 5);
    EXPECT_FALSE(w.m_bUseCaps);
    EXPECT_FALSE(w.m_bDualPitch);
    EXPECT_TRUE(w.m_bWpmSpeedUnit);
    EXPECT_EQ(w.m_ioFont.m_strFaceName, "Arial");
    EXPECT_EQ(w.m_ioFont.m_nHeight, 100);
    EXPECT_EQ(w.m_keying.charSpeedCpm, 90);
    EXPECT_EQ(w.m_keying.wordSpeedCpm, 60);
    // Volumes, source, vocabulary, lists and character set stay.
    EXPECT_EQ(w.m_keying.volume, 80);
    EXPECT_EQ(w.m_keying.masterVolume, 30);
    EXPECT_EQ(w.m_nSource, SOURCE_WORDS);
    EXPECT_EQ(w.m_nWordsToUse, 300);
    EXPECT_EQ(w.m_strSelectedCharacters, "kmr");
    EXPECT_EQ(w.m_strLastTextFile, "/tmp/text.txt");
    EXPECT_TRUE(w.m_charSet.m_flags[CF_COLON]);
    // The page shows the defaults and counts as modified; the live settings wait for Apply.
    EXPECT_EQ(Control<wxTextCtrl>(General(), G::IDC_CHAR_SPEED)->GetValue(), "18");
    EXPECT_EQ(Control<wxChoice>(General(), G::IDC_SPEED_UNIT)->GetSelection(), 1);
    EXPECT_TRUE(ApplyEnabled());
    EXPECT_EQ(g_settings.m_nSessionDuration, 30);
}

TEST_F(OptionsSheetTest, SameSoundingBoxesExcludeEachOther) {
    const std::vector<std::vector<int>> groups = {{4027, 4030},       {4028, 4031}, {4029, 4035},
                                                  {4015, 4016, 4017}, {4018, 4019}, {4020, 4021}};
    Sheet();
    for (const auto& group : groups) {
        for (int clicked : group) {
            for (int id : group) Control<wxCheckBox>(CharSet(), id)->SetValue(true);
            ClickBox(CharSet(), clicked, true);
            for (int id : group)
                EXPECT_EQ(Control<wxCheckBox>(CharSet(), id)->GetValue(), id == clicked)
                    << clicked << " " << id;
            // Unchecking it leaves the others clear.
            ClickBox(CharSet(), clicked, false);
            for (int id : group) EXPECT_FALSE(Control<wxCheckBox>(CharSet(), id)->GetValue());
        }
    }
    // A box outside the groups leaves its neighbours alone.
    Control<wxCheckBox>(CharSet(), 4002)->SetValue(true);
    ClickBox(CharSet(), 4003, true);
    EXPECT_TRUE(Control<wxCheckBox>(CharSet(), 4002)->GetValue());
}

TEST_F(OptionsSheetTest, CharacterSetNeedsTwoCharacters) {
    Sheet();
    auto only = [this](std::initializer_list<int> ids) {
        for (int id = 4000; id <= 4038; ++id) Control<wxCheckBox>(CharSet(), id)->SetValue(false);
        for (int id : ids) Control<wxCheckBox>(CharSet(), id)->SetValue(true);
    };
    only({4002});  // the full stop alone
    EXPECT_EQ(Refusal(CharSet()), U("您至少要在字符集中选择两项"));
    only({});
    EXPECT_EQ(Refusal(CharSet()), U("您至少要在字符集中选择两项"));
    only({4000});  // letters: 26 characters
    EXPECT_TRUE(CharSet().TransferDataFromWindow());
    only({4003, 4004});  // comma and slash
    EXPECT_TRUE(CharSet().TransferDataFromWindow());
    EXPECT_TRUE(g_optionsSettings.m_charSet.m_flags[CF_COMMA]);
    EXPECT_TRUE(g_optionsSettings.m_charSet.m_flags[CF_SLASH]);
    EXPECT_FALSE(g_optionsSettings.m_charSet.m_flags[CF_LETTERS]);
}

TEST_F(OptionsSheetTest, ShrinkingTheSetLowersTheLiveLesson) {
    g_settings.m_nCharactersUsed = 30;
    g_settings.m_bDualPitch = true;
    Sheet().Show();
    Sheet().GetBookCtrl()->SetSelection(1);
    // Digits and the two default signs of the first row: 10 + 2 characters.
    for (int id = 4000; id <= 4038; ++id) Control<wxCheckBox>(CharSet(), id)->SetValue(false);
    for (int id : {4001, 4002, 4003}) Control<wxCheckBox>(CharSet(), id)->SetValue(true);
    Click(Sheet(), wxID_APPLY);

    EXPECT_EQ(g_settings.m_nCharactersUsed, 12);
    EXPECT_EQ(g_optionsSettings.m_nCharactersUsed, 30);  // only the live lesson is clamped
    EXPECT_FALSE(g_settings.m_charSet.m_flags[CF_LETTERS]);
    // Dots follow the lowered lesson: 700 + 77 - (70 * 12) / 20.
    EXPECT_EQ(g_settings.m_keying.secondPitch, 735);

    // Back on the general page the limit follows the new set.
    Sheet().GetBookCtrl()->SetSelection(0);
    EXPECT_EQ(Control<wxStaticText>(General(), G::IDC_CHARACTERS_LIMIT)->GetLabel(), "/ 12");
}

TEST_F(OptionsSheetTest, CharacterSetDefaultChecksTheTenDefaultBoxes) {
    g_settings.m_nCharactersUsed = 9;
    g_settings.m_keying.volume = 77;
    Sheet();
    for (int id = 4000; id <= 4038; ++id) Control<wxCheckBox>(CharSet(), id)->SetValue(id == 4038);
    Click(CharSet(), IDC_OPTIONS_DEFAULT);
    const std::set<int> defaults = {4000, 4001, 4002, 4003, 4004, 4005, 4006, 4017, 4018, 4021};
    for (int id = 4000; id <= 4038; ++id)
        EXPECT_EQ(Control<wxCheckBox>(CharSet(), id)->GetValue(), defaults.count(id) == 1) << id;
    EXPECT_EQ(g_optionsSettings.m_nCharactersUsed, 9);
    EXPECT_EQ(g_optionsSettings.m_keying.volume, 77);
    EXPECT_TRUE(ApplyEnabled());
}

TEST_F(OptionsSheetTest, VolumeSlidersRunFromLoudAtTheTop) {
    g_settings.m_keying.volume = 80;
    g_settings.m_keying.masterVolume = 10;
    g_settings.m_keying.pitch = 1000;
    auto* code = Control<wxSlider>(Volume(), CVolumeOptionsDialog::IDC_CODE_VOLUME);
    auto* master = Control<wxSlider>(Volume(), CVolumeOptionsDialog::IDC_MASTER_VOLUME);
    EXPECT_EQ(code->GetMin(), 0);
    EXPECT_EQ(code->GetMax(), 100);
    // The slider's value is the volume, its minimum at the bottom: the bar fills up towards
    // loud, as the control bar's does.
    EXPECT_TRUE(code->HasFlag(wxSL_INVERSE));
    EXPECT_EQ(code->GetValue(), 80);
    EXPECT_EQ(master->GetValue(), 10);

    code->SetValue(100);
    ASSERT_TRUE(Volume().TransferDataFromWindow());
    EXPECT_EQ(g_optionsSettings.m_keying.volume, 100);

    Click(Volume(), IDC_OPTIONS_DEFAULT);
    EXPECT_EQ(code->GetValue(), 50);
    EXPECT_EQ(master->GetValue(), 50);
    EXPECT_EQ(g_optionsSettings.m_keying.pitch, 1000);
    EXPECT_TRUE(ApplyEnabled());
}

TEST_F(OptionsSheetTest, CancelKeepsTheLiveSettingsAndStillSavesThem) {
    std::filesystem::remove(ProfileFile());
    g_settings.m_keying.SetSpeeds(70, 95, false);
    Sheet();
    wxTheApp->CallAfter([this] {
        SetField(G::IDC_CHAR_SPEED, "40");
        Click(General(), IDC_OPTIONS_DEFAULT);
        EXPECT_FALSE(std::filesystem::exists(ProfileFile()));  // nothing written yet
        Click(Sheet(), wxID_CANCEL);
    });
    EXPECT_EQ(Sheet().ShowModal(), wxID_CANCEL);

    EXPECT_EQ(g_settings.m_keying.charSpeedCpm, 95);
    EXPECT_EQ(g_settings.m_keying.wordSpeedCpm, 70);
    EXPECT_EQ(m_nViewRefreshes, 0);
    ASSERT_TRUE(std::filesystem::exists(ProfileFile()));
    WxProfileStore store;
    EXPECT_EQ(store.ReadInt("Settings", "Char speed", -1), 95);
    EXPECT_EQ(store.ReadInt("Settings", "Word speed", -1), 70);
}

TEST_F(OptionsSheetTest, OkAppliesClosesAndSaves) {
    std::filesystem::remove(ProfileFile());
    Sheet();
    wxTheApp->CallAfter([this] {
        SetField(G::IDC_SESSION_DURATION, "15");
        Click(Sheet(), wxID_OK);
    });
    EXPECT_EQ(Sheet().ShowModal(), wxID_OK);
    EXPECT_EQ(g_settings.m_nSessionDuration, 15);
    ASSERT_TRUE(std::filesystem::exists(ProfileFile()));
    WxProfileStore store;
    EXPECT_EQ(store.ReadInt("Settings", "Session duration", -1), 15);
}

TEST_F(OptionsSheetTest, OkOnARefusedPageKeepsTheSheetOpen) {
    Sheet();
    wxString text;
    bool stillOpen = false;
    wxTheApp->CallAfter([&] {
        SetField(G::IDC_MIN_WORD_LENGTH, "11");
        wxTEST_DIALOG(Click(Sheet(), wxID_OK), ExpectMessage(text));
        stillOpen = Sheet().IsModal();
        Click(Sheet(), wxID_CANCEL);
    });
    EXPECT_EQ(Sheet().ShowModal(), wxID_CANCEL);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(text, U("词长下限必须介于 2 与 10 之间"));
    EXPECT_EQ(g_settings.m_nMinWordLength, 2);
}

TEST_F(OptionsSheetTest, F1AsksThePageInFrontForItsHelp) {
    Sheet().Show();
    // A recorder bound after the pages' own handlers runs first and keeps the help closed.
    std::vector<COptionsPage*> asked;
    for (COptionsPage* page :
         {static_cast<COptionsPage*>(&General()), static_cast<COptionsPage*>(&CharSet()),
          static_cast<COptionsPage*>(&Volume())}) {
        page->Bind(
            wxEVT_BUTTON, [&asked, page](wxCommandEvent&) { asked.push_back(page); },
            IDC_OPTIONS_HELP);
    }
    auto pressF1 = [this] {
        wxKeyEvent key(wxEVT_CHAR_HOOK);
        key.m_keyCode = WXK_F1;
        key.SetEventObject(Control<wxTextCtrl>(General(), G::IDC_CHAR_SPEED));
        Sheet().ProcessWindowEvent(key);
        wxTheApp->ProcessPendingEvents();
    };
    pressF1();
    Sheet().GetBookCtrl()->SetSelection(2);
    pressF1();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], &General());
    EXPECT_EQ(asked[1], &Volume());
}

namespace {

// The font dialog, answered without showing it: the initial font is kept, the given font (or
// none, for Cancel) is chosen.
class AnswerFont : public wxExpectModalBase<wxFontDialog, AnswerFont> {
public:
    AnswerFont(wxFont* initial, const wxFont& chosen) : m_initial(initial), m_chosen(chosen) {}

protected:
    int OnInvoked(wxFontDialog* dialog) const override {
        *m_initial = dialog->GetFontData().GetInitialFont();
        if (!m_chosen.IsOk()) return wxID_CANCEL;
        dialog->GetFontData().SetChosenFont(m_chosen);
        return wxID_OK;
    }

private:
    wxFont* m_initial;
    wxFont m_chosen;
};

}  // namespace

TEST_F(OptionsSheetTest, FontIsStoredInTenthsOfAPoint) {
    g_settings.m_ioFont = IoFontSpec{"DejaVu Sans", 115, 400, false};
    Sheet();
    wxFont initial;
    wxFont chosen(wxFontInfo(12.5).FaceName("DejaVu Serif").Bold().Italic());
    wxTEST_DIALOG(Click(General(), G::IDC_FONT), AnswerFont(&initial, chosen));
    EXPECT_DOUBLE_EQ(initial.GetFractionalPointSize(), 11.5);
    EXPECT_EQ(initial.GetFaceName(), "DejaVu Sans");
    const IoFontSpec& font = g_optionsSettings.m_ioFont;
    EXPECT_EQ(font.m_nHeight, 125);
    EXPECT_EQ(font.m_nWeight, 700);
    EXPECT_TRUE(font.m_bItalic);
    EXPECT_EQ(font.m_strFaceName, "DejaVu Serif");
    EXPECT_TRUE(ApplyEnabled());

    // Cancel changes nothing.
    wxTEST_DIALOG(Click(General(), G::IDC_FONT), AnswerFont(&initial, wxNullFont));
    EXPECT_EQ(font.m_nHeight, 125);
    EXPECT_EQ(g_settings.m_ioFont.m_nHeight, 115);  // the live font waits for Apply
}

TEST_F(OptionsSheetTest, UpAndDownStepAFieldWithinItsArrowsRange) {
    Sheet();
    auto press = [this](int id, int key) {
        wxKeyEvent down(wxEVT_KEY_DOWN);
        down.m_keyCode = key;
        Control<wxTextCtrl>(General(), id)->ProcessWindowEvent(down);
        return Control<wxTextCtrl>(General(), id)->GetValue();
    };
    SetField(G::IDC_MIN_WORD_LENGTH, "9");
    EXPECT_EQ(press(G::IDC_MIN_WORD_LENGTH, WXK_UP), "10");
    EXPECT_EQ(press(G::IDC_MIN_WORD_LENGTH, WXK_UP), "10");
    EXPECT_EQ(press(G::IDC_PROSIGN_SPACING, WXK_DOWN), "2");
    EXPECT_EQ(press(G::IDC_PROSIGN_SPACING, WXK_DOWN), "1");
    EXPECT_EQ(press(G::IDC_PROSIGN_SPACING, WXK_DOWN), "1");
    // The lesson's arrows end at the size of the set (44 by default).
    SetField(G::IDC_CHARACTERS, "43");
    EXPECT_EQ(press(G::IDC_CHARACTERS, WXK_UP), "44");
    EXPECT_EQ(press(G::IDC_CHARACTERS, WXK_UP), "44");
    EXPECT_TRUE(ApplyEnabled());
}

namespace {

// Alt + letter as the sheet sees it, from the given field; true when the sheet took the key.
bool PressAlt(COptionsSheet& sheet, wxWindow* from, char letter) {
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = letter;
    key.m_altDown = true;
    key.SetEventObject(from);
    return sheet.ProcessWindowEvent(key);
}

}  // namespace

TEST_F(OptionsSheetTest, EveryUnderlinedLetterOfAPageIsItsOwn) {
    Sheet().Show();
    for (size_t page = 0; page < Sheet().GetBookCtrl()->GetPageCount(); ++page) {
        Sheet().GetBookCtrl()->SetSelection(page);
        std::set<wxUniChar> seen;
        for (wxWindow* window : Sheet().MnemonicWindows()) {
            const wxUniChar letter = MnemonicOf(window->GetLabel());
            if (letter == 0) continue;
            EXPECT_TRUE(seen.insert(letter).second)
                << "page " << page << ": " << window->GetLabel().utf8_str() << " repeats "
                << wxString(letter).utf8_str();
        }
        EXPECT_GE(seen.size(), 4u) << page;
    }
}

TEST_F(OptionsSheetTest, AltAndALabelsLetterGoesToWhatItNames) {
    Sheet().Show();
    const std::pair<char, int> fields[] = {
        {'S', G::IDC_WORD_SPEED},        {'P', G::IDC_PITCH},           {'C', G::IDC_CHARACTERS},
        {'N', G::IDC_MIN_WORD_LENGTH},   {'X', G::IDC_MAX_WORD_LENGTH}, {'O', G::IDC_PROSIGN_SPACING},
        {'M', G::IDC_MODE},              {'R', G::IDC_SESSION_DURATION}, {'I', G::IDC_INITIAL_DELAY},
        {'E', G::IDC_END_DELAY},         {'T', G::IDC_DUAL_PITCH},      {'W', G::IDC_VIEW_OUTPUT}};
    const auto windows = Sheet().MnemonicWindows();
    for (const auto& [letter, id] : fields) {
        wxWindow* target = MnemonicTarget(windows, wxUniChar(letter));
        ASSERT_NE(target, nullptr) << letter;
        EXPECT_EQ(target->GetId(), id) << letter;
    }

    // The key is the sheet's: nothing is typed into the field in front, and a check box reached
    // by its letter is toggled like a click, which the page notices.
    auto* charSpeed = Control<wxTextCtrl>(General(), G::IDC_CHAR_SPEED);
    const wxString before = charSpeed->GetValue();
    EXPECT_TRUE(PressAlt(Sheet(), charSpeed, 'n'));
    EXPECT_EQ(charSpeed->GetValue(), before);
    auto* dualPitch = Control<wxCheckBox>(General(), G::IDC_DUAL_PITCH);
    const bool wasChecked = dualPitch->GetValue();
    EXPECT_TRUE(PressAlt(Sheet(), charSpeed, 'T'));
    EXPECT_NE(dualPitch->GetValue(), wasChecked);
    EXPECT_TRUE(ApplyEnabled());
    // A letter no label carries is left to the rest of the program.
    EXPECT_FALSE(PressAlt(Sheet(), charSpeed, 'Q'));

    // A group's caption leads to its first box.
    Sheet().GetBookCtrl()->SetSelection(1);
    wxWindow* first = MnemonicTarget(Sheet().MnemonicWindows(), 'S');
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetId(), 4000);
}
