#include "options/volume_options_page.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <algorithm>

#include "engine/keying.h"
#include "options/sound_output_host.h"
#include "settings/settings.h"
#include "ui/translate.h"

static_assert(CVolumeOptionsDialog::IDC_MASTER_VOLUME < static_cast<int>(wxID_LOWEST) &&
              CVolumeOptionsDialog::IDC_TEST_TONE < static_cast<int>(wxID_LOWEST));

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

    // The sound output.
    SoundOutputHost* host = sheet.SoundOutput();
    if (host != nullptr) m_outputs = host->OutputNames();
    auto* output = new wxStaticBoxSizer(wxVERTICAL, this, _("声音输出"));
    wxWindow* outputBox = output->GetStaticBox();
    auto* grid = new wxFlexGridSizer(2, FromDIP(4), FromDIP(8));
    grid->AddGrowableCol(1);
    wxArrayString names;
    names.Add(_("系统默认"));
    for (const std::string& name : m_outputs) names.Add(wxString::FromUTF8(name));
    grid->Add(new wxStaticText(outputBox, wxID_ANY, _("输出设备(&O)")), 0, wxALIGN_CENTER_VERTICAL);
    m_pOutput = new wxChoice(outputBox, IDC_OUTPUT_DEVICE, wxDefaultPosition, wxDefaultSize, names);
    grid->Add(m_pOutput, 1, wxEXPAND);
    const OptionRow& leadIn = OptionRowOf("Lead-in ms");
    grid->Add(new wxStaticText(outputBox, wxID_ANY, _("起始静音(毫秒)(&L)")), 0,
              wxALIGN_CENTER_VERTICAL);
    m_pLeadIn = new wxSpinCtrl(outputBox, IDC_LEAD_IN, wxEmptyString, wxDefaultPosition,
                               wxDefaultSize, wxSP_ARROW_KEYS, leadIn.low, leadIn.high, 0);
    grid->Add(m_pLeadIn, 0);
    output->Add(grid, 0, wxEXPAND | wxALL, FromDIP(8));
    auto* test = new wxButton(outputBox, IDC_TEST_TONE, _("试听(&T)"));
    test->Enable(host != nullptr);
    output->Add(test, 0, wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(8));
    page->Add(output, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, FromDIP(8));
    m_pOutput->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { MarkIfChanged(); });
    m_pLeadIn->Bind(wxEVT_SPINCTRL, [this](wxCommandEvent&) { MarkIfChanged(); });
    test->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { PlayTestTone(); });

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
    // A stored output the host does not list now shows as the default it falls back to.
    const auto listed =
        std::find(m_outputs.begin(), m_outputs.end(), g_optionsSettings.m_strOutputDevice);
    m_pOutput->SetSelection(
        listed == m_outputs.end() ? 0 : 1 + static_cast<int>(listed - m_outputs.begin()));
    m_pLeadIn->SetValue(g_optionsSettings.m_keying.leadInMs);
    return true;
}

std::string CVolumeOptionsDialog::ChosenOutput() const {
    const int choice = m_pOutput->GetSelection();
    if (choice >= 1 && choice <= static_cast<int>(m_outputs.size())) return m_outputs[choice - 1];
    // "系统默认" keeps a stored output that is only absent for now (a headset unplugged).
    const std::string& stored = g_optionsSettings.m_strOutputDevice;
    const bool absent = std::find(m_outputs.begin(), m_outputs.end(), stored) == m_outputs.end();
    return absent ? stored : std::string();
}

bool CVolumeOptionsDialog::TransferDataFromWindow() {
    g_optionsSettings.m_keying.volume = m_pCodeVolume->GetValue();
    g_optionsSettings.m_keying.masterVolume = m_pMasterVolume->GetValue();
    g_optionsSettings.m_strOutputDevice = ChosenOutput();
    g_optionsSettings.m_keying.leadInMs = m_pLeadIn->GetValue();
    return true;
}

void CVolumeOptionsDialog::MarkIfChanged() {
    if (ChosenOutput() != g_optionsSettings.m_strOutputDevice ||
        m_pLeadIn->GetValue() != g_optionsSettings.m_keying.leadInMs)
        SetModified();
}

void CVolumeOptionsDialog::PlayTestTone() {
    SoundOutputHost* host = Sheet().SoundOutput();
    if (host == nullptr) return;
    KeyingParameters keying = g_optionsSettings.m_keying;
    keying.volume = m_pCodeVolume->GetValue();
    keying.masterVolume = m_pMasterVolume->GetValue();
    keying.leadInMs = m_pLeadIn->GetValue();
    host->PlayTestTone(keying, ChosenOutput());
}

void CVolumeOptionsDialog::ResetToDefaults() {
    g_optionsSettings.ResetPage(OptionPage::Volume);
    TransferDataToWindow();
    SetModified();
}
