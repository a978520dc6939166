#include "session/session_thread.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <limits>
#include <string>
#include <thread>

#include "content/codepage.h"
#include "content/generator.h"
#include "content/random.h"
#include "content/text_prep.h"
#include "engine/audio_flags.h"
#include "engine/morse_audio.h"
#include "engine/sound_device.h"
#include "settings/settings.h"

namespace {

// One minute of sound: 22,050 samples per second x 60.
constexpr int64_t kSamplesPerMinute = 1'323'000;
// Largest budget, in samples: half the counter range, so adding the last character (a few
// hundred thousand samples at most) and the extra prosign spaces can never overflow.
constexpr int64_t kMaxBudget = std::numeric_limits<int32_t>::max() / 2;
// The end delay sleeps in slices this long so that an abort or a closing window ends it at once.
constexpr auto kSleepSlice = std::chrono::milliseconds(20);

bool KeepSending(const SessionView& view) {
    return !view.m_bPauseRequested && !view.m_bFinishRequested && !g_bAbort &&
           view.m_nBudgetUsed < view.m_nBudget;
}

// Appends one space to a pane whose text is neither empty nor ends in one; returns the pane's
// text length afterwards and whether a space was added.
size_t SeparateResumedText(SessionView& view, Pane pane, bool& added) {
    const std::string text = view.PaneText(pane);
    added = !text.empty() && text.back() != ' ';
    if (added) view.InsertPaneText(pane, text.size(), " ");
    return text.size() + (added ? 1 : 0);
}

// Prepares the panes and counters; returns the echo position in the output pane.
size_t BeginSession(SessionView& view) {
    if (view.m_bPauseRequested) {
        // A resumption keeps the counters, the tally and the panes, and separates the new text
        // from what was sent and copied before the pause.
        bool added = false;
        SeparateResumedText(view, Pane::Copy, added);
        const size_t echo = SeparateResumedText(view, Pane::Output, added);
        if (added) ++view.m_nSentCount;
        return echo;
    }
    view.m_nElapsedSamples = 0;
    view.m_nBudgetUsed = 0;
    view.m_nSentCount = 0;
    view.ClearPanesAndTally();
    return 0;
}

// A fixed text's length in characters, or the session duration read now (so a changed duration
// applies when a paused session resumes) in samples. A duration of 0 or less gives no budget:
// the session ends at once.
int32_t SessionBudget(const SessionView& view) {
    if (!view.m_strSessionText.empty()) {
        return static_cast<int32_t>(
            std::min<int64_t>(static_cast<int64_t>(view.m_strSessionText.size()), kMaxBudget));
    }
    const int64_t minutes = g_settings.m_nSessionDuration;
    return static_cast<int32_t>(std::clamp<int64_t>(minutes * kSamplesPerMinute, 0, kMaxBudget));
}

class SessionRun {
public:
    explicit SessionRun(SessionView& view) : m_view(view), m_audio(view.Audio()) {}

    void Run() {
        // A new stretch of band and hand each time, also after a pause.
        m_audio.BeginConditions(m_view.m_sessionSeed.value_or(
            static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())));
        m_echoPos = BeginSession(m_view);
        m_bFixedText = !m_view.m_strSessionText.empty();
        m_view.m_nBudget = SessionBudget(m_view);
        m_view.m_bPauseRequested = false;

        SendItems();
        const bool aborted = g_bAbort;
        EndStream();

        m_view.m_bFinishRequested = false;
        if (m_view.m_nBudgetUsed >= m_view.m_nBudget || aborted) m_view.m_bPauseRequested = false;
        // A paused session keeps its text, counters, tally and panes for the resumption.
        if (m_view.m_bPauseRequested) return;

        if (aborted || m_audio.HasFileSink() || m_view.PaneText(Pane::Copy).empty() ||
            !WaitEndDelay()) {
            m_view.m_nElapsedSamples = 0;
            m_view.m_nSentCount = 0;
        } else {
            m_view.m_bResultsPending = true;
            m_view.PostSessionFinished();
        }
        m_view.m_strSessionText.clear();
    }

private:
    void SendItems() {
        while (KeepSending(m_view)) {
            try {
                SendItem();
            } catch (const DeviceError&) {
                g_bAbort = true;
                break;
            } catch (const SinkWriteError&) {
                // The recording's file cannot take more (a full disk): end as if aborted and let
                // the record command tell the user.
                m_view.m_bSinkFailed = true;
                g_bAbort = true;
                break;
            }
        }
    }

