#pragma once
// The training view as the playback threads see it: the session flags and counters they share
// with the interface thread, the fixed session text, the score tally, and the few calls they
// make on the view's windows. The wx training view implements it; tests implement it with plain
// strings, so a whole session runs without a window or a sound card.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/morse_audio.h"
#include "engine/relaxed_atomic.h"
#include "scoring/score_tally.h"

// The two text panes: the output pane echoes the sent text, the learner types into the copy pane.
enum class Pane { Output, Copy };

class SessionView : public SynthesisObserver {
public:
    ~SessionView() override = default;

    // Session flags. The interface thread sets the requests; the session thread clears them.
    RelaxedAtomic<bool> m_bPauseRequested;   // Pause asked for; at thread start: a resumption
    RelaxedAtomic<bool> m_bFinishRequested;  // Stop asked for: end after the current character
    RelaxedAtomic<bool> m_bThreadRunning;    // a session or single-character thread runs
    RelaxedAtomic<bool> m_bApplyEndDelay;    // wait the end delay before the results
    // Set by the session thread just before it posts session finished, cleared by the interface
    // thread once it has scored the copy and shown the results. While it is set nothing new may
    // start: a new session would empty the tally and the panes the results are made of.
    RelaxedAtomic<bool> m_bResultsPending;
    // Set when writing a recording's file failed (disk full, ...); the session then ended as if
    // aborted. The record command reads it to tell the user and clears it before a new recording.
    RelaxedAtomic<bool> m_bSinkFailed;

    // Counters. Samples are at 22,050 per second.
    RelaxedAtomic<int32_t> m_nElapsedSamples;  // tones and silences keyed in this session
    RelaxedAtomic<int32_t> m_nBudgetUsed;      // next text index (fixed text) or samples keyed
    RelaxedAtomic<int32_t> m_nBudget;          // text length, or duration x 1,323,000 samples
    RelaxedAtomic<int32_t> m_nSentCount;       // characters echoed into the output pane
    RelaxedAtomic<unsigned char> m_chPlayCharacter;  // the single-character thread's character

    // The fixed text of the session (Windows-1252), prepared before the start; empty for
    // generated practice. The session thread reads it and empties it at the end, so the
    // interface thread touches it only after joining the previous playback thread (the relaxed
    // m_bThreadRunning alone does not order the two threads' accesses).
    std::string m_strSessionText;
    ScoreTally m_tally;
    // The seed of the sessions to come, set before the launch: the practice drawn and the
    // signal conditions then repeat exactly (a recording rendered again). Empty: a new draw
    // from the clock each time, as the trainer keys sessions.
    std::optional<uint64_t> m_sessionSeed;

    // The sound engine the playback threads key through.
    virtual CMorseAudio& Audio() = 0;

    // Pane calls, made from a playback thread. Texts are Windows-1252 bytes; the implementation
    // converts at its window. Each call is executed on the interface thread and blocks the
    // caller until it has run there. Once IsClosing() is true every pane call must return at
    // once without waiting for the interface thread (doing nothing, PaneText returning an empty
    // string), so a thread still running while the window closes can never deadlock.
    virtual std::string PaneText(Pane pane) = 0;
    virtual void SetPaneText(Pane pane, const std::string& text) = 0;
    // Selects the empty range at byte position pos, scrolls the caret into view and replaces the
    // selection with text (appending when pos is the text's length).
    virtual void InsertPaneText(Pane pane, size_t pos, const std::string& text) = 0;

    // The start of a new session: empties both panes and zeroes the tally in one call on the
    // interface thread, so that no copy keystroke is scored between the two (it would score the
    // old panes into the new tally). Blocks like the pane calls.
    virtual void ClearPanesAndTally() = 0;

    // Posted, never waited for: command 32776 (session finished: score the copy, show results).
    virtual void PostSessionFinished() = 0;
    // Posted, never waited for: wakes the interface thread's idle-time update (status panes).
    virtual void PostWakeUp() = 0;
    // True once the window has begun to close; safe to call from any thread.
    virtual bool IsClosing() const = 0;

    // Every keyed element wakes the status-bar update.
    void OnElementKeyed() override { PostWakeUp(); }
};
