// The training view's sound device: opened when the view is created, opened again before a
// playback after a device error (on whatever the default output is then), looked for every few
// seconds and whenever a menu opens while there is none, and the learner told when there is none.
#include <wx/frame.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include "engine/audio_flags.h"
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
    if (!HasSoundDevice() || m_audio.DeviceFailed() || m_bTestToneFailed)
        OpenOutput(g_settings.m_strOutputDevice);
    return HasSoundDevice();
}

void CTrainingView::OpenOutput(const std::string& name) {
    m_audio.OpenDevice(*m_backend, name);
    m_strOpenedOutput = name;
    m_bTestToneFailed = false;
    ShowSoundDeviceState();
}

void CTrainingView::FollowOutputChoice() {
    if (m_bThreadRunning || IsClosing()) return;
    if (m_strOpenedOutput != g_settings.m_strOutputDevice) OpenOutput(g_settings.m_strOutputDevice);
}

std::vector<std::string> CTrainingView::OutputNames() {
    if (m_bThreadRunning) return m_backend->OutputDevices();
    // The host lists what it has now only while no stream of ours is open.
    m_audio.CloseDevice();
    std::vector<std::string> names = m_backend->OutputDevices();
    OpenOutput(m_strOpenedOutput);
    return names;
}

void CTrainingView::PlayTestTone(const KeyingParameters& keying, const std::string& name) {
    if (m_bThreadRunning || IsClosing()) return;
    if (name != m_strOpenedOutput || !HasSoundDevice() || m_audio.DeviceFailed() ||
        m_bTestToneFailed)
        OpenOutput(name);
    if (!HasSoundDevice()) return;
    JoinPlayback();
    m_testKeying = keying;
    m_bThreadRunning = true;
    m_playbackThread = std::thread([this] {
        try {
            for (const char ch : {'v', 'v', 'v'})
                m_testAudio.SynthesizeCharacter(static_cast<unsigned char>(ch), nullptr, nullptr);
        } catch (const DeviceError&) {
            m_bTestToneFailed = true;
            g_bAbort = true;
        }
        try {
            m_testAudio.Write(nullptr, 0);
        } catch (const DeviceError&) {
            m_bTestToneFailed = true;
        }
        m_testAudio.StopStream();
        m_bThreadRunning = false;
        PostWakeUp();
    });
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
