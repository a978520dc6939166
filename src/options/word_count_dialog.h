#pragma once
// Asks how many of the common words to practise with. On OK the number, 1 to 1000, is stored
// into the live settings' "Words to use".

#include <wx/dialog.h>

#include <cstdint>

class wxTextCtrl;

class CWordCountDialog : public wxDialog {
public:
    static constexpr int IDC_WORD_COUNT = 2062;

    explicit CWordCountDialog(wxWindow* parent);

    // Both directions start from the live "Words to use".
    bool TransferDataToWindow() override;
    // Refuses text that is no whole number and numbers outside 1 to 1000 (message, focus back).
    bool TransferDataFromWindow() override;

private:
    int32_t m_nWordCount = 0;
    wxTextCtrl* m_pEdit = nullptr;
};
