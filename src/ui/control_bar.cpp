#include "ui/control_bar.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "settings/settings.h"
#include "ui/command_ids.h"
#include "ui/pitch_list.h"

wxDEFINE_EVENT(EVT_CONTROL_BAR_FIELD_LEFT, wxCommandEvent);

namespace {

// Field widths in characters of the bar's font: three digits fit every value the fields take.
constexpr int kNumberFieldChars = 4;
constexpr int kVolumeSliderWidth = 100;  // pixels
constexpr int kGap = 4;                  // pixels between a caption and its field

wxStaticText* Caption(wxWindow* parent, const char* utf8) {
    return new wxStaticText(parent, wxID_ANY, wxString::FromUTF8(utf8));
}

int CharsWide(const wxWindow* window, int chars) {
    return window->GetTextExtent(wxString('0', chars)).x;
}

// The leading decimal number of a field's text, as the C library reads it: no number gives 0,
// and a number beyond the int range is held at its end.
int LeadingNumber(const wxString& text) {
    const std::string bytes = text.utf8_string();
    const long value = std::strtol(bytes.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

wxTextCtrl* NumberField(wxWindow* parent, wxWindowID id) {
    auto* field = new wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                                 wxTextValidator(wxFILTER_DIGITS));
    field->SetInitialSize(
        wxSize(field->GetSizeFromTextSize(CharsWide(field, kNumberFieldChars)).x, -1));
    return field;
}

}  // namespace

bool CDialogBarEx::Create(wxWindow* owner, wxWindow* parent, wxWindowID id) {
    m_pOwner = owner;
    if (!wxPanel::Create(parent, id, wxDefaultPosition, wxDefaultSize,
                         wxTAB_TRAVERSAL | wxBORDER_NONE))
        return false;
    BuildControls();
    return true;
}

void CDialogBarEx::BuildControls() {
    m_pCharactersUsed = NumberField(this, IDC_CHARACTERS_USED);
    m_pSpin = new wxSpinButton(this, IDC_CHARACTERS_USED_SPIN, wxDefaultPosition, wxDefaultSize,
                               wxSP_VERTICAL | wxSP_ARROW_KEYS);
    m_pSpin->SetRange(2, 2);
    m_pWordSpeed = NumberField(this, IDC_WORD_SPEED);
    m_pCharSpeed = NumberField(this, IDC_CHAR_SPEED);
    m_pSpeedUnit = new wxStaticText(this, IDC_SPEED_UNIT, "WPM");
    m_pSpeedUnit->SetMinSize(m_pSpeedUnit->GetTextExtent("WPM "));
    m_pPitch = new wxComboBox(this, IDC_PITCH, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                              nullptr, wxCB_DROPDOWN);
    m_pVolume = new wxSlider(this, IDC_VOLUME, 0, 0, 100, wxDefaultPosition,
                             wxSize(kVolumeSliderWidth, -1), wxSL_HORIZONTAL);

    const auto centred = [] { return wxSizerFlags().CentreVertical(); };
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(Caption(this, "字符数"), centred().Border(wxLEFT | wxRIGHT, kGap));
    row->Add(m_pCharactersUsed, centred());
    row->Add(m_pSpin, wxSizerFlags().Expand());
    row->Add(new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_VERTICAL),
             wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT, 2 * kGap));
    row->Add(Caption(this, "速度"), centred().Border(wxRIGHT, kGap));
    row->Add(m_pWordSpeed, centred());
    row->Add(Caption(this, "/"), centred().Border(wxLEFT | wxRIGHT, kGap));
    row->Add(m_pCharSpeed, centred());
    row->Add(m_pSpeedUnit, centred().Border(wxLEFT, kGap));
    row->Add(new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_VERTICAL),
             wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT, 2 * kGap));
    row->Add(Caption(this, "音调"), centred().Border(wxRIGHT, kGap));
    row->Add(m_pPitch, centred());
    row->Add(Caption(this, "音量"), centred().Border(wxLEFT | wxRIGHT, 2 * kGap));
    row->Add(m_pVolume, centred().Border(wxRIGHT, kGap));
    SetSizerAndFit(row);

    // The spin steps the number in its field; the field keeps the spin at its own value so
    // that a step always starts from what the field shows.
    m_pSpin->Bind(wxEVT_SPIN, [this](wxSpinEvent& event) {
        m_pCharactersUsed->SetValue(wxString::Format("%d", event.GetPosition()));
    });
    Bind(
        wxEVT_TEXT,
        [this](wxCommandEvent& event) {
            const long value = std::strtol(m_pCharactersUsed->GetValue().utf8_str(), nullptr, 10);
            if (value >= m_pSpin->GetMin() && value <= m_pSpin->GetMax())
                m_pSpin->SetValue(static_cast<int>(value));
            event.Skip();
        },
        IDC_CHARACTERS_USED);

    // The slider's changes are posted, so the owner sees them after the slider has settled.
    m_pVolume->Bind(wxEVT_SLIDER, [this](wxCommandEvent& event) {
        if (m_pOwner != nullptr) m_pOwner->GetEventHandler()->AddPendingEvent(event);
    });

    for (wxWindow* field : {static_cast<wxWindow*>(m_pCharactersUsed),
                            static_cast<wxWindow*>(m_pCharSpeed), static_cast<wxWindow*>(m_pPitch)})
        field->Bind(wxEVT_KILL_FOCUS, &CDialogBarEx::ReportFieldLeft, this);

    // The Down key opens the pitch list.
    m_pPitch->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& event) {
        if (event.GetKeyCode() == WXK_DOWN && !event.HasAnyModifiers())
            m_pPitch->Popup();
        else
            event.Skip();
    });
}

