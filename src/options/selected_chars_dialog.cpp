#include "options/selected_chars_dialog.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <mutex>

#include "content/charset.h"
#include "content/codepage.h"
#include "content/text_prep.h"
#include "options/small_dialog_layout.h"
#include "settings/settings.h"

static_assert(CSelectedCharsDialog::IDC_CHARACTERS < wxID_LOWEST);

CSelectedCharsDialog::CSelectedCharsDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("指定字符集")) {
    {
        std::lock_guard lock(g_settingsLock);
        m_strCharacters = g_settings.m_strSelectedCharacters;
    }
    m_pEdit = new wxTextCtrl(this, IDC_CHARACTERS, wxString(), wxDefaultPosition,
                             wxSize(ConvertDialogToPixels(wxSize(153, -1)).x, -1));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8("字符(&C)")), 0,
             wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(8));
    row->Add(m_pEdit, 1, wxALIGN_CENTER_VERTICAL);
    LayOutSmallDialog(this, row);
}

bool CSelectedCharsDialog::TransferDataToWindow() {
    m_pEdit->ChangeValue(wxString::FromUTF8(codepage::ToUtf8(m_strCharacters)));
    return true;
}

bool CSelectedCharsDialog::TransferDataFromWindow() {
    m_strCharacters = codepage::FromUtf8(m_pEdit->GetValue().utf8_string());
    if (NormaliseCharacterList(m_strCharacters).empty()) {
        RejectField(this, m_pEdit, wxString::FromUTF8("您至少需要输入一个有效字符"));
        return false;
    }
    std::lock_guard lock(g_settingsLock);
    g_settings.m_strSelectedCharacters = m_strCharacters;
    return true;
}
