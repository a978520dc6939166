#include "options/charset_options_page.h"

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/statline.h>

#include <algorithm>
#include <mutex>

#include "settings/settings.h"
#include "ui/message_box.h"

static_assert(CCharSetOptionsDialog::IDC_FIRST_CHARACTER + CCharSetOptionsDialog::kBoxCount <
              static_cast<int>(wxID_LOWEST));

namespace {

wxString U(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

struct Box {
    const char* caption;  // UTF-8
    CharFlag flag;
};

// The boxes in page order; box i has the id 4000 + i.
constexpr Box kBoxes[CCharSetOptionsDialog::kBoxCount] = {
    // 基本字符: 4000 - 4006
    {"字母 A - Z", CF_LETTERS},
    {"数字 0 - 9", CF_DIGITS},
    {"句点 .", CF_PERIOD},
    {"逗号 ,", CF_COMMA},
    {"斜线 /", CF_SLASH},
    {"问号 ?", CF_QUESTION},
    {"At @", CF_AT},
    // 其他符号: 4007 - 4014
    {"撇号 '", CF_APOSTROPHE},
    {"叹号 !", CF_EXCLAMATION},
    {"冒号 :", CF_COLON},
    {"分号 ;", CF_SEMICOLON},
    {"连字符 -", CF_HYPHEN},
    {"下划线 _", CF_UNDERSCORE},
    {"引号 \"", CF_QUOTE},
    {"括号 ()", CF_PARENTHESES},
    // 符号: 4015 - 4026, a line between 4021 and 4022
    {"\\BT", CF_BT},
    {"\\TV", CF_TV},
    {"等号 =", CF_EQUALS},
    {"\\SK", CF_SK},
    {"\\VA", CF_VA},
    {"\\AR", CF_AR},
    {"加号 +", CF_PLUS},
    {"\\AS", CF_AS},
    {"\\CL", CF_CL},
    {"\\KA", CF_KA},
    {"\\KN", CF_KN},
    {"\\SOS", CF_SOS},
    // 特殊字符: 4027 - 4038
    {"æ", CF_AE},
    {"ø", CF_O_SLASH},
    {"å", CF_A_RING},
    {"ä", CF_A_UML},
    {"ö", CF_O_UML},
    {"ü", CF_U_UML},
    {"ß", CF_SZ},
    {"ch", CF_CH},
    {"à", CF_A_GRAVE},
    {"é", CF_E_ACUTE},
    {"þ", CF_THORN},
    {"ð", CF_ETH},
};

// Signs that share one Morse code: at most one box of a group may be checked.
const std::vector<std::vector<int>> kExclusiveGroups = {
    {4027, 4030},        // æ, ä
    {4028, 4031},        // ø, ö
    {4029, 4035},        // å, à
    {4015, 4016, 4017},  // \BT, \TV, =
    {4018, 4019},        // \SK, \VA
    {4020, 4021},        // \AR, +
};

}  // namespace

CCharSetOptionsDialog::CCharSetOptionsDialog(wxWindow* book, COptionsSheet& sheet)
    : COptionsPage(book, sheet, U("Koch 字符集设置")) {
    const int gap = FromDIP(6);
    auto* page = new wxBoxSizer(wxVERTICAL);

    // Creates boxes first..last (ids) inside a group box, cols columns wide, row by row.
    auto addBoxes = [&](wxStaticBoxSizer* group, int first, int last, int cols) {
        auto* grid = new wxGridSizer(cols, gap / 2, 2 * gap);
        for (int id = first; id <= last; ++id) {
            const int i = id - IDC_FIRST_CHARACTER;
            m_boxes[i] = new wxCheckBox(group->GetStaticBox(), id, U(kBoxes[i].caption));
            grid->Add(m_boxes[i]);
        }
        group->Add(grid, 0, wxALL, gap);
    };

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    auto* basic = new wxStaticBoxSizer(wxVERTICAL, this, U("基本字符(&S)"));
    addBoxes(basic, 4000, 4006, 1);
    top->Add(basic, 1, wxEXPAND | wxRIGHT, FromDIP(8));
    auto* other = new wxStaticBoxSizer(wxVERTICAL, this, U("其他符号(&O)"));
    addBoxes(other, 4007, 4014, 1);
    top->Add(other, 1, wxEXPAND);
    page->Add(top, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, FromDIP(8));

    auto* bottom = new wxBoxSizer(wxHORIZONTAL);
    auto* prosigns = new wxStaticBoxSizer(wxVERTICAL, this, U("符号(&P)"));
    addBoxes(prosigns, 4015, 4021, 4);
    prosigns->Add(new wxStaticLine(prosigns->GetStaticBox()), 0, wxEXPAND | wxLEFT | wxRIGHT, gap);
    addBoxes(prosigns, 4022, 4026, 4);
    bottom->Add(prosigns, 1, wxEXPAND | wxRIGHT, FromDIP(8));
    auto* special = new wxStaticBoxSizer(wxVERTICAL, this, U("特殊字符(&C)"));
    addBoxes(special, 4027, 4038, 3);
    bottom->Add(special, 0, wxEXPAND);
    page->Add(bottom, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, FromDIP(8));

    AddPageButtons(page, "charsetoptions.htm", [this] { ResetToDefaults(); });
    SetSizer(page);

    Bind(wxEVT_CHECKBOX, &CCharSetOptionsDialog::OnBoxClicked, this, IDC_FIRST_CHARACTER,
         IDC_FIRST_CHARACTER + kBoxCount - 1);
}

CharFlag CCharSetOptionsDialog::FlagOfBox(int id) {
    return kBoxes[id - IDC_FIRST_CHARACTER].flag;
}

std::vector<int> CCharSetOptionsDialog::ExclusivePartners(int id) {
    for (const auto& group : kExclusiveGroups) {
        if (std::find(group.begin(), group.end(), id) == group.end()) continue;
        std::vector<int> partners;
        for (int other : group)
            if (other != id) partners.push_back(other);
        return partners;
    }
    return {};
}

void CCharSetOptionsDialog::OnBoxClicked(wxCommandEvent& event) {
    // Whatever the clicked box's new state, its partners end up clear.
    for (int other : ExclusivePartners(event.GetId()))
        m_boxes[other - IDC_FIRST_CHARACTER]->SetValue(false);
    SetModified();
}

bool CCharSetOptionsDialog::TransferDataToWindow() {
    const CharacterSet& set = g_optionsSettings.m_charSet;
    for (int i = 0; i < kBoxCount; ++i) m_boxes[i]->SetValue(set.m_flags[kBoxes[i].flag]);
    return true;
}

bool CCharSetOptionsDialog::TransferDataFromWindow() {
    CharacterSet& set = g_optionsSettings.m_charSet;
    for (int i = 0; i < kBoxCount; ++i) set.m_flags[kBoxes[i].flag] = m_boxes[i]->GetValue();
    if (WorkingSetSize() < 2) {
        ShowMessageBox(wxGetTopLevelParent(this), U("您至少要在字符集中选择两项"),
                       wxOK | wxICON_EXCLAMATION);
        return false;
    }
    return true;
}

void CCharSetOptionsDialog::OnApply() {
    // The session thread's generator reads the live set under this lock; it must never see a
    // set that is half copied or a lesson larger than the set.
    std::lock_guard lock(g_settingsLock);
    CSettings& working = g_optionsSettings;
    const int charactersUsed = working.m_nCharactersUsed;
    const int setSize = WorkingSetSize();
    if (charactersUsed >= setSize) working.m_nCharactersUsed = setSize;
    g_settings.CopyFrom(working);
    // Only the live lesson is clamped; the working copy keeps what the general page shows.
    working.m_nCharactersUsed = charactersUsed;
    // The dot pitch depends on "Characters used", which may just have been lowered.
    g_settings.UpdateDualPitch(g_settings.m_keying.pitch);
    working.UpdateDualPitch(working.m_keying.pitch);
    Sheet().RefreshView();
}

void CCharSetOptionsDialog::ResetToDefaults() {
    g_optionsSettings.ResetPage(OptionPage::CharacterSet);
    TransferDataToWindow();
    SetModified();
}
