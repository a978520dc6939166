#include "ui/initial_delay_dialog.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <memory>

#include "ui/command_ids.h"

namespace {

// The dialog's layout in dialog units: 195 wide, a label row, the bar and the button row.
constexpr int kContentWidthDlu = 181;
constexpr int kProgressHeightDlu = 10;

wxWindow* FindOwner() {
    if (wxWindow* active = wxGetActiveWindow()) return wxGetTopLevelParent(active);
    return wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr;
}

}  // namespace

CInitialDelayDialog::CInitialDelayDialog(const wxString& label, int showDelayMs)
    : m_pOwner(FindOwner()),
      m_showTime(std::chrono::steady_clock::now() + std::chrono::milliseconds(showDelayMs)),
      m_strLabel(label) {
    if (showDelayMs == 0) SetProgress(0);
}

CInitialDelayDialog::~CInitialDelayDialog() {
    if (m_pWindow != nullptr) Close();
}

bool CInitialDelayDialog::CreateWindow() {
    if (m_pOwner != nullptr) m_pOwner->Disable();
    auto* dialog = new wxDialog();
    if (!dialog->Create(m_pOwner, wxID_ANY, wxString::FromUTF8("前置延时"), wxDefaultPosition,
                        wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxSTAY_ON_TOP)) {
        delete dialog;
        if (m_pOwner != nullptr) m_pOwner->Enable();
        return false;
    }

    const int width = dialog->ConvertDialogToPixels(wxSize(kContentWidthDlu, 0)).x;
    m_pLabel = new wxStaticText(dialog, IDC_DELAY_LABEL, m_strLabel, wxDefaultPosition,
                                wxSize(width, -1), wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    m_pProgress =
        new wxGauge(dialog, IDC_DELAY_PROGRESS, 100, wxDefaultPosition,
                    dialog->ConvertDialogToPixels(wxSize(kContentWidthDlu, kProgressHeightDlu)),
                    wxGA_HORIZONTAL | wxGA_SMOOTH | wxBORDER_SIMPLE);
    auto* cancel = new wxButton(dialog, wxID_CANCEL, wxString::FromUTF8("取消"));
    cancel->SetDefault();

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(m_pLabel, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, 10));
    column->Add(m_pProgress, wxSizerFlags().Expand().Border(wxALL, 10));
    column->Add(cancel, wxSizerFlags().Centre().Border(wxLEFT | wxRIGHT | wxBOTTOM, 10));
    dialog->SetSizerAndFit(column);

    // The handlers may outlive this object by the few events a destroyed dialog still gets, so
    // they report through the window's own state rather than through `this`.
    bool* cancelled = &m_bCancelled;
    auto alive = std::make_shared<bool>(true);
    m_alive = alive;
    dialog->Bind(
        wxEVT_BUTTON,
        [cancelled, alive](wxCommandEvent&) {
            if (*alive) *cancelled = true;
        },
        wxID_CANCEL);
    dialog->Bind(wxEVT_CLOSE_WINDOW, [cancelled, alive](wxCloseEvent& event) {
        if (*alive) *cancelled = true;
        if (event.CanVeto()) event.Veto();
    });

    m_pWindow = dialog;
    if (m_pOwner != nullptr)
        dialog->CentreOnParent();
    else
        dialog->CentreOnScreen();
    dialog->Show();
    return true;
}

void CInitialDelayDialog::SetProgress(int percent, const wxString& text) {
    if (m_bShowPending && std::chrono::steady_clock::now() >= m_showTime) {
        // A window that cannot be made is tried again at the next update.
        if (!CreateWindow()) return;
        m_bShowPending = false;
    }
    if (m_pWindow == nullptr) return;
    m_pProgress->SetValue(std::clamp(percent, 0, 100));
    if (!text.empty()) {
        m_strLabel = text;
        m_pLabel->SetLabel(text);
    }
    m_pWindow->Update();
}

void CInitialDelayDialog::Close() {
    m_bCancelled = true;
    if (m_pOwner != nullptr && m_pWindow != nullptr) {
        m_pOwner->Enable();
        // Menus and tool bar show the state the caller leaves behind.
        m_pOwner->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    }
    if (m_pWindow != nullptr) {
        *m_alive = false;
        m_pWindow->Destroy();
        m_pWindow = nullptr;
    }
}