    // Echoes and keys the characters of the next item while the session goes on.
    void SendItem() {
        const std::string item = m_bFixedText
                                     ? std::string(1, m_view.m_strSessionText[m_view.m_nBudgetUsed])
                                     : NextItem(BuildPool(m_view.m_tally, m_audio.HasFileSink()));
        for (size_t i = 0; i < item.size() && KeepSending(m_view); ++i) {
            const auto ch = static_cast<unsigned char>(item[i]);
            std::string display = ProsignDisplayText(ch);
            if (g_settings.m_bUseCaps) codepage::MakeUpper(display);
            ++m_view.m_nSentCount;
            // The character appears as its keying begins, shortly before it is heard: the stream
            // runs up to 0.3 s ahead of the sound.
            m_view.InsertPaneText(Pane::Output, m_echoPos, display);
            m_echoPos += display.size();

            const int n = m_audio.SynthesizeCharacter(ch, &m_view.m_nElapsedSamples, &m_view);
            m_view.m_nBudgetUsed += m_bFixedText ? 1 : n;

            // A prosign inside an item (a line of the line file) is set apart by extra word
            // spaces, neither shown nor counted. A fixed text's items are single characters.
            if (i > 0 && !display.empty() && display.front() == '\\') {
                for (int k = 1;
                     k < g_settings.m_nProsignSpacing && m_view.m_nBudgetUsed < m_view.m_nBudget;
                     ++k)
                    m_view.m_nBudgetUsed +=
                        m_audio.SynthesizeCharacter(' ', &m_view.m_nElapsedSamples, &m_view);
            }
        }
    }

    // Lets the device play out everything written, then releases it. A recording has nothing
    // queued on the device; a device error during the flush changes nothing at this point.
    void EndStream() {
        if (!m_audio.HasFileSink()) {
            try {
                m_audio.Write(nullptr, 0);
            } catch (const DeviceError&) {
            }
        }
        m_audio.StopStream();
    }

    // Sleeps the "End delay" (seconds) unless Pause or Stop cleared m_bApplyEndDelay. False when
    // the wait was cut short by the global abort flag or the closing window: no results then.
    bool WaitEndDelay() {
        if (!m_view.m_bApplyEndDelay) return true;
        const auto end = std::chrono::steady_clock::now() +
                         std::chrono::seconds(std::max<int32_t>(g_settings.m_nEndDelay, 0));
        while (std::chrono::steady_clock::now() < end) {
            if (g_bAbort || m_view.IsClosing()) {
                // The stream is already stopped, so nothing else will clear the flag.
                if (g_nActiveStreams == 0) g_bAbort = false;
                return false;
            }
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
                kSleepSlice, end - std::chrono::steady_clock::now()));
        }
        return true;
    }

    SessionView& m_view;
    CMorseAudio& m_audio;
    bool m_bFixedText = false;
    size_t m_echoPos = 0;  // byte position in the output pane where the next echo goes
};

// Ends a session that an unexpected exception left, as an abort would: no results, counters and
// fixed text reset, the stream stopped. Failures here are swallowed: the thread must end.
void EndAfterFailure(SessionView& view) {
    try {
        view.Audio().StopStream();
    } catch (...) {
    }
    view.m_bPauseRequested = false;
    view.m_bFinishRequested = false;
    view.m_nElapsedSamples = 0;
    view.m_nSentCount = 0;
    view.m_strSessionText.clear();
}

}  // namespace

void SessionThread(SessionView* view) {
    view->m_bThreadRunning = true;
    view->m_bApplyEndDelay = true;
    SeedRandom(view->m_sessionSeed ? static_cast<uint32_t>(*view->m_sessionSeed)
                                   : static_cast<uint32_t>(std::time(nullptr)));
    try {
        SessionRun(*view).Run();
    } catch (...) {
        // An exception leaving a thread function would terminate the program.
        EndAfterFailure(*view);
    }
    view->m_bThreadRunning = false;
    view->PostWakeUp();
}

void PlayCharacterThread(SessionView* view) {
    view->m_bThreadRunning = true;
    CMorseAudio& audio = view->Audio();
    try {
        audio.SynthesizeCharacter(view->m_chPlayCharacter, nullptr, nullptr);
    } catch (...) {
        // The rest of the character is dropped; the abort flag makes the flush return at once
        // and is cleared again by the stop.
        g_bAbort = true;
    }
    try {
        if (!audio.HasFileSink()) audio.Write(nullptr, 0);
    } catch (...) {
    }
    try {
        audio.StopStream();
    } catch (...) {
    }
    view->m_bThreadRunning = false;
    view->PostWakeUp();
}