void CDialogBarEx::ShowSettings(const CSettings& settings, int enabledCount) {
    const KeyingParameters& keying = settings.m_keying;
    const bool wpm = settings.m_bWpmSpeedUnit;
    const int divisor = wpm ? 5 : 1;
    const int used = settings.m_nCharactersUsed;
    m_pCharactersUsed->ChangeValue(wxString::Format("%d", used));
    // A spin range needs its lower end below its upper one even for a set of fewer than two.
    m_pSpin->SetRange(2, std::max(2, enabledCount));
    m_pSpin->SetValue(std::clamp(used, 2, std::max(2, enabledCount)));
    m_pWordSpeed->ChangeValue(wxString::Format("%d", keying.wordSpeedCpm / divisor));
    m_pCharSpeed->ChangeValue(wxString::Format("%d", keying.charSpeedCpm / divisor));
    FillPitchCombo(*m_pPitch, keying.pitch);
    m_pVolume->SetRange(0, 100);
    m_pVolume->SetValue(keying.volume);
    m_pSpeedUnit->SetLabel(wpm ? "WPM" : "CPM");
}

void CDialogBarEx::ReadSettings(CSettings& settings, int enabledCount) const {
    KeyingParameters& keying = settings.m_keying;
    const int used = LeadingNumber(m_pCharactersUsed->GetValue());
    settings.m_nCharactersUsed = std::min(enabledCount, std::max(2, used));
    keying.SetSpeeds(LeadingNumber(m_pWordSpeed->GetValue()),
                     LeadingNumber(m_pCharSpeed->GetValue()), settings.m_bWpmSpeedUnit);
    settings.UpdateDualPitch(LeadingNumber(m_pPitch->GetValue()));
    keying.volume = m_pVolume->GetValue();
}

void CDialogBarEx::ReportFieldLeft(wxFocusEvent& event) {
    event.Skip();
    if (m_pOwner == nullptr) return;
    auto* left = new wxCommandEvent(EVT_CONTROL_BAR_FIELD_LEFT, event.GetId());
    left->SetEventObject(this);
    // Posted: the focus change completes before the owner rewrites the field.
    m_pOwner->GetEventHandler()->QueueEvent(left);
}

bool CDialogBarEx::TryAfter(wxEvent& event) {
    if (m_pOwner != nullptr && event.IsCommandEvent() && event.ShouldPropagate() &&
        event.GetEventType() != wxEVT_UPDATE_UI) {
        wxPropagateOnce once(event, this);
        return m_pOwner->GetEventHandler()->ProcessEvent(event);
    }
    return wxPanel::TryAfter(event);
}

bool CDonateBar::Create(wxWindow* parent, wxWindowID id) {
    if (!wxPanel::Create(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE)) return false;
    auto* button = new wxButton(this, MenuItemId(CMD_DONATE), wxString::FromUTF8("捐助"));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(button, wxSizerFlags().CentreVertical().Border(wxLEFT | wxRIGHT, 5));
    SetSizerAndFit(row);
    button->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        wxCommandEvent command(wxEVT_MENU, CMD_DONATE);
        command.SetEventObject(this);
        GetParent()->GetEventHandler()->ProcessEvent(command);
    });
    return true;
}
