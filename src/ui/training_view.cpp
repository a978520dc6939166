// The training view: creation, panes and their layout, the control bar exchange, the View
// toggles, the edit commands, the practice sources, options and help. Session control lives in
// session_control.cpp, the marshalling of the playback threads' pane calls in pane_calls.cpp.
#include "ui/training_view.h"

#include <wx/app.h>
#include <wx/aui/framemanager.h>
#include <wx/combobox.h>
#include <wx/font.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <mutex>

#include "engine/audio_flags.h"
#include "options/options_sheet.h"
#include "options/selected_chars_dialog.h"
#include "options/word_count_dialog.h"
#include "settings/settings.h"
#include "ui/code_table_panel.h"
#include "ui/command_ids.h"
#include "ui/control_bar.h"
#include "ui/help.h"
#include "ui/pane_font.h"

namespace {

constexpr int kPaneMargin = 10;  // pixels between the view's edges and its labels and panes

int SourceBit(int id) {
    switch (id) {
        case CMD_SOURCE_KOCH:
            return SOURCE_KOCH;
        case CMD_SOURCE_CHARSET:
            return SOURCE_CHARSET;
        case CMD_SOURCE_TEXT_FILE:
            return SOURCE_TEXT_FILE;
        case CMD_SOURCE_TYPED_TEXT:
            return SOURCE_TYPED_TEXT;
        case CMD_SOURCE_QSO_PLAIN:
            return SOURCE_QSO_PLAIN;
        case CMD_SOURCE_QSO_REAL:
            return SOURCE_QSO_REAL;
        case CMD_SOURCE_WORDS:
            return SOURCE_WORDS;
        case CMD_SOURCE_ABBREVIATIONS:
            return SOURCE_ABBREVIATIONS;
        case CMD_SOURCE_Q_CODES:
            return SOURCE_Q_CODES;
        case CMD_SOURCE_LINE_FILE:
            return SOURCE_LINE_FILE;
        default:
            return 0;
    }
}

}  // namespace

void CTrainingView::LeaveNestedWait() {
    --m_nNestedWaits;
    // Every nested wait is a window of the view's (countdown, progress, a dialog) that has
    // just closed.
    ReturnFocusToCopyPane();
    // The frame may be waiting for this to end before it can go.
    wxWakeUpIdle();
}

CTrainingView::CTrainingView()
    : m_audio(g_settings.m_keying, m_pSoundDevice, g_settings.m_conditions) {}

CTrainingView::~CTrainingView() {
    OnClosingNotice();
}

bool CTrainingView::Create(wxFrame* frame, wxAuiManager& bands,
                           std::unique_ptr<SoundBackend> backend) {
    if (!wxWindow::Create(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                          wxCLIP_CHILDREN | wxBORDER_NONE))
        return false;
    m_pBands = &bands;
    if (!CreateBands(frame, bands)) return false;
    CreatePanes();
    m_backend = std::move(backend);
    BindMessageMap();
    EnsureSoundDevice();
    WatchSoundDevice(frame);
    ExchangeControlBar(false);
    --m_nUpdating;
    LayoutPanes();
    m_wndCopy->SetFocus();
    return true;
}

bool CTrainingView::CreateBands(wxFrame* frame, wxAuiManager& bands) {
    // Bands live in the frame (the band manager's window) but report to the view. Rows: the
    // tool bar; the control bar and the donate bar; the code strip.
    const auto band = [](const char* name, int row, int position) {
        return wxAuiPaneInfo()
            .Name(name)
            .ToolbarPane()
            .Top()
            .Row(row)
            .Position(position)
            .Floatable(false)
            .CloseButton(false);
    };

    m_wndControlBar = new CDialogBarEx();
    if (!m_wndControlBar->Create(this, frame, wxID_ANY) ||
        !bands.AddPane(m_wndControlBar, band("controlbar", 1, 0)))
        return false;

    m_wndDonateBar = new CDonateBar();
    if (!m_wndDonateBar->Create(frame, wxID_ANY) ||
        !bands.AddPane(m_wndDonateBar, band("donatebar", 1, 1)))
        return false;

    m_dlgCodeStrip = new CCodeTableDialog();
    m_dlgCodeTable = new CCodeTableDialog();
    if (!m_dlgCodeStrip->Create(frame, false) || !m_dlgCodeTable->Create(frame, true) ||
        !bands.AddPane(m_dlgCodeStrip, band("codestrip", 2, 0)) ||
        !bands.AddPane(m_dlgCodeTable, wxAuiPaneInfo()
                                           .Name("codetable")
                                           .Right()
                                           .Gripper()
                                           .CaptionVisible(false)
                                           .PaneBorder(false)
                                           .Floatable(false)
                                           .CloseButton(false)
                                           .Resizable(false)
                                           .BestSize(m_dlgCodeTable->PreferredWidth(), -1)))
        return false;
    m_dlgCodeStrip->SetOwner(this);
    m_dlgCodeTable->SetOwner(this);

    CCodeTableDialog* unwanted = g_settings.m_bViewCodes ? m_dlgCodeStrip : m_dlgCodeTable;
    bands.GetPane(unwanted).Hide();
    unwanted->Hide();
    return true;
}

