#pragma once
// Pieces shared by the small input dialogs: the OK / Cancel buttons around the dialog's own
// controls, and the refusal of a field's input.

#include <wx/string.h>

class wxDialog;
class wxSizer;
class wxTextCtrl;

// Puts the dialog's controls and its OK ("确定", default) and Cancel ("取消") buttons into the
// dialog's sizer and fits the dialog: the buttons in a row centred below the controls, or in a
// column to their right.
void LayOutSmallDialog(wxDialog* dialog, wxSizer* controls, bool buttonsRight = false);

// Tells the user why the field's input was refused and puts the focus back on the field, with
// its text selected for retyping.
void RejectField(wxDialog* dialog, wxTextCtrl* field, const wxString& message);
