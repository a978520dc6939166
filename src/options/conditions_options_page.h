#pragma once
// The page "信号条件": what the band and the sender's hand do to the keyed signal. Each
// condition (noise, fading, interference, static, an uneven fist) has its own check box and its
// strengths; every control stands for one row of the option table, which gives its range,
// default and the name its messages use. A condition's strengths are greyed while it is off,
// yet kept and checked, so switching it on again brings them back. Each condition's "试听"
// plays a clip of it alone, with the strengths on the page, whether it is on or not.

#include <vector>

#include "options/options_sheet.h"
#include "session/conditions_clip.h"

class wxButton;
class wxCheckBox;
class wxChoice;
class wxTextCtrl;
class wxWindow;

class CConditionsOptionsDialog : public COptionsPage {
public:
    enum ControlId : int {
        IDC_NOISE = 2201,
        IDC_NOISE_SNR,
        IDC_PASSBAND,
        IDC_FADING,
        IDC_FADING_DEPTH,
        IDC_FADING_PERIOD,
        IDC_INTERFERENCE,
        IDC_STATIONS,
        IDC_INTERFERENCE_TEXT,
        IDC_STATION1_OFFSET,
        IDC_STATION1_LEVEL,
        IDC_STATION1_SPEED,
        IDC_STATION2_OFFSET,
        IDC_STATION2_LEVEL,
        IDC_STATION2_SPEED,
        IDC_STATIC,
        IDC_CRASH_RATE,
        IDC_CRASH_LEVEL,
        IDC_FIST,
        IDC_FIST_SPREAD,
        IDC_FIST_WEIGHT,
        IDC_FIST_DRIFT,
        IDC_NOISE_CLIP,
        IDC_FADING_CLIP,
        IDC_INTERFERENCE_CLIP,
        IDC_STATIC_CLIP,
        IDC_FIST_CLIP,
    };

    CConditionsOptionsDialog(wxWindow* book, COptionsSheet& sheet);

    bool TransferDataToWindow() override;
    // Reads the fields in page order; the first that is no number or out of its row's range is
    // named in a message, gets the focus, and nothing is stored.
    bool TransferDataFromWindow() override;

    // Default: every condition off again, with its default strengths; nothing else changes.
    void ResetToDefaults();
    // "试听": a second click on the clip playing stops it; any other click (re)starts the
    // clip of `which` once the page's values pass their checks.
    void OnClip(SignalCondition which);

private:
    // A switch that greys these controls while it is off.
    struct Switch {
        const char* key;
        wxCheckBox* box;
        std::vector<wxWindow*> controls;
    };
    // A number typed into an edit; tenths are shown with one decimal ("3.0" for 30).
    struct Number {
        const char* key;
        wxTextCtrl* edit;
        bool tenths;
    };
    // A number chosen from a list whose first item is the row's lowest value.
    struct Choice {
        const char* key;
        wxChoice* list;
    };

    std::vector<Switch> m_switches;
    std::vector<Number> m_numbers;
    std::vector<Choice> m_choices;

    void BuildControls();
    // Greys what its switch turns off, and the second station while only one is chosen.
    void UpdateEnabling();
    void OnControlChanged();

    bool m_bExchanging = false;
    SignalCondition m_lastClip = SignalCondition::Noise;
    wxChoice* m_pStations = nullptr;
    std::vector<wxWindow*> m_secondStation;
};