void CTrainingView::CreatePanes() {
    m_wndOutputLabel = new wxStaticText(this, wxID_ANY, wxString::FromUTF8("报底"),
                                        wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE);
    m_wndOutputLabel->Hide();
    m_wndCopyLabel = new wxStaticText(this, wxID_ANY, wxString::FromUTF8("听抄结果"),
                                      wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE);
    // Neither pane scrolls sideways: both wrap at words.
    m_wndOutput =
        new wxTextCtrl(this, IDC_OUTPUT_PANE, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                       wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP | wxVSCROLL);
    m_wndOutput->Hide();
    m_wndCopy = new wxTextCtrl(this, IDC_COPY_PANE, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                               wxTE_MULTILINE | wxTE_WORDWRAP | wxVSCROLL);
    m_panes.SetPanes(m_wndOutput, m_wndCopy);
}

void CTrainingView::BindCommand(int id, void (CTrainingView::*handler)()) {
    Bind(
        wxEVT_MENU, [this, handler](wxCommandEvent&) { (this->*handler)(); }, id);
    m_handledCommands.insert(id);
}

void CTrainingView::BindUpdate(int id, void (CTrainingView::*handler)(wxUpdateUIEvent&)) {
    Bind(wxEVT_UPDATE_UI, handler, this, id);
}

void CTrainingView::BindMessageMap() {
    // Session control (session_control.cpp).
    BindCommand(CMD_START, &CTrainingView::OnStart);
    BindCommand(CMD_PAUSE, &CTrainingView::OnPause);
    BindCommand(CMD_STOP, &CTrainingView::OnStop);
    BindCommand(CMD_ABORT, &CTrainingView::OnAbort);
    BindCommand(CMD_RECORD, &CTrainingView::OnRecord);
    BindUpdate(CMD_START, &CTrainingView::OnUpdateStart);
    BindUpdate(CMD_PAUSE, &CTrainingView::OnUpdatePause);
    BindUpdate(CMD_STOP, &CTrainingView::OnUpdateStop);
    BindUpdate(CMD_ABORT, &CTrainingView::OnUpdateAbort);
    BindUpdate(CMD_RECORD, &CTrainingView::OnUpdateRecord);
    BindUpdate(CMD_PANE_TIME, &CTrainingView::OnUpdateTimePane);
    BindUpdate(CMD_PANE_COUNT, &CTrainingView::OnUpdateCountPane);
    BindCommand(CMD_SESSION_FINISHED, &CTrainingView::OnSessionFinished);
    BindCommand(CMD_VIEW_LAST_RESULTS, &CTrainingView::ShowLastResults);
    BindUpdate(CMD_VIEW_LAST_RESULTS, &CTrainingView::OnUpdateViewLastResults);
    Bind(
        wxEVT_TEXT, [this](wxCommandEvent&) { OnCopyPaneChanged(); }, IDC_COPY_PANE);

    // The control bar.
    for (int id : {IDC_CHARACTERS_USED, IDC_CHAR_SPEED, IDC_WORD_SPEED, IDC_PITCH})
        Bind(
            wxEVT_TEXT, [this](wxCommandEvent&) { OnControlBarChange(); }, id);
    Bind(
        wxEVT_COMBOBOX, [this](wxCommandEvent&) { OnPitchSelect(); }, IDC_PITCH);
    Bind(
        wxEVT_SLIDER, [this](wxCommandEvent&) { OnControlBarChange(); }, IDC_VOLUME);
    Bind(EVT_CONTROL_BAR_FIELD_LEFT, [this](wxCommandEvent&) { OnControlBarKillFocus(); });

    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        LayoutPanes();
    });
    Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent&) {
        if (m_nUpdating == 0) m_wndCopy->SetFocus();
    });

    BindCommand(CMD_VIEW_OUTPUT, &CTrainingView::OnViewOutput);
    BindCommand(CMD_USE_CAPS, &CTrainingView::OnUseCaps);
    BindCommand(CMD_VIEW_CODES, &CTrainingView::OnViewCodes);
    BindUpdate(CMD_VIEW_OUTPUT, &CTrainingView::OnUpdateViewOutput);
    BindUpdate(CMD_USE_CAPS, &CTrainingView::OnUpdateUseCaps);
    BindUpdate(CMD_VIEW_CODES, &CTrainingView::OnUpdateViewCodes);

    BindCommand(CMD_COPY, &CTrainingView::OnEditCopy);
    BindCommand(CMD_CUT, &CTrainingView::OnEditCut);
    BindCommand(CMD_PASTE, &CTrainingView::OnEditPaste);
    BindUpdate(CMD_COPY, &CTrainingView::OnUpdateEditCopy);
    BindUpdate(CMD_CUT, &CTrainingView::OnUpdateEditCut);
    BindUpdate(CMD_PASTE, &CTrainingView::OnUpdateEditPaste);

    for (int id = CMD_SOURCE_KOCH; id <= CMD_SOURCE_LINE_FILE; ++id) {
        Bind(
            wxEVT_MENU, [this, id](wxCommandEvent&) { SelectSource(id); }, id);
        m_handledCommands.insert(id);
        BindUpdate(id, &CTrainingView::OnUpdateSource);
    }

    BindCommand(CMD_OPTIONS, &CTrainingView::OnOptions);
    BindCommand(CMD_USER_MANUAL, &CTrainingView::OnHelp);
    BindCommand(CMD_HELP, &CTrainingView::OnHelp);
    for (int id : {CMD_OPTIONS, CMD_USER_MANUAL, CMD_HELP})
        BindUpdate(id, &CTrainingView::OnUpdateAlwaysEnabled);
}

