// The three small input dialogs: validation, what they store and what they hand back.
#include <gtest/gtest.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <mutex>
#include <string>
#include <vector>

#include "content/charset.h"
#include "options/input_text_dialog.h"
#include "options/selected_chars_dialog.h"
#include "options/word_count_dialog.h"
#include "settings/settings.h"

namespace {

// Answers every modal dialog shown while it exists with OK, without showing it, and keeps the
// texts of the message boxes (anything else is recorded as unexpected). A box whose button is
// not the program's "确定" is recorded with the label it had.
class ModalCatcher : public wxModalDialogHook {
public:
    ModalCatcher() { Register(); }
    ~ModalCatcher() override { Unregister(); }

    std::vector<std::string> messages;

protected:
    int Enter(wxDialog* dialog) override {
        auto* box = dynamic_cast<wxMessageDialog*>(dialog);
        if (box == nullptr) {
            messages.push_back("unexpected dialog");
            return wxID_OK;
        }
        std::string text = box->GetMessage().utf8_string();
        if (box->GetOKLabel() != wxString::FromUTF8("确定"))
            text += " [button " + box->GetOKLabel().utf8_string() + "]";
        messages.push_back(text);
        return wxID_OK;
    }
    void Exit(wxDialog*) override {}
};

// Types text into the shown dialog's field and presses a button (which takes the focus, as a
// click would); returns the texts of the message boxes shown.
std::vector<std::string> Submit(wxDialog& dialog, int field, const char* typed, int button) {
    static_cast<wxTextCtrl*>(dialog.FindWindow(field))->ChangeValue(wxString::FromUTF8(typed));
    dialog.FindWindow(button)->SetFocus();
    ModalCatcher catcher;
    wxCommandEvent click(wxEVT_BUTTON, button);
    click.SetEventObject(dialog.FindWindow(button));
    dialog.ProcessWindowEvent(click);
    return catcher.messages;
}

std::string SelectedCharacters() {
    std::lock_guard lock(g_settingsLock);
    return g_settings.m_strSelectedCharacters;
}
void SetSelectedCharacters(const std::string& characters) {
    std::lock_guard lock(g_settingsLock);
    g_settings.m_strSelectedCharacters = characters;
}

using Messages = std::vector<std::string>;
const Messages kWordCountRange{"词库单词量必须介于 1 到 1000 之间"};
const Messages kNotAnInteger{"Please enter an integer."};
const Messages kNoValidCharacter{"您至少需要输入一个有效字符"};

}  // namespace

TEST(InputDialogsTest, WordCountAcceptsOneToThousand) {
    const int32_t saved = g_settings.m_nWordsToUse;
    const struct {
        const char* typed;
        Messages messages;  // none: accepted
    } cases[] = {
        {"1", {}},
        {"1000", {}},
        {" 25 ", {}},
        {"0", kWordCountRange},
        {"1001", kWordCountRange},
        {"99999999999", kWordCountRange},
        {"", kNotAnInteger},
        {"abc", kNotAnInteger},
        {"1 2", kNotAnInteger},
    };
    for (const auto& c : cases) {
        g_settings.m_nWordsToUse = 300;
        CWordCountDialog dialog(nullptr);
        dialog.Show();
        EXPECT_EQ(static_cast<wxTextCtrl*>(dialog.FindWindow(2062))->GetValue(), "300");
        EXPECT_EQ(Submit(dialog, 2062, c.typed, wxID_OK), c.messages) << c.typed;
        const bool accepted = c.messages.empty();
        EXPECT_EQ(dialog.IsShown(), !accepted) << c.typed;
        EXPECT_EQ(g_settings.m_nWordsToUse, accepted ? std::stoi(c.typed) : 300) << c.typed;
        if (!accepted) {
            EXPECT_EQ(wxWindow::FindFocus(), dialog.FindWindow(2062)) << c.typed;
        }
    }

    CWordCountDialog cancelled(nullptr);
    cancelled.Show();
    EXPECT_EQ(Submit(cancelled, 2062, "5", wxID_CANCEL), Messages{});
    EXPECT_EQ(g_settings.m_nWordsToUse, 300);
    g_settings.m_nWordsToUse = saved;
}

TEST(InputDialogsTest, SelectedCharactersNeedOneSendableCharacter) {
    const std::string saved = SelectedCharacters();
    const struct {
        const char* typed;
        Messages messages;
        const char* stored;
    } cases[] = {
        // A parenthesis counts whether or not the set enables it; the list is stored as typed.
        {"(", {}, "("},
        {"ab 9#", {}, "ab 9#"},
        {"\\sk", {}, "\\sk"},
        {"ä", {}, "\xE4"},  // Windows-1252
        {"", kNoValidCharacter, "kmr"},
        {"#%&~ \\", kNoValidCharacter, "kmr"},
        {"€", kNoValidCharacter, "kmr"},
    };
    for (const auto& c : cases) {
        SetSelectedCharacters("kmr");
        CSelectedCharsDialog dialog(nullptr);
        dialog.Show();
        EXPECT_EQ(static_cast<wxTextCtrl*>(dialog.FindWindow(2005))->GetValue(), "kmr");
        EXPECT_EQ(Submit(dialog, 2005, c.typed, wxID_OK), c.messages) << c.typed;
        EXPECT_EQ(SelectedCharacters(), c.stored) << c.typed;
        EXPECT_EQ(dialog.IsShown(), !c.messages.empty()) << c.typed;
        if (!c.messages.empty()) {
            EXPECT_EQ(wxWindow::FindFocus(), dialog.FindWindow(2005)) << c.typed;
        }
    }
    SetSelectedCharacters(saved);
}

TEST(InputDialogsTest, TypedTextIsWindows1252AndOpensEmpty) {
    CInputTextDialog dialog(nullptr);
    auto* edit = static_cast<wxTextCtrl*>(dialog.FindWindow(2061));
    EXPECT_EQ(edit->GetValue(), "");

    // Enter confirms the dialog, Ctrl+Enter types a line break.
    wxTimer type;
    wxTimer guard;  // a dialog still open after five seconds fails instead of hanging
    type.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        edit->ChangeValue(wxString::FromUTF8("Bär €"));
        edit->SetInsertionPointEnd();
        wxUIActionSimulator simulator;
        simulator.MouseMove(edit->GetScreenPosition() + wxPoint(10, 10));
        simulator.Char(WXK_RETURN, wxMOD_CONTROL);
        simulator.Char('k');
        simulator.Char(WXK_RETURN);
    });
    guard.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (dialog.IsModal()) dialog.EndModal(wxID_ABORT);
    });
    type.StartOnce(300);
    guard.StartOnce(5000);
    EXPECT_EQ(dialog.ShowModal(), wxID_OK);
    EXPECT_EQ(dialog.GetText(), "B\xE4r \x80\nk");

    CInputTextDialog again(nullptr);
    EXPECT_EQ(static_cast<wxTextCtrl*>(again.FindWindow(2061))->GetValue(), "");
    EXPECT_EQ(again.GetText(), "");
}
