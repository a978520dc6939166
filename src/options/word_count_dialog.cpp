#include "options/word_count_dialog.h"

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <charconv>
#include <string>

#include "options/small_dialog_layout.h"
#include "settings/option_table.h"
#include "settings/settings.h"

static_assert(CWordCountDialog::IDC_WORD_COUNT < wxID_LOWEST);

namespace {

enum class NumberParse { Ok, NotANumber, TooLarge };

// A whole number with optional sign and surrounding blanks, as an integer edit field accepts it.
// Digits beyond the 32-bit range are a number, only too large for it.
NumberParse ParseWholeNumber(const std::string& text, int32_t& value) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return NumberParse::NotANumber;
    const auto last = text.find_last_not_of(" \t");
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    // from_chars takes a minus sign but not a plus sign.
    if (*begin == '+' && end - begin > 1 && begin[1] != '-') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ptr != end) return NumberParse::NotANumber;
    return ec == std::errc::result_out_of_range ? NumberParse::TooLarge : NumberParse::Ok;
}

}  // namespace

CWordCountDialog::CWordCountDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("词库容量")) {
    // Room for four digits.
    m_pEdit = new wxTextCtrl(this, IDC_WORD_COUNT, wxString(), wxDefaultPosition,
                             wxSize(ConvertDialogToPixels(wxSize(30, -1)).x, -1));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8("指定词库单词量(&D)")), 0,
             wxALIGN_CENTER_VERTICAL | wxRIGHT, FromDIP(8));
    row->Add(m_pEdit, 0, wxALIGN_CENTER_VERTICAL);
    LayOutSmallDialog(this, row);
}

bool CWordCountDialog::TransferDataToWindow() {
    m_nWordCount = g_settings.m_nWordsToUse;
    m_pEdit->ChangeValue(wxString::Format("%d", m_nWordCount));
    return true;
}

bool CWordCountDialog::TransferDataFromWindow() {
    m_nWordCount = g_settings.m_nWordsToUse;
    int32_t value = 0;
    const NumberParse parse = ParseWholeNumber(m_pEdit->GetValue().utf8_string(), value);
    if (parse == NumberParse::NotANumber) {
        RejectField(this, m_pEdit, "Please enter an integer.");
        return false;
    }
    const OptionRow& row = OptionRowOf("Words to use");
    if (parse == NumberParse::TooLarge || value < row.low || value > row.high) {
        RejectField(this, m_pEdit, wxString::FromUTF8("词库单词量必须介于 1 到 1000 之间"));
        return false;
    }
    m_nWordCount = value;
    g_settings.m_nWordsToUse = m_nWordCount;
    return true;
}