bool CTrainingView::TryBefore(wxEvent& event) {
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_BUTTON || type == wxEVT_MENU) {
        if (event.GetId() == IDC_CODE_TABLE_CLICK) {
            PlayClickedCharacter(
                static_cast<unsigned char>(static_cast<wxCommandEvent&>(event).GetInt()));
            return true;
        }
        if (event.GetId() == IDC_CANCEL_COMMAND) return true;
    }
    return wxWindow::TryBefore(event);
}

void CTrainingView::OnUpdateAlwaysEnabled(wxUpdateUIEvent& event) {
    event.Enable(true);
}

// ---- Control bar ---------------------------------------------------------------------------

int CTrainingView::EnabledCharacterCount() const {
    std::lock_guard lock(g_settingsLock);
    return static_cast<int>(g_settings.m_charSet.BuildSetString(false).size());
}

void CTrainingView::ExchangeControlBar(bool save) {
    if (save) {
        m_wndControlBar->ReadSettings(g_settings, EnabledCharacterCount());
        return;
    }
    ++m_nUpdating;
    m_wndControlBar->ShowSettings(g_settings, EnabledCharacterCount());
    --m_nUpdating;
}

void CTrainingView::RefreshCodePanels() {
    m_dlgCodeStrip->Refresh();
    m_dlgCodeTable->Refresh();
}

void CTrainingView::OnControlBarChange() {
    if (m_nUpdating != 0) return;
    ExchangeControlBar(true);
    // The lesson characters may have changed.
    RefreshCodePanels();
}

void CTrainingView::OnPitchSelect() {
    if (m_nUpdating != 0) return;
    wxComboBox& pitch = *m_wndControlBar->Pitch();
    const int selection = pitch.GetSelection();
    if (selection == wxNOT_FOUND) return;
    pitch.ChangeValue(pitch.GetString(selection));
    OnControlBarChange();
}

void CTrainingView::OnControlBarKillFocus() {
    if (m_nUpdating == 0) ExchangeControlBar(false);
}

// ---- Panes and bands -----------------------------------------------------------------------

