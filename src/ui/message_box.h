#pragma once
// The program's message box: its title is the program's name and its buttons carry the same
// Chinese texts as every other button of the program ("确定", "取消", "是", "否"), not the
// toolkit's own, which follow the system's language.

#include <wx/string.h>

class wxWindow;

// Shows a modal message box with the wxMessageDialog style (wxOK, wxYES_NO, wxCANCEL, an icon)
// and returns the button pressed (wxID_OK, wxID_YES, ...).
int ShowMessageBox(wxWindow* parent, const wxString& text, long style);
