#include "options/general_options_page.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/fontdlg.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>

#include "settings/options_validation.h"
#include "settings/settings.h"
#include "ui/message_box.h"
#include "ui/pane_font.h"
#include "ui/pitch_list.h"

static_assert(CGeneralOptionsDialog::IDC_FONT < static_cast<int>(wxID_LOWEST));

namespace {

wxString U(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

wxString RangeMessage(GeneralField field, FieldRange range) {
    wxString message = U(RowOf(field).label) + U("必须介于 %1 与 %2 之间");
    message.Replace("%1", wxString::Format("%d", range.low));
    message.Replace("%2", wxString::Format("%d", range.high));
    return message;
}

// A whole number typed into a digits-only field; nullopt for empty or oversized text.
std::optional<int> ReadInteger(const wxTextCtrl* edit) {
    long value = 0;
    const wxString text = edit->GetValue().Strip(wxString::both);
    if (!text.ToLong(&value) || value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

// The pitch field reads like atoi: leading digits count, text that is no number reads as 0.
int ReadPitch(const wxComboBox* combo) {
    return std::atoi(combo->GetValue().utf8_string().c_str());
}

// SetValue (not ChangeValue): the text event moves the field's arrows along; the page ignores
// it as a modification while it fills its controls.
void SetNumber(wxTextCtrl* edit, int value) {
    edit->SetValue(wxString::Format("%d", value));
}

// Couples a spin button with its edit like an up-down control with a buddy: the arrows (and
// the Up and Down keys in the edit) step the edit's number within the arrows' range, and typing
// moves the arrows' position along.
void Buddy(wxSpinButton* spin, wxTextCtrl* edit) {
    spin->Bind(wxEVT_SPIN, [edit](wxSpinEvent& event) {
        edit->SetValue(wxString::Format("%d", event.GetPosition()));
    });
    edit->Bind(wxEVT_TEXT, [spin, edit](wxCommandEvent& event) {
        if (const auto value = ReadInteger(edit))
            spin->SetValue(std::clamp(*value, spin->GetMin(), spin->GetMax()));
        event.Skip();
    });
    edit->Bind(wxEVT_KEY_DOWN, [spin, edit](wxKeyEvent& event) {
        const int step = event.GetKeyCode() == WXK_UP ? 1 : event.GetKeyCode() == WXK_DOWN ? -1 : 0;
        if (step == 0 || event.HasAnyModifiers()) {
            event.Skip();
            return;
        }
        const int next = std::clamp(spin->GetValue() + step, spin->GetMin(), spin->GetMax());
        edit->SetValue(wxString::Format("%d", next));
    });
}

}  // namespace

CGeneralOptionsDialog::CGeneralOptionsDialog(wxWindow* book, COptionsSheet& sheet)
    : COptionsPage(book, sheet, U("常规选项")) {
    BuildControls();

    for (wxTextCtrl* edit :
         {m_pWordSpeed, m_pCharSpeed, m_pCharacters, m_pMinWordLength, m_pMaxWordLength,
          m_pProsignSpacing, m_pSessionDuration, m_pInitialDelay, m_pEndDelay}) {
        edit->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
            OnControlChanged();
            event.Skip();
        });
    }
    for (wxChoice* list : {m_pSpeedUnit, m_pMode})
        list->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnControlChanged(); });
    for (wxCheckBox* box : {m_pDualPitch, m_pViewOutput, m_pUseCaps, m_pInsertLF, m_pViewCodes})
        box->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnControlChanged(); });
    m_pPitch->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) { OnControlChanged(); });
    // Typing counts as a change only when it names another pitch than the working one.
    m_pPitch->Bind(wxEVT_TEXT, [this](wxCommandEvent&) {
        if (ReadPitch(m_pPitch) != g_optionsSettings.m_keying.pitch) OnControlChanged();
    });
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { ChooseFont(); }, IDC_FONT);
}

