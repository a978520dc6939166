#include "session/test_session_view.h"

#include <cstring>
#include <stdexcept>

#include "settings/settings.h"

TestUiThread::TestUiThread() {
    m_thread = std::thread([this] {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_bStop || !m_tasks.empty(); });
            if (m_tasks.empty()) return;  // stopping, and every posted task has run
            auto task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
    });
}

TestUiThread::~TestUiThread() {
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void TestUiThread::Post(std::function<void()> task) {
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_all();
}

TestSessionView::TestSessionView()
    : m_audio(g_settings.m_keying, m_pDevice, g_settings.m_conditions) {}

TestSessionView::~TestSessionView() {
    // As the window does on close: abort, then wait for the thread before anything goes.
    m_bClosing = true;
    if (m_thread.joinable()) m_thread.join();
}

void TestSessionView::Launch(void (*threadFunction)(SessionView*)) {
    if (m_thread.joinable()) m_thread.join();
    std::packaged_task<void()> task([this, threadFunction] { threadFunction(this); });
    m_done = task.get_future();
    m_thread = std::thread(std::move(task));
}

bool TestSessionView::WaitForEnd(std::chrono::milliseconds limit) {
    if (m_done.wait_for(limit) != std::future_status::ready) return false;
    m_thread.join();
    // Let the interface thread run what the thread posted last.
    m_ui.Call([] {});
    return true;
}

std::string TestSessionView::PaneText(Pane pane) {
    if (m_bClosing) return {};
    return CallPane([this, pane] { return PaneRef(pane); });
}

void TestSessionView::SetPaneText(Pane pane, const std::string& text) {
    if (m_bClosing) return;
    CallPane([this, pane, &text] { PaneRef(pane) = text; });
}

void TestSessionView::ClearPanesAndTally() {
    if (m_bClosing) return;
    CallPane([this] {
        m_tally.Clear();
        m_record.output.clear();
        m_record.copy.clear();
    });
}

void TestSessionView::InsertPaneText(Pane pane, size_t pos, const std::string& text) {
    if (m_bClosing) return;
    if (m_bFailPaneCalls) throw std::runtime_error("the pane is gone");
    CallPane([this, pane, pos, &text] {
        std::string& target = PaneRef(pane);
        if (pos > target.size()) throw std::out_of_range("insert position past the pane's text");
        target.insert(pos, text);
        if (pane == Pane::Output && m_onOutputInsert) m_onOutputInsert(m_record);
    });
}

void TestSessionView::PostSessionFinished() {
    m_ui.Post([this] {
        ++m_record.finishedPosts;
        m_record.finishedAt = Clock::now();
    });
}

void TestSessionView::PostWakeUp() {
    const int32_t elapsed = m_nElapsedSamples;
    const bool running = m_bThreadRunning;
    const auto now = Clock::now();
    m_ui.Post([this, elapsed, running, now] {
        if (running) {
            m_record.elementWakeUps.push_back(elapsed);
            m_record.lastElementAt = now;
        } else {
            ++m_record.endWakeUps;
        }
    });
}

std::vector<ToneRun> SplitTones(const std::vector<uint8_t>& pcmBytes) {
    constexpr size_t kMinSilence = 16;
    std::vector<int16_t> samples(pcmBytes.size() / 2);
    std::memcpy(samples.data(), pcmBytes.data(), samples.size() * 2);

    std::vector<ToneRun> runs;
    size_t i = 0;
    while (i < samples.size() && samples[i] == 0) ++i;  // leading silence belongs to no tone
    while (i < samples.size()) {
        const size_t start = i;
        size_t zeros = 0;
        while (i < samples.size() && zeros < kMinSilence) {
            zeros = samples[i] == 0 ? zeros + 1 : 0;
            ++i;
        }
        if (zeros < kMinSilence) {  // the signal ends inside a tone
            runs.push_back({i - start, 0});
            break;
        }
        const size_t toneEnd = i - zeros;
        while (i < samples.size() && samples[i] == 0) ++i;
        runs.push_back({toneEnd - start, i - toneEnd});
    }
    return runs;
}