void CTrainingView::LayoutPanes() {
    if (m_wndCopy == nullptr) return;
    m_fontIO = std::make_unique<wxFont>(MakePaneFont(g_settings.m_ioFont));

    int copyWidth = 0, copyHeight = 0, outputWidth = 0, outputHeight = 0;
    GetTextExtent(m_wndCopyLabel->GetLabel(), &copyWidth, &copyHeight, nullptr, nullptr,
                  m_fontIO.get());
    GetTextExtent(m_wndOutputLabel->GetLabel(), &outputWidth, &outputHeight, nullptr, nullptr,
                  m_fontIO.get());
    for (wxWindow* child : GetChildren()) child->SetFont(*m_fontIO);

    const wxSize client = GetClientSize();
    const int left = kPaneMargin;
    int top = kPaneMargin;
    const int width = std::max(0, client.x - 2 * kPaneMargin);
    int height = std::max(0, client.y - 2 * kPaneMargin);
    const int row = copyHeight * 11 / 10 + 2;  // a label's row: its text height plus a tenth
    // A size of -1 would mean "keep the current one"; a view smaller than its margins gets 0.
    const auto place = [](wxWindow* window, int x, int y, int w, int h) {
        window->SetSize(x, y, std::max(0, w), std::max(0, h));
    };

    const bool viewOutput = g_settings.m_bViewOutput;
    if (viewOutput) {
        place(m_wndOutputLabel, left, top, 2 * outputWidth, outputHeight);
        place(m_wndOutput, left, top + row, width, height / 2 - (3 * row) / 2);
        top += height / 2;
        height = height / 2 - row / 2;
    }
    place(m_wndCopyLabel, left, top, 2 * copyWidth, copyHeight);
    place(m_wndCopy, left, top + row, width, height - row);

    if (m_wndOutput->IsShown() != viewOutput) {
        m_wndOutput->Show(viewOutput);
        m_wndOutputLabel->Show(viewOutput);
    }
    for (wxWindow* window :
         {static_cast<wxWindow*>(m_wndOutputLabel), static_cast<wxWindow*>(m_wndCopyLabel),
          static_cast<wxWindow*>(m_wndOutput), static_cast<wxWindow*>(m_wndCopy)})
        window->Refresh();
}

void CTrainingView::UpdateCodeTableBands() {
    const bool viewCodes = g_settings.m_bViewCodes;
    CCodeTableDialog* unwanted = viewCodes ? m_dlgCodeStrip : m_dlgCodeTable;
    if (!unwanted->IsShown()) return;
    m_pBands->GetPane(m_dlgCodeStrip).Show(!viewCodes);
    m_pBands->GetPane(m_dlgCodeTable).Show(viewCodes);
    m_pBands->Update();
}

void CTrainingView::ApplyOptions() {
    FollowOutputChoice();
    ExchangeControlBar(false);
    LayoutPanes();
    UpdateCodeTableBands();
    // A changed character set changes the panels' widths.
    m_dlgCodeStrip->Resize();
    m_dlgCodeTable->Resize();
    m_pBands->GetPane(m_dlgCodeStrip).BestSize(m_dlgCodeStrip->GetSize());
    m_pBands->GetPane(m_dlgCodeTable).BestSize(m_dlgCodeTable->PreferredWidth(), -1);
    m_pBands->Update();
}

// ---- View toggles --------------------------------------------------------------------------

void CTrainingView::OnViewOutput() {
    g_settings.m_bViewOutput = !g_settings.m_bViewOutput;
    LayoutPanes();
}

void CTrainingView::OnUseCaps() {
    // The session echoes each later character in capitals; what is shown stays as it is.
    g_settings.m_bUseCaps = !g_settings.m_bUseCaps;
}

void CTrainingView::OnViewCodes() {
    g_settings.m_bViewCodes = !g_settings.m_bViewCodes;
    UpdateCodeTableBands();
}

void CTrainingView::OnUpdateViewOutput(wxUpdateUIEvent& event) {
    event.Enable(true);
    event.Check(g_settings.m_bViewOutput);
}

void CTrainingView::OnUpdateUseCaps(wxUpdateUIEvent& event) {
    event.Enable(true);
    event.Check(g_settings.m_bUseCaps);
}

void CTrainingView::OnUpdateViewCodes(wxUpdateUIEvent& event) {
    event.Enable(true);
    event.Check(g_settings.m_bViewCodes);
}

// ---- Edit commands -------------------------------------------------------------------------

wxTextCtrl* CTrainingView::FocusedPane() const {
    wxWindow* focus = wxWindow::FindFocus();
    if (focus == m_wndOutput || focus == m_wndCopy) return static_cast<wxTextCtrl*>(focus);
    return nullptr;
}

void CTrainingView::OnEditCopy() {
    if (wxTextCtrl* pane = FocusedPane()) pane->Copy();
}

void CTrainingView::OnEditCut() {
    if (wxTextCtrl* pane = FocusedPane()) pane->Cut();
}

