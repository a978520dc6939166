#include "options/conditions_options_page.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include <climits>
#include <cmath>
#include <functional>
#include <optional>
#include <variant>

#include "options/conditions_clip_player.h"
#include "settings/settings.h"
#include "ui/message_box.h"

static_assert(CConditionsOptionsDialog::IDC_FIST_DRIFT < static_cast<int>(wxID_LOWEST));

namespace {

wxString U(const char* utf8) {
    return wxString::FromUTF8(utf8);
}

RelaxedAtomic<int32_t>& NumberOf(const char* key) {
    return *std::get<RelaxedAtomic<int32_t>*>(OptionRowOf(key).field(g_optionsSettings));
}

RelaxedAtomic<bool>& SwitchOf(const char* key) {
    return *std::get<RelaxedAtomic<bool>*>(OptionRowOf(key).field(g_optionsSettings));
}

wxString Shown(int32_t value, bool tenths) {
    return tenths ? wxString::Format("%d.%d", value / 10, value % 10)
                  : wxString::Format("%d", value);
}

// The number in an edit, in the row's unit; nullopt for text that is no number. Tenths may be
// typed with or without a decimal ("3", "3.2"); more decimals are rounded.
std::optional<int32_t> ReadNumber(const wxTextCtrl* edit, bool tenths) {
    const wxString text = edit->GetValue().Strip(wxString::both);
    if (tenths) {
        double value = 0;
        if (!text.ToCDouble(&value) || !std::isfinite(value) || std::fabs(value) > INT_MAX / 10)
            return std::nullopt;
        return static_cast<int32_t>(std::lround(value * 10));
    }
    long value = 0;
    if (!text.ToLong(&value) || value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

wxString RangeMessage(const OptionRow& row, bool tenths) {
    wxString message = U(row.label) + U("必须介于 %1 与 %2 之间");
    message.Replace("%1", Shown(row.low, tenths));
    message.Replace("%2", Shown(row.high, tenths));
    return message;
}

}  // namespace

CConditionsOptionsDialog::CConditionsOptionsDialog(wxWindow* book, COptionsSheet& sheet)
    : COptionsPage(book, sheet, U("信号条件")) {
    BuildControls();
    for (const Switch& s : m_switches)
        s.box->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
            UpdateEnabling();
            OnControlChanged();
        });
    for (const Number& n : m_numbers)
        n.edit->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
            OnControlChanged();
            event.Skip();
        });
    for (const Choice& c : m_choices)
        c.list->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
            UpdateEnabling();
            OnControlChanged();
        });
}

