#pragma once
// What the record command needs of the training view: the session state the session thread
// shares, the pane calls, the practice text, the results still due and the playback thread.

#include <string>

#include "ui/nested_wait.h"

class CPaneCalls;
class SessionView;

class RecordingHost : public NestedWaitHost {
public:
    // The flags, counters, session text and sound engine of the session thread.
    virtual SessionView& Session() = 0;
    virtual CPaneCalls& Panes() = 0;
    // The fixed practice text (a file, typed text); false, the learner told why, when there is
    // none. chosenPathUtf8, if given, receives the file chosen.
    virtual bool PrepareFixedText(std::string& text, std::string* chosenPathUtf8) = 0;
    // Scores the copy of a session that has just ended and shows its results, if still due.
    virtual void DeliverPendingResults() = 0;
    // Starts a playback thread once the previous one has ended.
    virtual void StartPlayback(void (*threadProc)(SessionView*)) = 0;
    virtual void JoinPlayback() = 0;

protected:
    ~RecordingHost() = default;
};
