#pragma once
// The volume page "音量": the code volume and the master volume, two software gains from 0 to
// 100 that multiply every tone sample. Each slider's position is 100 minus its volume, so the
// loudest setting is at the top.

#include "options/options_sheet.h"

class wxSlider;

class CVolumeOptionsDialog : public COptionsPage {
public:
    enum ControlId : int {
        IDC_CODE_VOLUME = 2003,
        IDC_MASTER_VOLUME = 2006,
    };

    CVolumeOptionsDialog(wxWindow* book, COptionsSheet& sheet);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    // Default: both volumes back to 50; nothing else changes.
    void ResetToDefaults();

private:
    wxSlider* m_pCodeVolume = nullptr;
    wxSlider* m_pMasterVolume = nullptr;
};
