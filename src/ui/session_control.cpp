// Session control of the training view: Start (with the practice text and the countdown),
// Pause, Stop and Abort, their enable and check states, the status-bar time and count, the
// results at the end of a session, the copy scoring while it runs, the single-character
// playback, and the closing notice.
#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include <chrono>

#include "content/text_sources.h"
#include "engine/audio_flags.h"
#include "engine/audio_format.h"
#include "options/input_text_dialog.h"
#include "session/session_thread.h"
#include "settings/settings.h"
#include "ui/initial_delay_dialog.h"
#include "ui/message_box.h"
#include "ui/pane_text.h"
#include "ui/pump.h"
#include "ui/record_command.h"
#include "ui/results_dialog.h"
#include "ui/training_view.h"

namespace {

// Set while the Start handler runs: it pumps messages during the countdown and must not be
// entered again from them.
bool g_bStartGuard = false;
// How long a waiting loop of the interface thread sleeps between pumps when nothing happens.
constexpr int kWaitSliceMs = 10;

// Tells why a chosen practice file cannot be sent, for the faults the learner can act on, so
// that Start does not silently do nothing.
void ReportUnusableFile(wxWindow* parent, const PreparedText& prepared) {
    const wxString name = wxFileName(wxString::FromUTF8(prepared.chosenPathUtf8)).GetFullName();
    wxString message;
    if (prepared.result == PrepareResult::TooLarge)
        message = wxString::Format(wxString::FromUTF8("“%s”太大，不能用作练习文本（最大 %d MB）。"),
                                   name, static_cast<int>(kMaxTextFileBytes >> 20));
    else if (prepared.result == PrepareResult::NotText)
        message = wxString::Format(wxString::FromUTF8("“%s”不是文本文件。"), name);
    else
        return;
    ShowMessageBox(parent, message, wxOK | wxICON_WARNING);
}

}  // namespace

// ---- Start, Pause, Stop, Abort -------------------------------------------------------------

void CTrainingView::OnStart() {
    if (g_bStartGuard || IsClosing()) return;
    g_bStartGuard = true;
    // Nothing starts while a session plays or a playback thread still runs (e.g. while it
    // waits for the end delay).
    if (g_nActiveStreams == 0 && !m_bThreadRunning) {
        // The finished thread is joined before its session text is touched.
        JoinPlayback();
        // A session that has just ended is scored and its results shown before anything new
        // empties the tally and the panes (its finished command may still be queued).
        DeliverPendingResults();
        const bool resumption = m_bPauseRequested;
        bool ready = true;
        // A new generated session must not send the text of a paused session that Stop
        // dropped.
        if (!resumption) m_strSessionText.clear();
        if (!resumption && (g_settings.m_nSource & SOURCE_FIXED_TEXT_MASK) != 0)
            ready = PrepareFixedText(m_strSessionText, nullptr);
        // A cancelled countdown starts nothing and leaves a paused session paused. A device
        // that failed in the last playback is opened again, on the default output of now.
        if (ready && RunCountdown(resumption) && !IsClosing() && EnsureSoundDevice()) {
            m_lastResults.reset();
            StartPlayback(&SessionThread);
        }
    }
    g_bStartGuard = false;
}

bool CTrainingView::PrepareFixedText(std::string& text, std::string* chosenPathUtf8) {
    PreparedText prepared = PrepareSessionText(*this, text);
    if (prepared.result == PrepareResult::Ready) {
        if (chosenPathUtf8 != nullptr) *chosenPathUtf8 = std::move(prepared.chosenPathUtf8);
        return true;
    }
    if (!IsClosing()) {
        NestedWait wait(*this);
        ReportUnusableFile(wxGetTopLevelParent(this), prepared);
    }
    return false;
}

bool CTrainingView::RunCountdown(bool resumption) {
    const int delaySeconds = g_settings.m_nInitialDelay;
    if (delaySeconds <= 0) return true;

    NestedWait wait(*this);
    const auto start = std::chrono::steady_clock::now();
    CInitialDelayDialog countdown(wxString::FromUTF8(resumption ? "继续训练" : "请做好抄收准备..."),
                                  0);
    bool cancelled = false;
    for (;;) {
        const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - start)
                                   .count();
        if (elapsedMs >= delaySeconds * 1000LL) break;
        countdown.SetProgress(static_cast<int>((elapsedMs / delaySeconds) / 10));
        PumpPendingMessages();
        if (countdown.IsCancelled() || IsClosing()) {
            cancelled = true;
            break;
        }
        WaitForNextMessage(kWaitSliceMs);
    }
    countdown.Close();
    return !cancelled;
}

void CTrainingView::OnPause() {
    if (g_nActiveStreams != 0) {
        // The thread ends after the current character and keeps everything for the resumption.
        m_bApplyEndDelay = false;
        m_bPauseRequested = true;
    } else {
        OnStart();  // resumes a paused session
    }
}

void CTrainingView::OnStop() {
    if (g_nActiveStreams != 0) {
        // The thread ends after the current character; the results follow at once.
        m_bApplyEndDelay = false;
        m_bFinishRequested = true;
    }
    // A paused session is dropped without results.
    m_bPauseRequested = false;
}

void CTrainingView::OnAbort() {
    if (g_nActiveStreams != 0) g_bAbort = true;
    m_bPauseRequested = false;
    m_bFinishRequested = false;
    m_nSentCount = 0;
    m_nElapsedSamples = 0;
}

