#include "options/volume_options_page.h"

#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "engine/keying.h"
#include "settings/settings.h"

static_assert(CVolumeOptionsDialog::IDC_MASTER_VOLUME < static_cast<int>(wxID_LOWEST));

namespace {

wxString U(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

// The sliders run top (loudest) to bottom (silent) over the volumes' range.
const int kSliderMax = OptionRowOf("Volume").high;

}  // namespace

CVolumeOptionsDialog::CVolumeOptionsDialog(wxWindow* book, COptionsSheet& sheet)
    : COptionsPage(book, sheet, U("音量")) {
    auto* page = new wxBoxSizer(wxVERTICAL);
    auto* group = new wxStaticBoxSizer(wxHORIZONTAL, this, U("音量"));
    wxWindow* box = group->GetStaticBox();

    // Loud at the top, and the bar filled from the bottom up to the thumb, as the control bar's
    // slider fills towards loud: the slider's value is the stored volume.
    auto addSlider = [&](int id, const char* caption) {
        auto* slider =
            new wxSlider(box, id, 0, 0, kSliderMax, wxDefaultPosition, wxSize(-1, FromDIP(150)),
                         wxSL_VERTICAL | wxSL_INVERSE | wxSL_AUTOTICKS | wxSL_BOTH);
        slider->SetTickFreq(10);
        auto* column = new wxBoxSizer(wxVERTICAL);
        column->Add(slider, 1, wxALIGN_CENTER_HORIZONTAL);
        column->Add(new wxStaticText(box, wxID_ANY, U(caption)), 0,
                    wxALIGN_CENTER_HORIZONTAL | wxTOP, FromDIP(4));
        group->Add(column, 0, wxEXPAND | wxALL, FromDIP(8));
        return slider;
    };
    m_pCodeVolume = addSlider(IDC_CODE_VOLUME, "电码(&C)");
    m_pMasterVolume = addSlider(IDC_MASTER_VOLUME, "系统(&M)");

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(group);
    page->Add(row, 0, wxLEFT | wxRIGHT | wxTOP, FromDIP(8));
    AddPageButtons(page, "audiooptions.htm", [this] { ResetToDefaults(); });
    SetSizer(page);

    // Moving a slider counts as a change once it stands for another volume than the working one.
    m_pCodeVolume->Bind(wxEVT_SLIDER, [this](wxCommandEvent& event) {
        if (event.GetInt() != g_optionsSettings.m_keying.volume) SetModified();
    });
    m_pMasterVolume->Bind(wxEVT_SLIDER, [this](wxCommandEvent& event) {
        if (event.GetInt() != g_optionsSettings.m_keying.masterVolume) SetModified();
    });
}

bool CVolumeOptionsDialog::TransferDataToWindow() {
    m_pCodeVolume->SetValue(g_optionsSettings.m_keying.volume);
    m_pMasterVolume->SetValue(g_optionsSettings.m_keying.masterVolume);
    return true;
}

bool CVolumeOptionsDialog::TransferDataFromWindow() {
    g_optionsSettings.m_keying.volume = m_pCodeVolume->GetValue();
    g_optionsSettings.m_keying.masterVolume = m_pMasterVolume->GetValue();
    return true;
}

void CVolumeOptionsDialog::ResetToDefaults() {
    g_optionsSettings.ResetPage(OptionPage::Volume);
    TransferDataToWindow();
    SetModified();
}
