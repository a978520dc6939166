#pragma once
// The pane calls of the playback threads. A thread's call is queued to the interface thread and
// the thread waits for it there, but gives up as soon as the session is aborted or the window
// closes, so a thread still running at shut-down never deadlocks. The interface thread's own
// calls run at once. Texts are Windows-1252 bytes; the panes hold them as Unicode.

#include <wx/event.h>
#include <wx/thread.h>

#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>

#include "engine/audio_flags.h"
#include "engine/relaxed_atomic.h"
#include "session/session_view.h"

class wxTextCtrl;

class CPaneCalls {
public:
    // owner runs the queued calls; it must outlive every thread that makes them.
    explicit CPaneCalls(wxEvtHandler& owner) : m_owner(owner) {}
    CPaneCalls(const CPaneCalls&) = delete;
    CPaneCalls& operator=(const CPaneCalls&) = delete;

    void SetPanes(wxTextCtrl* output, wxTextCtrl* copy);

    // From the closing of the window on, every call is refused (PaneText gives "").
    void Close() { m_bClosing = true; }
    bool IsClosing() const { return m_bClosing; }

    // Any thread: runs work on the interface thread and returns its result, or Result() when
    // the call was given up.
    template <typename Result, typename Work>
    Result Run(Work work);

    // Any thread.
    std::string PaneText(Pane pane);
    void SetPaneText(Pane pane, const std::string& text);
    // While the echo is batched, an insert into the output pane only appends to the batch.
    void InsertPaneText(Pane pane, size_t pos, const std::string& text);

    // Interface thread only.
    std::string Read(Pane pane) const;
    void Write(Pane pane, const std::string& text);
    void Insert(Pane pane, size_t pos, const std::string& text);
    // A recording writes an hour of echo in a second or two; one marshalled call per character
    // would cost most of that time in the pane. While batched, the session thread gathers the
    // echo (a recording only appends to the pane it has emptied), and the interface thread
    // writes it into the pane in pieces (FlushEcho) and finally once the thread has ended.
    void BeginBatchedEcho();
    void FlushEcho();
    void EndBatchedEcho();

private:
    // How often a thread waiting for its call looks at the abort and closing flags.
    static constexpr auto kWaitSlice = std::chrono::milliseconds(10);

    wxTextCtrl* Window(Pane pane) const { return pane == Pane::Output ? m_pOutput : m_pCopy; }

    wxEvtHandler& m_owner;
    wxTextCtrl* m_pOutput = nullptr;
    wxTextCtrl* m_pCopy = nullptr;
    RelaxedAtomic<bool> m_bClosing{false};
    RelaxedAtomic<bool> m_bBatchEcho{false};
    std::mutex m_echoMutex;
    std::string m_strEchoBatch;  // guarded by m_echoMutex
};

template <typename Result, typename Work>
Result CPaneCalls::Run(Work work) {
    if (wxThread::IsMain()) return work();
    if (IsClosing() || g_bAbort) return Result();
    // The promise is shared with the queued call, which may run after this thread gave up.
    auto done = std::make_shared<std::promise<Result>>();
    std::future<Result> result = done->get_future();
    m_owner.CallAfter([this, done, work]() {
        if constexpr (std::is_void_v<Result>) {
            if (!IsClosing()) work();
            done->set_value();
        } else {
            done->set_value(IsClosing() ? Result() : work());
        }
    });
    while (result.wait_for(kWaitSlice) != std::future_status::ready) {
        if (IsClosing() || g_bAbort) return Result();
    }
    return result.get();
}
