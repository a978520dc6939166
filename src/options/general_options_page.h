#pragma once
// The general page "常规选项" of the options sheet: speeds and their unit, pitch, the Koch
// lesson size, group lengths, prosign spacing, mode, session times, the check boxes of the
// output pane and the recording text, and the pane font. Values are checked in a fixed order
// when the page is left or applied; the first bad one is named in a message and gets the focus.

#include "options/options_sheet.h"

class wxCheckBox;
class wxChoice;
class wxComboBox;
class wxSpinButton;
class wxStaticText;
class wxTextCtrl;

class CGeneralOptionsDialog : public COptionsPage {
public:
    enum ControlId : int {
        IDC_CHAR_SPEED = 2001,
        IDC_WORD_SPEED = 2002,
        IDC_PITCH = 2004,
        IDC_CHARACTERS = 2005,
        IDC_CHARACTERS_SPIN = 2007,
        IDC_SESSION_DURATION = 2013,
        IDC_INITIAL_DELAY = 2016,
        IDC_END_DELAY = 2018,
        IDC_SESSION_DURATION_SPIN = 2019,
        IDC_INITIAL_DELAY_SPIN = 2021,
        IDC_END_DELAY_SPIN = 2022,
        IDC_CHARACTERS_LIMIT = 2023,
        IDC_VIEW_OUTPUT = 2026,
        IDC_USE_CAPS = 2027,
        IDC_INSERT_LF = 2030,
        IDC_MIN_WORD_LENGTH = 2038,
        IDC_MAX_WORD_LENGTH = 2039,
        IDC_PROSIGN_SPACING = 2040,
        IDC_MIN_WORD_LENGTH_SPIN = 2041,
        IDC_MAX_WORD_LENGTH_SPIN = 2042,
        IDC_PROSIGN_SPACING_SPIN = 2043,
        IDC_SPEED_UNIT = 2044,
        IDC_MODE = 2045,
        IDC_VIEW_CODES = 2048,
        IDC_DUAL_PITCH = 2058,
        IDC_FONT = 2063,
    };

    CGeneralOptionsDialog(wxWindow* book, COptionsSheet& sheet);

    // Shows the working copy; sets the "/ N" limit and the lesson spin's range from the working
    // character set.
    bool TransferDataToWindow() override;
    // Checks every field in order and stores them into the working copy; on the first bad value
    // shows its message, focuses the field and stores nothing.
    bool TransferDataFromWindow() override;

    // Default: the speeds, pitch, lesson and group sizes, times, check boxes and font go back to
    // their defaults; volumes, practice source and character set stay.
    void ResetToDefaults();
    // Font: the pane font through the font dialog, stored in tenths of a point.
    void ChooseFont();

private:
    void BuildControls();
    // Marks the page modified unless the page itself is filling its controls.
    void OnControlChanged();

    bool m_bExchanging = false;
    wxSpinButton* m_pCharactersSpin = nullptr;

    wxTextCtrl* m_pWordSpeed = nullptr;
    wxTextCtrl* m_pCharSpeed = nullptr;
    wxChoice* m_pSpeedUnit = nullptr;
    wxComboBox* m_pPitch = nullptr;
    wxCheckBox* m_pDualPitch = nullptr;
    wxTextCtrl* m_pCharacters = nullptr;
    wxStaticText* m_pCharactersLimit = nullptr;
    wxTextCtrl* m_pMinWordLength = nullptr;
    wxTextCtrl* m_pMaxWordLength = nullptr;
    wxTextCtrl* m_pProsignSpacing = nullptr;
    wxChoice* m_pMode = nullptr;
    wxTextCtrl* m_pSessionDuration = nullptr;
    wxTextCtrl* m_pInitialDelay = nullptr;
    wxTextCtrl* m_pEndDelay = nullptr;
    wxCheckBox* m_pViewOutput = nullptr;
    wxCheckBox* m_pUseCaps = nullptr;
    wxCheckBox* m_pInsertLF = nullptr;
    wxCheckBox* m_pViewCodes = nullptr;
};
