#include "ui/results_dialog.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <iterator>
#include <string>

#include "content/codepage.h"
#include "scoring/results_rows.h"
#include "scoring/score_tally.h"

static_assert(CResultsDialog::IDC_CHARACTER_LIST < wxID_LOWEST,
              "control ids must stay clear of the ids wx reserves");

namespace {

wxString FromCp1252(const std::string& text) {
    return wxString::FromUTF8(codepage::ToUtf8(text));
}

// Column headings, alignments and widths (in twentieths of the usable list width).
struct Column {
    const char* heading;
    wxListColumnFormat format;
    int units;
};
constexpr Column kColumns[] = {
    {"字符", wxLIST_FORMAT_CENTRE, 4},  {"注释", wxLIST_FORMAT_CENTRE, 6},
    {"正确", wxLIST_FORMAT_RIGHT, 3},   {"错误", wxLIST_FORMAT_RIGHT, 3},
    {"正确率", wxLIST_FORMAT_RIGHT, 4},
};
constexpr int kWidthUnits = 20;

}  // namespace

CResultsDialog::CResultsDialog(wxWindow* parent, const ScoreTally* tally, int seconds)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("训练结果")),
      m_pTally(tally),
      m_nSeconds(seconds) {
    auto* summary = new wxStaticBoxSizer(wxVERTICAL, this, wxString::FromUTF8("总评"));
    auto* fields = new wxFlexGridSizer(2, FromDIP(wxSize(8, 6)));
    const struct {
        const char* label;
        int id;
    } kFields[] = {
        {"时长", IDC_DURATION},
        {"正确", IDC_CORRECT_TOTAL},
        {"错误", IDC_WRONG_TOTAL},
        {"正确率", IDC_ACCURACY},
    };
    // Wide enough for "59 m 59 s" and "100.0%".
    const wxSize fieldSize(ConvertDialogToPixels(wxSize(40, -1)).x, -1);
    for (const auto& field : kFields) {
        wxWindow* box = summary->GetStaticBox();
        fields->Add(new wxStaticText(box, wxID_ANY, wxString::FromUTF8(field.label)), 0,
                    wxALIGN_CENTER_VERTICAL);
        fields->Add(new wxTextCtrl(box, field.id, wxString(), wxDefaultPosition, fieldSize,
                                   wxTE_READONLY | wxTE_RIGHT));
    }
    summary->Add(fields, 0, wxALL, FromDIP(6));

    m_pList = new wxListCtrl(this, IDC_CHARACTER_LIST, wxDefaultPosition,
                             ConvertDialogToPixels(wxSize(256, 87)),
                             wxLC_REPORT | wxLC_HRULES | wxLC_VRULES | wxBORDER_THEME);

    auto* body = new wxBoxSizer(wxHORIZONTAL);
    body->Add(summary, 0, wxRIGHT, FromDIP(10));
    body->Add(m_pList, 1, wxEXPAND);

    auto* ok = new wxButton(this, wxID_OK, wxString::FromUTF8("确定"));
    ok->SetDefault();

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(body, 1, wxEXPAND | wxALL, FromDIP(10));
    top->Add(ok, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(10));
    SetSizerAndFit(top);
    // Escape closes the dialog like OK; there is no Cancel.
    SetEscapeId(wxID_OK);

    FillTotals();
    FillCharacterList();
    ok->SetFocus();
    CentreOnParent();

    m_shownAt = std::chrono::steady_clock::now();
    Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
        if (event.IsShown()) m_shownAt = std::chrono::steady_clock::now();
        event.Skip();
    });
    Bind(wxEVT_CHAR_HOOK, &CResultsDialog::OnCharHook, this);
}

void CResultsDialog::OnCharHook(wxKeyEvent& event) {
    // Not skipped, a key goes neither to the focused button nor to the dialog's Enter and
    // Escape handling.
    if (std::chrono::steady_clock::now() - m_shownAt >= kKeyGuard) event.Skip();
}

void CResultsDialog::FillTotals() {
    const int32_t correct = m_pTally->correctTotal;
    const int32_t wrong = m_pTally->wrongTotal;
    const auto set = [this](int id, const std::string& text) {
        static_cast<wxTextCtrl*>(FindWindow(id))->ChangeValue(wxString::FromUTF8(text));
    };
    set(IDC_DURATION, DurationText(m_nSeconds));
    set(IDC_CORRECT_TOTAL, std::to_string(correct));
    set(IDC_WRONG_TOTAL, std::to_string(wrong));
    set(IDC_ACCURACY, AccuracyText(AccuracyPercent(correct, wrong)));
}

void CResultsDialog::FillCharacterList() {
    // The usable width leaves room for a vertical scroll bar, so that a long list does not need a
    // horizontal one as well.
    const int scrollBar = wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, m_pList);
    const int unit = (m_pList->GetClientSize().x - scrollBar) / kWidthUnits;
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i)
        m_pList->InsertColumn(i, wxString::FromUTF8(kColumns[i].heading), kColumns[i].format,
                              kColumns[i].units * unit);

    long index = 0;
    for (const auto& row : BuildResultRows(*m_pTally)) {
        m_pList->InsertItem(index, FromCp1252(ResultCharacterText(row.ch)));
        m_pList->SetItem(index, 1, wxString::FromUTF8(CharacterComment(row.ch)));
        m_pList->SetItem(index, 2, wxString::Format("%d", row.correct));
        m_pList->SetItem(index, 3, wxString::Format("%d", row.wrong));
        m_pList->SetItem(index, 4,
                         wxString::FromUTF8(AccuracyText(AccuracyPercent(row.correct, row.wrong))));
        ++index;
    }
}
