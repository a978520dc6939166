#include "options/options_sheet.h"

#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/sizer.h>

#include "options/charset_options_page.h"
#include "options/general_options_page.h"
#include "options/mnemonic_keys.h"
#include "options/volume_options_page.h"
#include "settings/settings.h"
#include "settings/wx_profile_store.h"
#include "ui/help.h"
#include "ui/training_view.h"

COptionsPage::COptionsPage(wxWindow* book, COptionsSheet& sheet, const wxString& caption)
    : wxPanel(book), m_sheet(sheet), m_caption(caption) {}

void COptionsPage::SetModified(bool modified) {
    m_bModified = modified;
    m_sheet.UpdateApplyButton();
}

void COptionsPage::OnApply() {
    g_settings.CopyFrom(g_optionsSettings);
    m_sheet.RefreshView();
}

void COptionsPage::AddPageButtons(wxSizer* pageSizer, const wxString& helpTopic,
                                  std::function<void()> onDefault) {
    auto* defaultButton = new wxButton(this, IDC_OPTIONS_DEFAULT, wxString::FromUTF8("默认(&D)"));
    auto* helpButton = new wxButton(this, IDC_OPTIONS_HELP, wxString::FromUTF8("帮助(&H)"));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->AddStretchSpacer();
    row->Add(defaultButton, 0, wxRIGHT, FromDIP(8));
    row->Add(helpButton);
    pageSizer->AddStretchSpacer();
    pageSizer->Add(row, 0, wxEXPAND | wxALL, FromDIP(8));

    // Bound on the page rather than the buttons, so that the F1 key of the sheet, which posts
    // the Help command to the page, lands here too.
    Bind(
        wxEVT_BUTTON, [onDefault](wxCommandEvent&) { onDefault(); }, IDC_OPTIONS_DEFAULT);
    Bind(
        wxEVT_BUTTON, [this, helpTopic](wxCommandEvent&) { ShowHelpTopic(this, helpTopic); },
        IDC_OPTIONS_HELP);
}

COptionsSheet::COptionsSheet(wxWindow* parent, CTrainingView& view)
    : COptionsSheet(parent, [&view] { view.ApplyOptions(); }, &view) {}

COptionsSheet::COptionsSheet(wxWindow* parent, std::function<void()> applyOptions,
                             SoundOutputHost* soundOutput)
    : m_applyOptions(std::move(applyOptions)), m_pSoundOutput(soundOutput) {
    SetSheetStyle(wxPROPSHEET_NOTEBOOK);
    Create(parent, wxID_ANY, wxString::FromUTF8("选项"));
    CreateButtons(wxOK | wxCANCEL | wxAPPLY);
    // The stock labels would follow the system's language; the program speaks Chinese.
    const std::pair<int, const char*> labels[] = {
        {wxID_OK, "确定"}, {wxID_CANCEL, "取消"}, {wxID_APPLY, "应用(&A)"}};
    for (const auto& [id, label] : labels)
        if (wxWindow* button = FindWindow(id)) button->SetLabel(wxString::FromUTF8(label));

    g_optionsSettings.CopyFrom(g_settings);

    wxBookCtrlBase* book = GetBookCtrl();
    m_pGeneral = new CGeneralOptionsDialog(book, *this);
    m_pCharSet = new CCharSetOptionsDialog(book, *this);
    m_pVolume = new CVolumeOptionsDialog(book, *this);
    m_pages = {m_pGeneral, m_pCharSet, m_pVolume};
    for (COptionsPage* page : m_pages) book->AddPage(page, page->Caption());
    book->SetSelection(0);
    m_pages.front()->SetShown();
    TransferToAllPages();
    LayoutDialog();

    // Leaving a page validates it; a page that refuses its values stays in front.
    book->Bind(wxEVT_BOOKCTRL_PAGE_CHANGING, [this](wxBookCtrlEvent& event) {
        COptionsPage* page = ActivePage();
        if (page && !page->TransferDataFromWindow()) event.Veto();
    });
    // A page that comes back shows the working copy again, which another page may have changed
    // (the character set bounds "Characters used").
    book->Bind(wxEVT_BOOKCTRL_PAGE_CHANGED, [this](wxBookCtrlEvent& event) {
        if (event.GetSelection() < 0) return;
        COptionsPage* page = m_pages[event.GetSelection()];
        if (page->WasShown()) page->TransferDataToWindow();
        page->SetShown();
    });

    Bind(
        wxEVT_BUTTON,
        [this](wxCommandEvent&) {
            if (ApplyChanges()) EndDialog(wxID_OK);
        },
        wxID_OK);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { ApplyChanges(); }, wxID_APPLY);

    // F1 anywhere in the sheet shows the help of the page in front; Alt + an underlined letter
    // goes to what that label names.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (event.GetModifiers() == wxMOD_ALT) {
            int letter = event.GetKeyCode();
            if (letter >= 'a' && letter <= 'z') letter += 'A' - 'a';
            const bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= '0' && letter <= '9');
            if (!isLetter || !FollowMnemonic(MnemonicWindows(), wxUniChar(letter))) event.Skip();
            return;
        }
        if (event.GetKeyCode() != WXK_F1 || event.HasAnyModifiers()) {
            event.Skip();
            return;
        }
        if (COptionsPage* page = ActivePage()) {
            wxCommandEvent help(wxEVT_BUTTON, IDC_OPTIONS_HELP);
            help.SetEventObject(page);
            wxPostEvent(page, help);
        }
    });

    UpdateApplyButton();
}

std::vector<wxWindow*> COptionsSheet::MnemonicWindows() const {
    std::vector<wxWindow*> windows;
    if (COptionsPage* page = ActivePage()) windows = WindowsInTabOrder(page);
    for (wxWindow* child : GetChildren()) {
        if (child == GetBookCtrl() || child->IsTopLevel()) continue;
        windows.push_back(child);
        for (wxWindow* inner : WindowsInTabOrder(child)) windows.push_back(inner);
    }
    return windows;
}

int COptionsSheet::ShowModal() {
    g_optionsSettings.CopyFrom(g_settings);
    TransferToAllPages();
    const int result = wxPropertySheetDialog::ShowModal();
    SaveLiveSettings();
    return result;
}

void COptionsSheet::TransferToAllPages() {
    for (COptionsPage* page : m_pages) {
        page->TransferDataToWindow();
        page->SetModified(false);
    }
}

bool COptionsSheet::ApplyChanges() {
    COptionsPage* current = ActivePage();
    if (current && !current->TransferDataFromWindow()) return false;
    for (COptionsPage* page : m_pages) {
        if (page->WasShown()) page->OnApply();
    }
    for (COptionsPage* page : m_pages) page->SetModified(false);
    return true;
}

void COptionsSheet::UpdateApplyButton() {
    wxWindow* apply = FindWindow(wxID_APPLY);
    if (!apply) return;
    bool modified = false;
    for (const COptionsPage* page : m_pages) modified = modified || page->IsModified();
    apply->Enable(modified);
}

void COptionsSheet::RefreshView() const {
    if (m_applyOptions) m_applyOptions();
}

COptionsPage* COptionsSheet::ActivePage() const {
    const int selection = GetBookCtrl()->GetSelection();
    if (selection < 0 || selection >= static_cast<int>(m_pages.size())) return nullptr;
    return m_pages[selection];
}

int WorkingSetSize() {
    return static_cast<int>(g_optionsSettings.m_charSet.BuildSetString(false).size());
}

void SaveLiveSettings() {
    WxProfileStore store;
    g_settings.ExchangeProfile(store, true);
    store.Flush();
}
