#include "options/input_text_dialog.h"

#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "content/codepage.h"
#include "options/small_dialog_layout.h"

static_assert(CInputTextDialog::IDC_TEXT < wxID_LOWEST);

CInputTextDialog::CInputTextDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("输入报文")) {
    // Lines wrap at the edge (at a word break where there is one); no horizontal scrolling.
    m_pEdit = new wxTextCtrl(this, IDC_TEXT, wxString(), wxDefaultPosition,
                             ConvertDialogToPixels(wxSize(321, 157)),
                             wxTE_MULTILINE | wxTE_BESTWRAP | wxVSCROLL);
    // A multi-line field would take Enter for a line break. Here Enter confirms the dialog, as
    // in any dialog, and Ctrl+Enter is the way to type a line break.
    m_pEdit->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        if (key != WXK_RETURN && key != WXK_NUMPAD_ENTER) {
            event.Skip();
            return;
        }
        if (event.ControlDown()) {
            m_pEdit->WriteText("\n");
            return;
        }
        wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
        ok.SetEventObject(FindWindow(wxID_OK));
        ProcessWindowEvent(ok);
    });

    auto* controls = new wxBoxSizer(wxVERTICAL);
    controls->Add(m_pEdit, 1, wxEXPAND);
    LayOutSmallDialog(this, controls, true);
    m_pEdit->SetFocus();
}

bool CInputTextDialog::TransferDataFromWindow() {
    m_strText = codepage::FromUtf8(m_pEdit->GetValue().utf8_string());
    return true;
}
