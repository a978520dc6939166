#include "options/small_dialog_layout.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "ui/message_box.h"

void LayOutSmallDialog(wxDialog* dialog, wxSizer* controls, bool buttonsRight) {
    auto* ok = new wxButton(dialog, wxID_OK, wxString::FromUTF8("确定"));
    auto* cancel = new wxButton(dialog, wxID_CANCEL, wxString::FromUTF8("取消"));
    ok->SetDefault();

    const int gap = dialog->FromDIP(10);
    auto* buttons = new wxBoxSizer(buttonsRight ? wxVERTICAL : wxHORIZONTAL);
    buttons->Add(ok, 0, wxEXPAND);
    buttons->AddSpacer(dialog->FromDIP(buttonsRight ? 6 : 10));
    buttons->Add(cancel, 0, wxEXPAND);

    auto* top = new wxBoxSizer(buttonsRight ? wxHORIZONTAL : wxVERTICAL);
    top->Add(controls, 1, wxEXPAND | wxALL, gap);
    if (buttonsRight)
        top->Add(buttons, 0, wxTOP | wxRIGHT | wxBOTTOM, gap);
    else
        top->Add(buttons, 0, wxALIGN_CENTER_HORIZONTAL | wxLEFT | wxRIGHT | wxBOTTOM, gap);
    dialog->SetSizerAndFit(top);
    dialog->CentreOnParent();
}

void RejectField(wxDialog* dialog, wxTextCtrl* field, const wxString& message) {
    ShowMessageBox(dialog, message, wxOK);
    field->SetFocus();
    field->SelectAll();
}
