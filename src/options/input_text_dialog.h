#pragma once
// Asks for a practice text typed in by the user. Enter confirms the dialog; Ctrl+Enter types a
// line break. The dialog opens empty and hands its text back to the caller.

#include <wx/dialog.h>

#include <string>

class wxTextCtrl;

class CInputTextDialog : public wxDialog {
public:
    static constexpr int IDC_TEXT = 2061;

    explicit CInputTextDialog(wxWindow* parent);

    bool TransferDataFromWindow() override;
    // The confirmed text in Windows-1252 bytes; a character the code page cannot hold becomes
    // codepage::kUnmappable.
    std::string GetText() const { return m_strText; }

private:
    std::string m_strText;
    wxTextCtrl* m_pEdit = nullptr;
};