void CGeneralOptionsDialog::BuildControls() {
    const int gap = FromDIP(6);
    const wxSize numberSize(FromDIP(52), -1);
    auto* page = new wxBoxSizer(wxVERTICAL);
    auto* columns = new wxBoxSizer(wxHORIZONTAL);
    page->Add(columns, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, FromDIP(8));

    auto label = [](wxWindow* parent, const char* text) {
        return new wxStaticText(parent, wxID_ANY, U(text));
    };
    auto number = [&](wxWindow* parent, int id) {
        return new wxTextCtrl(parent, id, wxString(), wxDefaultPosition, numberSize, 0,
                              wxTextValidator(wxFILTER_DIGITS));
    };
    // Arrows over a field's own range; "Characters used" gets its upper end from the set.
    auto spin = [](wxWindow* parent, int id, GeneralField field) {
        auto* button = new wxSpinButton(parent, id, wxDefaultPosition, wxDefaultSize,
                                        wxSP_VERTICAL | wxSP_ARROW_KEYS);
        const FieldRange range = OwnRange(field, false);
        button->SetRange(range.low, field == GeneralField::CharactersUsed ? range.low : range.high);
        return button;
    };
    // A number with its arrows and an optional unit text, as one row item.
    auto spinRow = [&](wxTextCtrl* edit, wxSpinButton* arrows, wxWindow* after) {
        Buddy(arrows, edit);
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        row->Add(edit, 0, wxALIGN_CENTER_VERTICAL);
        row->Add(arrows, 0, wxALIGN_CENTER_VERTICAL);
        if (after) row->Add(after, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
        return row;
    };
    auto grid = [&] {
        auto* g = new wxFlexGridSizer(2, gap, 2 * gap);
        return g;
    };

    // "电码属性": how the code sounds and what the lessons hold.
    auto* codeBox = new wxStaticBoxSizer(wxVERTICAL, this, U("电码属性"));
    wxWindow* code = codeBox->GetStaticBox();
    auto* codeGrid = grid();

    codeGrid->Add(label(code, "速度(&S)"), 0, wxALIGN_CENTER_VERTICAL);
    m_pWordSpeed = number(code, IDC_WORD_SPEED);
    auto* slash = label(code, "/");
    m_pCharSpeed = number(code, IDC_CHAR_SPEED);
    m_pSpeedUnit = new wxChoice(code, IDC_SPEED_UNIT);
    m_pSpeedUnit->Append("CPM");
    m_pSpeedUnit->Append("WPM");
    auto* speedRow = new wxBoxSizer(wxHORIZONTAL);
    speedRow->Add(m_pWordSpeed, 0, wxALIGN_CENTER_VERTICAL);
    speedRow->Add(slash, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, gap);
    speedRow->Add(m_pCharSpeed, 0, wxALIGN_CENTER_VERTICAL);
    speedRow->Add(m_pSpeedUnit, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
    codeGrid->Add(speedRow);

    codeGrid->Add(label(code, "音调(&P)"), 0, wxALIGN_CENTER_VERTICAL);
    m_pPitch = new wxComboBox(code, IDC_PITCH, wxString(), wxDefaultPosition,
                              wxSize(FromDIP(96), -1), PitchListChoices(), wxCB_DROPDOWN);
    m_pDualPitch = new wxCheckBox(code, IDC_DUAL_PITCH, U("双音调(&T)"));
    auto* pitchRow = new wxBoxSizer(wxHORIZONTAL);
    pitchRow->Add(m_pPitch, 0, wxALIGN_CENTER_VERTICAL);
    pitchRow->Add(m_pDualPitch, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2 * gap);
    codeGrid->Add(pitchRow);

    codeGrid->Add(label(code, "字符数(&C)"), 0, wxALIGN_CENTER_VERTICAL);
    m_pCharacters = number(code, IDC_CHARACTERS);
    m_pCharactersSpin = spin(code, IDC_CHARACTERS_SPIN, GeneralField::CharactersUsed);
    m_pCharactersLimit = new wxStaticText(code, IDC_CHARACTERS_LIMIT, "/ 999");
    codeGrid->Add(spinRow(m_pCharacters, m_pCharactersSpin, m_pCharactersLimit));

    codeGrid->Add(label(code, "词长下限(&N)"), 0, wxALIGN_CENTER_VERTICAL);
    m_pMinWordLength = number(code, IDC_MIN_WORD_LENGTH);
    codeGrid->Add(spinRow(m_pMinWordLength, spin(code, IDC_MIN_WORD_LENGTH_SPIN, GeneralField::MinWordLength), nullptr));

    codeGrid->Add(label(code, "词长上限(&X)"), 0, wxALIGN_CENTER_VERTICAL);
    m_pMaxWordLength = number(code, IDC_MAX_WORD_LENGTH);
    codeGrid->Add(spinRow(m_pMaxWordLength, spin(code, IDC_MAX_WORD_LENGTH_SPIN, GeneralField::MaxWordLength), nullptr));

    codeGrid->Add(label(code, "符号间隔(&O)"), 0, wxALIGN_CENTER_VERTICAL);
    m_pProsignSpacing = number(code, IDC_PROSIGN_SPACING);
    codeGrid->Add(spinRow(m_pProsignSpacing, spin(code, IDC_PROSIGN_SPACING_SPIN, GeneralField::ProsignSpacing), nullptr));

    codeGrid->Add(label(code, "模式(&M)"), 0, wxALIGN_CENTER_VERTICAL);
    m_pMode = new wxChoice(code, IDC_MODE);
    m_pMode->Append(U("初学"));
    m_pMode->Append(U("训练"));
    codeGrid->Add(m_pMode);

    codeBox->Add(codeGrid, 0, wxALL, gap);
    columns->Add(codeBox, 0, wxEXPAND | wxRIGHT, FromDIP(8));

    auto* right = new wxBoxSizer(wxVERTICAL);
    columns->Add(right, 1, wxEXPAND);

    // "任务": the timing of a session.
    auto* taskBox = new wxStaticBoxSizer(wxVERTICAL, this, U("任务"));
    wxWindow* task = taskBox->GetStaticBox();
    auto* taskGrid = grid();
    taskGrid->Add(label(task, "时间(&R)"), 0, wxALIGN_CENTER_VERTICAL);
    m_pSessionDuration = number(task, IDC_SESSION_DURATION);
    taskGrid->Add(spinRow(m_pSessionDuration, spin(task, IDC_SESSION_DURATION_SPIN, GeneralField::SessionDuration),
                          label(task, "分钟")));
    taskGrid->Add(label(task, "前置延时(&I)"), 0, wxALIGN_CENTER_VERTICAL);
    m_pInitialDelay = number(task, IDC_INITIAL_DELAY);
    taskGrid->Add(
        spinRow(m_pInitialDelay, spin(task, IDC_INITIAL_DELAY_SPIN, GeneralField::InitialDelay), label(task, "秒")));
    taskGrid->Add(label(task, "结束等待(&E)"), 0, wxALIGN_CENTER_VERTICAL);
    m_pEndDelay = number(task, IDC_END_DELAY);
    taskGrid->Add(spinRow(m_pEndDelay, spin(task, IDC_END_DELAY_SPIN, GeneralField::EndDelay), label(task, "秒")));
    taskBox->Add(taskGrid, 0, wxALL, gap);
    right->Add(taskBox, 0, wxEXPAND | wxBOTTOM, gap);

    // "报底窗口": the output pane.
    auto* outputBox = new wxStaticBoxSizer(wxVERTICAL, this, U("报底窗口"));
    m_pViewOutput = new wxCheckBox(outputBox->GetStaticBox(), IDC_VIEW_OUTPUT, U("显示报底(&W)"));
    m_pUseCaps = new wxCheckBox(outputBox->GetStaticBox(), IDC_USE_CAPS, U("大写字母(&U)"));
    outputBox->Add(m_pViewOutput, 0, wxALL, gap);
    outputBox->Add(m_pUseCaps, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
    right->Add(outputBox, 0, wxEXPAND | wxBOTTOM, gap);

    // "报底文件": the text file written beside a recording.
    auto* fileBox = new wxStaticBoxSizer(wxVERTICAL, this, U("报底文件"));
    m_pInsertLF = new wxCheckBox(fileBox->GetStaticBox(), IDC_INSERT_LF, U("插入分行符(&L)"));
    fileBox->Add(m_pInsertLF, 0, wxALL, gap);
    right->Add(fileBox, 0, wxEXPAND | wxBOTTOM, gap);

    // The pane font, in a box of its own without a caption.
    auto* fontBox = new wxStaticBoxSizer(wxVERTICAL, this, wxString());
    fontBox->Add(new wxButton(fontBox->GetStaticBox(), IDC_FONT, U("字体(&F)")), 0, wxALL, gap);
    right->Add(fontBox, 0, wxEXPAND | wxBOTTOM, gap);

    // "外观": which code panel the main window shows.
    auto* lookBox = new wxStaticBoxSizer(wxVERTICAL, this, U("外观"));
    m_pViewCodes = new wxCheckBox(lookBox->GetStaticBox(), IDC_VIEW_CODES, U("显示码表(&V)"));
    lookBox->Add(m_pViewCodes, 0, wxALL, gap);
    right->Add(lookBox, 0, wxEXPAND);

    AddPageButtons(page, "generaloptions.htm", [this] { ResetToDefaults(); });
    SetSizer(page);
}

void CGeneralOptionsDialog::OnControlChanged() {
    if (!m_bExchanging) SetModified();
}

bool CGeneralOptionsDialog::TransferDataToWindow() {
    m_bExchanging = true;
    const CSettings& s = g_optionsSettings;
    const bool wpm = s.m_bWpmSpeedUnit;
    const int divisor = wpm ? 5 : 1;  // one word is five characters
    SetNumber(m_pWordSpeed, s.m_keying.wordSpeedCpm / divisor);
    SetNumber(m_pCharSpeed, s.m_keying.charSpeedCpm / divisor);
    m_pSpeedUnit->SetSelection(wpm ? 1 : 0);
    m_pMode->SetSelection(s.m_bPracticeMode ? 1 : 0);
    m_pPitch->ChangeValue(wxString::Format("%d", static_cast<int>(s.m_keying.pitch)));
    m_pDualPitch->SetValue(s.m_bDualPitch);

    const int setSize = WorkingSetSize();
    const int fewest = OwnRange(GeneralField::CharactersUsed, wpm).low;
    m_pCharactersSpin->SetRange(fewest, std::max(fewest, setSize));
    SetNumber(m_pCharacters, s.m_nCharactersUsed);
    SetNumber(m_pMinWordLength, s.m_nMinWordLength);
    SetNumber(m_pMaxWordLength, s.m_nMaxWordLength);
    SetNumber(m_pProsignSpacing, s.m_nProsignSpacing);
    SetNumber(m_pSessionDuration, s.m_nSessionDuration);
    SetNumber(m_pInitialDelay, s.m_nInitialDelay);
    SetNumber(m_pEndDelay, s.m_nEndDelay);
    m_pViewOutput->SetValue(s.m_bViewOutput);
    m_pViewCodes->SetValue(s.m_bViewCodes);
    m_pUseCaps->SetValue(s.m_bUseCaps);
    m_pInsertLF->SetValue(s.m_bInsertLF);

    wxString limit = U("/ %1");
    limit.Replace("%1", wxString::Format("%d", setSize));
    m_pCharactersLimit->SetLabel(limit);
    Layout();
    m_bExchanging = false;
    return true;
}

bool CGeneralOptionsDialog::TransferDataFromWindow() {
    GeneralValues v;
    v.wpm = m_pSpeedUnit->GetSelection() != 0;
    v.setSize = WorkingSetSize();
    v[GeneralField::CharSpeed] = ReadInteger(m_pCharSpeed);
    v[GeneralField::WordSpeed] = ReadInteger(m_pWordSpeed);
    v[GeneralField::Pitch] = ReadPitch(m_pPitch);
    v[GeneralField::CharactersUsed] = ReadInteger(m_pCharacters);
    v[GeneralField::MinWordLength] = ReadInteger(m_pMinWordLength);
    v[GeneralField::MaxWordLength] = ReadInteger(m_pMaxWordLength);
    v[GeneralField::ProsignSpacing] = ReadInteger(m_pProsignSpacing);
    v[GeneralField::SessionDuration] = ReadInteger(m_pSessionDuration);
    v[GeneralField::InitialDelay] = ReadInteger(m_pInitialDelay);
    v[GeneralField::EndDelay] = ReadInteger(m_pEndDelay);

    if (const auto problem = FindGeneralProblem(v)) {
        wxWindow* field = nullptr;
        switch (problem->field) {
            case GeneralField::CharSpeed:
                field = m_pCharSpeed;
                break;
            case GeneralField::WordSpeed:
                field = m_pWordSpeed;
                break;
            case GeneralField::Pitch:
                field = m_pPitch;
                break;
            case GeneralField::CharactersUsed:
                field = m_pCharacters;
                break;
            case GeneralField::MinWordLength:
                field = m_pMinWordLength;
                break;
            case GeneralField::MaxWordLength:
                field = m_pMaxWordLength;
                break;
            case GeneralField::ProsignSpacing:
                field = m_pProsignSpacing;
                break;
            case GeneralField::SessionDuration:
                field = m_pSessionDuration;
                break;
            case GeneralField::InitialDelay:
                field = m_pInitialDelay;
                break;
            case GeneralField::EndDelay:
                field = m_pEndDelay;
                break;
        }
        const wxString message = problem->notANumber ? wxString("Please enter an integer.")
                                                     : RangeMessage(problem->field, problem->range);
        ShowMessageBox(wxGetTopLevelParent(this), message, wxOK | wxICON_EXCLAMATION);
        field->SetFocus();
        if (auto* edit = dynamic_cast<wxTextEntry*>(field)) edit->SelectAll();
        return false;
    }

    CSettings& s = g_optionsSettings;
    s.m_bWpmSpeedUnit = v.wpm;
    s.m_bPracticeMode = m_pMode->GetSelection() != 0;
    s.m_bDualPitch = m_pDualPitch->GetValue();
    s.m_nCharactersUsed = *v[GeneralField::CharactersUsed];
    s.m_nMinWordLength = *v[GeneralField::MinWordLength];
    s.m_nMaxWordLength = *v[GeneralField::MaxWordLength];
    s.m_nProsignSpacing = *v[GeneralField::ProsignSpacing];
    s.m_nSessionDuration = *v[GeneralField::SessionDuration];
    s.m_nInitialDelay = *v[GeneralField::InitialDelay];
    s.m_nEndDelay = *v[GeneralField::EndDelay];
    s.m_bViewOutput = m_pViewOutput->GetValue();
    s.m_bViewCodes = m_pViewCodes->GetValue();
    s.m_bUseCaps = m_pUseCaps->GetValue();
    s.m_bInsertLF = m_pInsertLF->GetValue();
    s.m_keying.SetSpeeds(*v[GeneralField::WordSpeed], *v[GeneralField::CharSpeed], v.wpm);
    s.UpdateDualPitch(*v[GeneralField::Pitch]);
    return true;
}

void CGeneralOptionsDialog::ResetToDefaults() {
    g_optionsSettings.ResetPage(OptionPage::General);
    TransferDataToWindow();
    SetModified();
}

void CGeneralOptionsDialog::ChooseFont() {
    IoFontSpec& font = g_optionsSettings.m_ioFont;
    wxFontData data;
    data.SetInitialFont(MakePaneFont(font));
    data.EnableEffects(false);
    data.SetAllowSymbols(false);
    wxFontDialog dialog(this, data);
    if (dialog.ShowModal() != wxID_OK) return;
    const wxFont chosen = dialog.GetFontData().GetChosenFont();
    if (!chosen.IsOk()) return;
    font = PaneFontSpec(chosen);
    SetModified();
}