void CTrainingView::OnUpdateStart(wxUpdateUIEvent& event) {
    event.Enable(m_pSoundDevice != nullptr);
    event.Check(g_nActiveStreams != 0);
}

void CTrainingView::OnUpdatePause(wxUpdateUIEvent& event) {
    event.Enable(m_bPauseRequested || (g_nActiveStreams != 0 && !m_bFinishRequested));
    event.Check(m_bPauseRequested);
}

void CTrainingView::OnUpdateStop(wxUpdateUIEvent& event) {
    event.Enable(g_nActiveStreams != 0 || m_bPauseRequested);
    event.Check(m_bFinishRequested);
}

void CTrainingView::OnUpdateAbort(wxUpdateUIEvent& event) {
    event.Enable(g_nActiveStreams != 0);
}

void CTrainingView::OnUpdateRecord(wxUpdateUIEvent& event) {
    event.Enable(g_nActiveStreams == 0);
}

void CTrainingView::OnRecord() {
    CRecordCommand(*this, wxGetTopLevelParent(this)).Run();
}

// ---- Status-bar panes ----------------------------------------------------------------------

void CTrainingView::OnUpdateTimePane(wxUpdateUIEvent& event) {
    // Seconds of sound keyed, not of the clock: pauses and the countdown do not count.
    const int seconds = m_nElapsedSamples / audio::kSampleRate;
    event.SetText(seconds == 0 ? wxString()
                               : wxString::Format("%d:%02d", seconds / 60, seconds % 60));
}

void CTrainingView::OnUpdateCountPane(wxUpdateUIEvent& event) {
    const int count = m_nSentCount;
    event.SetText(count == 0 ? wxString() : wxString::Format("%d", count));
}

// ---- Scoring and results -------------------------------------------------------------------

void CTrainingView::OnCopyPaneChanged() {
    if (m_bThreadRunning) CompareCopyPanes(m_tally, *m_wndCopy, *m_wndOutput, false);
}

void CTrainingView::OnSessionFinished() {
    DeliverPendingResults();
}

void CTrainingView::DeliverPendingResults() {
    // Once per session: by the finished command, or earlier by a Start or Record that came first.
    if (!m_bResultsPending || IsClosing()) return;
    m_bResultsPending = false;
    const int seconds = m_nElapsedSamples / audio::kSampleRate;
    if (CompareCopyPanes(m_tally, *m_wndCopy, *m_wndOutput, true)) {
        m_lastResults = std::make_unique<LastResults>(LastResults{m_tally, seconds});
        ShowLastResults();
    }
    m_nSentCount = 0;
    m_nElapsedSamples = 0;
}

void CTrainingView::ShowLastResults() {
    if (!m_lastResults || IsClosing()) return;
    NestedWait wait(*this);
    CResultsDialog results(wxGetTopLevelParent(this), &m_lastResults->tally,
                           m_lastResults->seconds);
    results.ShowModal();
}

void CTrainingView::OnUpdateViewLastResults(wxUpdateUIEvent& event) {
    event.Enable(m_lastResults != nullptr && !m_bThreadRunning);
}

// ---- Playback threads ----------------------------------------------------------------------

void CTrainingView::JoinPlayback() {
    if (m_playbackThread.joinable()) m_playbackThread.join();
}

void CTrainingView::StartPlayback(void (*threadProc)(SessionView*)) {
    JoinPlayback();
    // Claimed here, before the thread runs, so that no second start slips in meanwhile.
    m_bThreadRunning = true;
    m_playbackThread = std::thread(threadProc, static_cast<SessionView*>(this));
}

void CTrainingView::PlayClickedCharacter(unsigned char ch) {
    if (m_bThreadRunning || IsClosing() || !EnsureSoundDevice()) return;
    m_chPlayCharacter = ch;
    StartPlayback(&PlayCharacterThread);
}

void CTrainingView::OnClosingNotice() {
    m_panes.Close();
    m_deviceLook.Stop();
    g_bAbort = true;
    // The thread's pane calls give up now that the view is closing, and the abort cuts its
    // sound within an element, so the wait is short; the view and its engine stay until it ends.
    JoinPlayback();
    // Nothing plays any more: a flag left set would cut the next playback short.
    if (g_nActiveStreams == 0) g_bAbort = false;
}

// ---- Practice text -------------------------------------------------------------------------

void CTrainingView::StopSessionAndWait() {
    OnStop();
    NestedWait wait(*this);
    while (g_nActiveStreams != 0 && !IsClosing()) {
        PumpPendingMessages();
        WaitForNextMessage(kWaitSliceMs);
    }
}

bool CTrainingView::AskTypedText(std::string& cp1252Text) {
    if (IsClosing()) return false;
    NestedWait wait(*this);
    CInputTextDialog dialog(wxGetTopLevelParent(this));
    if (dialog.ShowModal() != wxID_OK) return false;
    cp1252Text = dialog.GetText();
    return true;
}

bool CTrainingView::AskTextFile(const std::string& initialPathUtf8, std::string& chosenPathUtf8) {
    if (IsClosing()) return false;
    NestedWait wait(*this);
    const wxFileName initial(wxString::FromUTF8(initialPathUtf8));
    wxFileDialog dialog(wxGetTopLevelParent(this), wxString::FromUTF8("打开"), initial.GetPath(),
                        initial.GetFullName(), wxString::FromUTF8("文本文件 (*.txt)|*.txt"),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) return false;
    chosenPathUtf8 = dialog.GetPath().utf8_string();
    return true;
}
