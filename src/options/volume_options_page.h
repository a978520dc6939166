#pragma once
// The volume page "音量": the code volume and the master volume, two software gains from 0 to
// 100 that multiply every tone sample. Each slider's position is 100 minus its volume, so the
// loudest setting is at the top. Below them the sound output: the device ("系统默认" or one the
// host lists), the lead-in of silence before every playback, and a test tone at these settings.

#include "options/options_sheet.h"

#include <string>
#include <vector>

class wxChoice;
class wxSlider;
class wxSpinCtrl;

class CVolumeOptionsDialog : public COptionsPage {
public:
    enum ControlId : int {
        IDC_CODE_VOLUME = 2003,
        IDC_MASTER_VOLUME = 2006,
        // Controls beyond the first version's page.
        IDC_OUTPUT_DEVICE = 2101,
        IDC_LEAD_IN = 2102,
        IDC_TEST_TONE = 2103,
    };

    CVolumeOptionsDialog(wxWindow* book, COptionsSheet& sheet);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    // Default: both volumes back to 50, the default output, no lead-in; nothing else changes.
    void ResetToDefaults();
    // "试听": keys the test tone at the page's settings.
    void PlayTestTone();

    wxChoice* OutputChoice() const { return m_pOutput; }
    wxSpinCtrl* LeadIn() const { return m_pLeadIn; }

private:
    // The output chosen on the page: "" for the system's default.
    std::string ChosenOutput() const;
    void MarkIfChanged();

    wxChoice* m_pOutput = nullptr;
    wxSpinCtrl* m_pLeadIn = nullptr;
    // The outputs listed after "系统默认", as the host named them when the page was made.
    std::vector<std::string> m_outputs;
    wxSlider* m_pCodeVolume = nullptr;
    wxSlider* m_pMasterVolume = nullptr;
};
