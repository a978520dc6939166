// The training view's part in the clips of the signal conditions page.
#include <chrono>

#include "engine/audio_flags.h"
#include "session/conditions_clip.h"
#include "settings/settings.h"
#include "ui/training_view.h"

bool CTrainingView::PlayClip(const SignalConditions& conditions) {
    StopClip();
    if (m_bThreadRunning || IsClosing() || !EnsureSoundDevice()) return false;
    m_clipConditions = conditions;
    m_clipAudio =
        std::make_unique<CMorseAudio>(g_settings.m_keying, m_pSoundDevice, m_clipConditions);
    m_bClipPlaying = true;
    StartPlayback(&ConditionsClipThread);
    return true;
}

void CTrainingView::StopClip() {
    if (m_bClipPlaying) {
        g_bAbort = true;
        JoinPlayback();
        if (g_nActiveStreams == 0) g_bAbort = false;
    }
    // A session or a character may have the thread since the clip ended by itself; the clip's
    // engine goes once nothing runs.
    if (!m_clipAudio || m_bThreadRunning) return;
    JoinPlayback();
    // The view's own engine never saw the clip's device error: the next playback opens the
    // output again, as after a failed test tone.
    if (m_clipAudio->DeviceFailed()) m_bTestToneFailed = true;
    m_clipAudio.reset();
}

void CTrainingView::ConditionsClipThread(SessionView* base) {
    auto* view = static_cast<CTrainingView*>(base);
    ::PlayClip(*view->m_clipAudio, kClipText,
               static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    view->m_bThreadRunning = false;
    view->m_bClipPlaying = false;
    view->PostWakeUp();
}