void CConditionsOptionsDialog::BuildControls() {
    const int gap = FromDIP(6);
    const wxSize numberSize(FromDIP(56), -1);
    // Digits, a minus sign for the levels, and a point for the tenths.
    wxTextValidator numeric(wxFILTER_INCLUDE_CHAR_LIST);
    numeric.SetCharIncludes("-0123456789.");

    auto label = [](wxWindow* parent, const char* text) {
        return new wxStaticText(parent, wxID_ANY, U(text));
    };
    auto number = [&](wxWindow* parent, int id, const char* key, bool tenths = false) {
        auto* edit =
            new wxTextCtrl(parent, id, wxString(), wxDefaultPosition, numberSize, 0, numeric);
        m_numbers.push_back({key, edit, tenths});
        return edit;
    };
    auto choice = [&](wxWindow* parent, int id, const char* key,
                      std::initializer_list<const char*> items) {
        auto* list = new wxChoice(parent, id);
        for (const char* item : items) list->Append(U(item));
        m_choices.push_back({key, list});
        return list;
    };
    // A group with its switch on top and a grid of "label, field, unit" rows under it.
    struct Group {
        wxStaticBoxSizer* sizer;
        wxWindow* box;
        wxFlexGridSizer* grid;
    };
    auto group = [&](const char* title, int id, const char* key, const char* caption, int clipId,
                     SignalCondition which) {
        auto* sizer = new wxStaticBoxSizer(wxVERTICAL, this, U(title));
        wxWindow* box = sizer->GetStaticBox();
        auto* check = new wxCheckBox(box, id, U(caption));
        auto* clip =
            new wxButton(box, clipId, U("试听"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
        clip->Enable(Sheet().ClipPlayer() != nullptr);
        Bind(
            wxEVT_BUTTON, [this, which](wxCommandEvent&) { OnClip(which); }, clipId);
        auto* top = new wxBoxSizer(wxHORIZONTAL);
        top->Add(check, 0, wxALIGN_CENTER_VERTICAL);
        top->AddStretchSpacer();
        top->Add(clip, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
        sizer->Add(top, 0, wxEXPAND | wxALL, gap);
        auto* grid = new wxFlexGridSizer(3, gap, gap);
        sizer->Add(grid, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
        m_switches.push_back({key, check, {}});
        return Group{sizer, box, grid};
    };
    // Adds one "label, field, unit" row to the newest group, greyed with its switch. The field
    // is made after its label, so that the label's letter leads to it.
    auto row = [&](Group& g, const char* caption, const std::function<wxWindow*()>& makeField,
                   const char* unit) {
        wxStaticText* text = label(g.box, caption);
        wxWindow* field = makeField();
        wxStaticText* unitText = label(g.box, unit);
        g.grid->Add(text, 0, wxALIGN_CENTER_VERTICAL);
        g.grid->Add(field, 0, wxALIGN_CENTER_VERTICAL);
        g.grid->Add(unitText, 0, wxALIGN_CENTER_VERTICAL);
        m_switches.back().controls.insert(m_switches.back().controls.end(),
                                          {text, field, unitText});
    };

    Group noise =
        group("噪声", IDC_NOISE, "Noise", "加入噪声(&N)", IDC_NOISE_CLIP, SignalCondition::Noise);
    row(
        noise, "信噪比(&R)", [&] { return number(noise.box, IDC_NOISE_SNR, "Noise SNR dB"); },
        "dB（500 Hz 带宽内）");
    row(
        noise, "接收带宽(&W)",
        [&] { return number(noise.box, IDC_PASSBAND, "Receiver passband Hz"); }, "Hz");

    Group fading = group("衰落 (QSB)", IDC_FADING, "Fading", "信号衰落(&F)", IDC_FADING_CLIP,
                         SignalCondition::Fading);
    row(
        fading, "深度(&E)", [&] { return number(fading.box, IDC_FADING_DEPTH, "Fading depth dB"); },
        "dB");
    row(
        fading, "周期(&P)",
        [&] { return number(fading.box, IDC_FADING_PERIOD, "Fading period s"); }, "秒");

    Group crashes = group("天电 (QRN)", IDC_STATIC, "Static", "天电干扰(&S)", IDC_STATIC_CLIP,
                          SignalCondition::Static);
    row(
        crashes, "次数(&M)",
        [&] { return number(crashes.box, IDC_CRASH_RATE, "Static crashes per minute"); },
        "次/分钟");
    row(
        crashes, "强度(&L)",
        [&] { return number(crashes.box, IDC_CRASH_LEVEL, "Static crash level dB"); },
        "dB（相对信号）");

    Group qrm = group("同频干扰 (QRM)", IDC_INTERFERENCE, "Interference", "其他电台(&I)",
                      IDC_INTERFERENCE_CLIP, SignalCondition::Interference);
    row(
        qrm, "电台数(&T)",
        [&] {
            return m_pStations =
                       choice(qrm.box, IDC_STATIONS, "Interfering stations", {"一个", "两个"});
        },
        "");
    row(
        qrm, "内容(&X)",
        [&] {
            return choice(qrm.box, IDC_INTERFERENCE_TEXT, "Interference text",
                          {"常用英文单词", "通联用语（呼号、报告、缩略语）"});
        },
        "");
    // One line per station under the column heads.
    auto* stations = new wxFlexGridSizer(4, gap, gap);
    std::vector<wxWindow*>& qrmControls = m_switches.back().controls;
    for (const char* head : {"", "频率偏移 (Hz)", "电平 (dB)", "速度 (字符/分)"}) {
        wxStaticText* text = label(qrm.box, head);
        stations->Add(text, 0, wxALIGN_CENTER_VERTICAL);
        qrmControls.push_back(text);
    }
    const int ids[2][3] = {{IDC_STATION1_OFFSET, IDC_STATION1_LEVEL, IDC_STATION1_SPEED},
                           {IDC_STATION2_OFFSET, IDC_STATION2_LEVEL, IDC_STATION2_SPEED}};
    const char* const keys[2][3] = {
        {"Station 1 offset Hz", "Station 1 level dB", "Station 1 speed"},
        {"Station 2 offset Hz", "Station 2 level dB", "Station 2 speed"}};
    for (int i = 0; i < 2; ++i) {
        std::vector<wxWindow*> line = {label(qrm.box, i == 0 ? "电台 1" : "电台 2")};
        for (int j = 0; j < 3; ++j) line.push_back(number(qrm.box, ids[i][j], keys[i][j]));
        for (wxWindow* w : line) stations->Add(w, 0, wxALIGN_CENTER_VERTICAL);
        qrmControls.insert(qrmControls.end(), line.begin(), line.end());
        if (i == 1) m_secondStation = line;
    }
    qrm.sizer->Add(stations, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);

    Group fist = group("手法", IDC_FIST, "Uneven fist", "手法不均匀(&U)", IDC_FIST_CLIP,
                       SignalCondition::Fist);
    row(
        fist, "抖动(&J)", [&] { return number(fist.box, IDC_FIST_SPREAD, "Fist spread %"); },
        "%（标准差）");
    row(
        fist, "划点比(&G)",
        [&] { return number(fist.box, IDC_FIST_WEIGHT, "Fist weight tenths", true); }, ": 1");
    row(
        fist, "速度漂移(&V)", [&] { return number(fist.box, IDC_FIST_DRIFT, "Fist drift %"); },
        "%");

    auto* left = new wxBoxSizer(wxVERTICAL);
    for (const Group& g : {noise, fading, crashes}) left->Add(g.sizer, 0, wxEXPAND | wxBOTTOM, gap);
    auto* right = new wxBoxSizer(wxVERTICAL);
    for (const Group& g : {qrm, fist}) right->Add(g.sizer, 0, wxEXPAND | wxBOTTOM, gap);
    auto* columns = new wxBoxSizer(wxHORIZONTAL);
    columns->Add(left, 0, wxRIGHT, gap);
    columns->Add(right);

    auto* page = new wxBoxSizer(wxVERTICAL);
    page->Add(columns, 0, wxLEFT | wxRIGHT | wxTOP, FromDIP(8));
    AddPageButtons(page, "conditions.htm", [this] { ResetToDefaults(); });
    SetSizer(page);
}

bool CConditionsOptionsDialog::TransferDataToWindow() {
    m_bExchanging = true;
    for (const Switch& s : m_switches) s.box->SetValue(SwitchOf(s.key));
    for (const Number& n : m_numbers) n.edit->ChangeValue(Shown(NumberOf(n.key), n.tenths));
    for (const Choice& c : m_choices)
        c.list->SetSelection(NumberOf(c.key) - OptionRowOf(c.key).low);
    UpdateEnabling();
    m_bExchanging = false;
    return true;
}

bool CConditionsOptionsDialog::TransferDataFromWindow() {
    std::vector<int32_t> values;
    for (const Number& n : m_numbers) {
        const OptionRow& row = OptionRowOf(n.key);
        const std::optional<int32_t> value = ReadNumber(n.edit, n.tenths);
        if (!value || *value < row.low || *value > row.high) {
            const wxString message =
                value ? RangeMessage(row, n.tenths) : wxString("Please enter an integer.");
            ShowMessageBox(wxGetTopLevelParent(this), message, wxOK | wxICON_EXCLAMATION);
            n.edit->SetFocus();
            n.edit->SelectAll();
            return false;
        }
        values.push_back(*value);
    }
    for (size_t i = 0; i < m_numbers.size(); ++i) NumberOf(m_numbers[i].key) = values[i];
    for (const Switch& s : m_switches) SwitchOf(s.key) = s.box->GetValue();
    for (const Choice& c : m_choices)
        NumberOf(c.key) = OptionRowOf(c.key).low + c.list->GetSelection();
    return true;
}

void CConditionsOptionsDialog::ResetToDefaults() {
    g_optionsSettings.ResetPage(OptionPage::Conditions);
    TransferDataToWindow();
    SetModified();
}

void CConditionsOptionsDialog::OnClip(SignalCondition which) {
    ConditionsClipPlayer* player = Sheet().ClipPlayer();
    if (player == nullptr) return;
    if (player->IsClipPlaying()) {
        player->StopClip();
        if (which == m_lastClip) return;
    }
    if (!TransferDataFromWindow()) return;
    m_lastClip = which;
    player->PlayClip(ClipConditions(g_optionsSettings.m_conditions, which));
}

void CConditionsOptionsDialog::UpdateEnabling() {
    for (const Switch& s : m_switches)
        for (wxWindow* control : s.controls) control->Enable(s.box->GetValue());
    if (m_pStations->GetSelection() == 0)
        for (wxWindow* control : m_secondStation) control->Disable();
}

void CConditionsOptionsDialog::OnControlChanged() {
    if (!m_bExchanging) SetModified();
}
