// The training view's sound device: opened when the view is created, opened again before a
// playback after a device error (on whatever the default output is then), looked for every few
// seconds and whenever a menu opens while there is none, and the learner told when there is none.
#include <wx/frame.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include "settings/settings.h"
#include "ui/command_ids.h"
#include "ui/main_frame.h"
#include "ui/training_view.h"
#include "ui/translate.h"

namespace {

// The status-bar pane the frame shows its idle text and the menu help in.
constexpr int kMessagePane = 0;
// A look costs one query of the sound host, off the interface thread.
constexpr int kLookIntervalMs = 3000;

}  // namespace

bool CTrainingView::EnsureSoundDevice() {
    // A running playback thread owns the device until it ends.
    if (m_bThreadRunning) return HasSoundDevice();
    if (!HasSoundDevice() || m_audio.DeviceFailed()) {
        m_audio.OpenDevice(*m_backend, g_settings.m_strOutputDevice);
        ShowSoundDeviceState();
    }
    return HasSoundDevice();
}

void CTrainingView::WatchSoundDevice(wxWindow* frame) {
    m_deviceLook.SetOwner(this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { LookForSoundDevice(); });
    frame->Bind(wxEVT_MENU_OPEN, &CTrainingView::OnMenuOpen, this);
    m_deviceLook.Start(kLookIntervalMs);
}

void CTrainingView::OnMenuOpen(wxMenuEvent& event) {
    event.Skip();
    LookForSoundDevice();
}

void CTrainingView::ReopenSoundDevice() {
    if (m_bThreadRunning || IsClosing()) return;
    m_audio.OpenDevice(*m_backend, g_settings.m_strOutputDevice);
    ShowSoundDeviceState();
}

void CTrainingView::LookForSoundDevice() {
    if (HasSoundDevice() || m_bThreadRunning || IsClosing()) return;
    if (m_backend->OutputAppeared()) EnsureSoundDevice();
}

void CTrainingView::ShowSoundDeviceState() {
    auto* frame = dynamic_cast<CMainFrame*>(wxGetTopLevelParent(this));
    if (frame == nullptr) return;
    const bool found = HasSoundDevice();
    const wxString missing = _("未找到声音输出设备，无法开始训练");
    if (wxStatusBar* bar = frame->GetStatusBar(); bar != nullptr) {
        // Once found, the message gives way to the idle text it replaced.
        if (!found)
            bar->SetStatusText(missing, kMessagePane);
        else if (bar->GetStatusText(kMessagePane) == missing)
            bar->SetStatusText(_("准备"), kMessagePane);
    }
    if (wxToolBar* tools = frame->ToolBar(); tools != nullptr) {
        if (m_strStartToolTip.empty()) m_strStartToolTip = tools->GetToolShortHelp(CMD_START);
        tools->SetToolShortHelp(CMD_START, found ? m_strStartToolTip : missing);
    }
}
