#pragma once
// Asks for the characters of the specified-characters source. On OK the list is stored, as
// typed, into the live settings' "Selected Characters"; at least one sendable character is
// required.

#include <wx/dialog.h>

#include <string>

class wxTextCtrl;

class CSelectedCharsDialog : public wxDialog {
public:
    static constexpr int IDC_CHARACTERS = 2005;

    explicit CSelectedCharsDialog(wxWindow* parent);

    bool TransferDataToWindow() override;
    // Refuses a list with no sendable character (message, focus back on the field).
    bool TransferDataFromWindow() override;

private:
    std::string m_strCharacters;  // Windows-1252, as typed
    wxTextCtrl* m_pEdit = nullptr;
};
