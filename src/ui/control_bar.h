#pragma once
// The control bar: one row with the values a learner changes most often (characters in use,
// word and character speed, pitch, volume), and the donate bar beside it. Both sit in bands of
// the main frame, but the control bar reports to its owner, the training view: every command
// notification of its controls goes to the owner instead of up to the band's frame, the volume
// slider's changes are posted to it, and a field that loses the focus sends it a
// EVT_CONTROL_BAR_FIELD_LEFT command with the field's id.

#include <wx/event.h>
#include <wx/panel.h>
#include <wx/weakref.h>

class CSettings;
class wxComboBox;
class wxSlider;
class wxSpinButton;
class wxStaticText;
class wxTextCtrl;

wxDECLARE_EVENT(EVT_CONTROL_BAR_FIELD_LEFT, wxCommandEvent);

class CDialogBarEx : public wxPanel {
public:
    CDialogBarEx() = default;

    // Records owner as the window that receives the bar's notifications and creates the bar
    // as a child of parent (the frame whose band holds it).
    bool Create(wxWindow* owner, wxWindow* parent, wxWindowID id);

    // Settings to the fields: characters in use (its spin held to 2..enabledCount), the speeds
    // in the unit the settings choose, pitch and volume. The owner must ignore the change
    // notifications this filling raises.
    void ShowSettings(const CSettings& settings, int enabledCount);
    // The fields to the settings, read as the C library reads a number: characters in use held
    // to 2..enabledCount, the speeds in the unit shown, the dot pitch following the pitch.
    void ReadSettings(CSettings& settings, int enabledCount) const;

    wxWindow* Owner() const { return m_pOwner; }
    wxTextCtrl* CharactersUsed() const { return m_pCharactersUsed; }  // 2005
    wxSpinButton* CharactersUsedSpin() const { return m_pSpin; }      // 2007
    wxTextCtrl* WordSpeed() const { return m_pWordSpeed; }            // 2002
    wxTextCtrl* CharSpeed() const { return m_pCharSpeed; }            // 2001
    wxStaticText* SpeedUnit() const { return m_pSpeedUnit; }          // 2044
    wxComboBox* Pitch() const { return m_pPitch; }                    // 2004
    wxSlider* Volume() const { return m_pVolume; }                    // 2003

protected:
    // Notifications that the bar does not handle itself go to the owner.
    bool TryAfter(wxEvent& event) override;

private:
    void BuildControls();
    void ReportFieldLeft(wxFocusEvent& event);

    wxWeakRef<wxWindow> m_pOwner;  // cleared if the owner goes before the bar
    wxTextCtrl* m_pCharactersUsed = nullptr;
    wxSpinButton* m_pSpin = nullptr;
    wxTextCtrl* m_pWordSpeed = nullptr;
    wxTextCtrl* m_pCharSpeed = nullptr;
    wxStaticText* m_pSpeedUnit = nullptr;
    wxComboBox* m_pPitch = nullptr;
    wxSlider* m_pVolume = nullptr;
};

// The donate bar: one button "捐助" that issues command 32785 to the frame.
class CDonateBar : public wxPanel {
public:
    CDonateBar() = default;
    bool Create(wxWindow* parent, wxWindowID id);
};
