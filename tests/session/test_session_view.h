#pragma once
// A SessionView for tests: plain-string panes owned by a stand-in interface thread that runs
// the session thread's pane calls from a queue and blocks the caller until they ran, as the
// real window's marshalled calls do; a scripted FakeSoundDevice behind the sound engine.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/fake_sound_device.h"
#include "engine/morse_audio.h"
#include "session/session_view.h"

// Runs posted tasks one by one, in order, on its own thread.
class TestUiThread {
public:
    TestUiThread();
    ~TestUiThread();

    void Post(std::function<void()> task);
    // Runs the task on the interface thread and waits for its result.
    template <typename F>
    auto Call(F task) -> decltype(task()) {
        std::packaged_task<decltype(task())()> packaged(std::move(task));
        auto result = packaged.get_future();
        Post([&packaged] { packaged(); });
        return result.get();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_bStop = false;
    std::thread m_thread;
};

class TestSessionView : public SessionView {
public:
    using Clock = std::chrono::steady_clock;
    // What the interface thread saw; touched only on it (read it through Snapshot).
    struct Record {
        std::string output, copy;
        int finishedPosts = 0;
        Clock::time_point finishedAt;
        // m_nElapsedSamples at each wake-up posted while the thread ran (one per keyed element).
        std::vector<int32_t> elementWakeUps;
        Clock::time_point lastElementAt;
        int endWakeUps = 0;  // posted after the thread cleared m_bThreadRunning
    };

    TestSessionView();
    ~TestSessionView() override;

    // Launches a playback thread function with this view, as the window does.
    void Launch(void (*threadFunction)(SessionView*));
    // Waits for the launched thread to return; false if it still runs after `limit`.
    bool WaitForEnd(std::chrono::milliseconds limit = std::chrono::seconds(20));

    CMorseAudio& Audio() override { return m_audio; }
    std::string PaneText(Pane pane) override;
    void SetPaneText(Pane pane, const std::string& text) override;
    void InsertPaneText(Pane pane, size_t pos, const std::string& text) override;
    void ClearPanesAndTally() override;
    void PostSessionFinished() override;
    void PostWakeUp() override;
    bool IsClosing() const override { return m_bClosing; }

    Record Snapshot() {
        return m_ui.Call([this] { return m_record; });
    }
    // Typing into the copy pane, on the interface thread.
    void SetCopy(const std::string& text) {
        m_ui.Call([this, text] { m_record.copy = text; });
    }

    // Run once on the interface thread just before the first pane call of the thread that
    // follows, as an event queued earlier would be (a copy keystroke, say). Set before Launch.
    std::function<void(Record&)> m_beforeFirstPaneCall;
    // Run on the interface thread after every insert into the output pane, with the record
    // (the hook may change the copy pane, as a learner typing does). Set before Launch.
    std::function<void(Record&)> m_onOutputInsert;
    std::atomic<bool> m_bClosing{false};
    // Makes every later output insert throw, as a marshalled call into a dead window might.
    std::atomic<bool> m_bFailPaneCalls{false};

    FakeSoundDevice m_device;

private:
    // Runs a pane call on the interface thread, after m_beforeFirstPaneCall if that is due.
    template <typename F>
    auto CallPane(F call) -> decltype(call()) {
        return m_ui.Call([this, &call] {
            if (m_beforeFirstPaneCall) {
                auto first = std::move(m_beforeFirstPaneCall);
                m_beforeFirstPaneCall = nullptr;
                first(m_record);
            }
            return call();
        });
    }
    std::string& PaneRef(Pane pane) {
        return pane == Pane::Output ? m_record.output : m_record.copy;
    }

    SoundDevice* m_pDevice = &m_device;
    CMorseAudio m_audio;
    Record m_record;
    TestUiThread m_ui;
    std::thread m_thread;
    std::future<void> m_done;
};

// Tones and silences of a played signal, in samples. A run of zero samples counts as silence
// only from kMinSilence samples on: a tone's ramped ends may truncate a sample or two to zero.
struct ToneRun {
    size_t tone;
    size_t silenceAfter;
};
std::vector<ToneRun> SplitTones(const std::vector<uint8_t>& pcmBytes);