void CTrainingView::OnEditPaste() {
    if (wxTextCtrl* pane = FocusedPane()) pane->Paste();
}

void CTrainingView::OnUpdateEditCopy(wxUpdateUIEvent& event) {
    const wxTextCtrl* pane = FocusedPane();
    event.Enable(pane != nullptr && pane->HasSelection());
}

void CTrainingView::OnUpdateEditCut(wxUpdateUIEvent& event) {
    const wxTextCtrl* pane = FocusedPane();
    event.Enable(pane != nullptr && pane->HasSelection() && pane->IsEditable());
}

void CTrainingView::OnUpdateEditPaste(wxUpdateUIEvent& event) {
    const wxTextCtrl* pane = FocusedPane();
    event.Enable(pane != nullptr && pane->IsEditable());
}

// ---- Practice sources ----------------------------------------------------------------------

void CTrainingView::SelectSource(int id) {
    if (id == CMD_SOURCE_CHARSET || id == CMD_SOURCE_WORDS) {
        NestedWait wait(*this);
        const int answer = id == CMD_SOURCE_CHARSET ? CSelectedCharsDialog(this).ShowModal()
                                                    : CWordCountDialog(this).ShowModal();
        if (answer != wxID_OK) return;
    }
    const int bit = SourceBit(id);
    const int old = g_settings.m_nSource;
    int source = bit;
    if ((bit & SOURCE_VOCABULARY_MASK) != 0) {
        // Vocabularies combine; the last one left cannot be switched off.
        source = (old & SOURCE_VOCABULARY_MASK) ^ bit;
        if (source == 0) source = bit;
    }
    g_settings.m_nSource = source;

    const bool wasText = (old & SOURCE_TEXT_KIND_MASK) != 0;
    const bool isText = (source & SOURCE_TEXT_KIND_MASK) != 0;
    // A running session cannot switch between generated practice and a fixed text.
    if (g_nActiveStreams != 0 && wasText != isText) OnStop();

    RefreshCodePanels();
    // The dot pitch depends on the source.
    g_settings.UpdateDualPitch(g_settings.m_keying.pitch);
}

void CTrainingView::OnUpdateSource(wxUpdateUIEvent& event) {
    const int bit = SourceBit(event.GetId());
    event.Enable(bit != SOURCE_QSO_PLAIN && bit != SOURCE_QSO_REAL);
    event.Check((g_settings.m_nSource & bit) != 0);
}

// ---- Options and help ----------------------------------------------------------------------

void CTrainingView::OnOptions() {
    NestedWait wait(*this);
    COptionsSheet sheet(wxGetTopLevelParent(this), *this);
    sheet.ShowModal();
    // A test tone may have played on an output that was not applied.
    FollowOutputChoice();
}

void CTrainingView::ReturnFocusToCopyPane() {
    if (IsClosing()) return;
    m_wndCopy->SetFocus();
    // The window manager hands the frame back its activation only after the closed window has
    // gone, which may move the focus once more; the copy pane takes it again then, unless the
    // learner has already put it somewhere else inside the frame.
    CallAfter([this] {
        wxWindow* focus = FindFocus();
        if (!IsClosing() && (focus == nullptr || focus == this || focus == GetParent()))
            m_wndCopy->SetFocus();
    });
}

void CTrainingView::OnHelp() {
    ShowHelpTopic("intro.htm");
}

void CTrainingView::ShowHelpTopic(const wxString& topic) {
    ::ShowHelpTopic(wxGetTopLevelParent(this), topic);
}

// ---- Pane calls ----------------------------------------------------------------------------

std::string CTrainingView::PaneText(Pane pane) {
    return m_panes.PaneText(pane);
}

void CTrainingView::SetPaneText(Pane pane, const std::string& text) {
    m_panes.SetPaneText(pane, text);
}

void CTrainingView::InsertPaneText(Pane pane, size_t pos, const std::string& text) {
    m_panes.InsertPaneText(pane, pos, text);
}

void CTrainingView::ClearPanesAndTally() {
    m_panes.Run<void>([this] {
        m_tally.Clear();
        m_panes.Write(Pane::Output, std::string());
        m_panes.Write(Pane::Copy, std::string());
    });
}

void CTrainingView::PostSessionFinished() {
    QueueEvent(new wxCommandEvent(wxEVT_MENU, CMD_SESSION_FINISHED));
}

void CTrainingView::PostWakeUp() {
    wxWakeUpIdle();
}
