#include "engine/call_thread.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

enum class CallState { Queued, Running, Done, GivenUp };

struct Task {
    std::function<void()> work;
    // Null for a posted task, which nobody waits for.
    std::shared_ptr<CallState> state;
};

}  // namespace

// Lives as long as the thread or the owner, whichever is longer.
struct CallThread::Shared {
    std::mutex mutex;
    std::condition_variable wake;      // the thread: a task or the end
    std::condition_variable finished;  // the callers: a task done, or the thread ended
    std::deque<Task> queue;
    bool stopping = false;
    bool ended = false;
    // The running task's caller has given up on it.
    bool overdue = false;

    void Run() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return stopping || !queue.empty(); });
            if (queue.empty()) break;
            Task task = std::move(queue.front());
            queue.pop_front();
            if (task.state && *task.state == CallState::GivenUp) continue;
            if (task.state) *task.state = CallState::Running;
            lock.unlock();
            try {
                task.work();
            } catch (...) {
                // A task's failure is its own; the thread serves the next one.
            }
            task.work = nullptr;  // what it captured goes before the caller is told
            lock.lock();
            if (task.state) *task.state = CallState::Done;
            overdue = false;
            finished.notify_all();
        }
        ended = true;
        finished.notify_all();
    }
};

CallThread::CallThread() : m_shared(std::make_shared<Shared>()) {
    std::thread([shared = m_shared] { shared->Run(); }).detach();
}

CallThread::~CallThread() {
    std::unique_lock lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->wake.notify_one();
    m_shared->finished.wait_for(lock, kCloseLimit, [this] { return m_shared->ended; });
}

bool CallThread::Call(std::function<void()> work, std::chrono::milliseconds limit) {
    auto state = std::make_shared<CallState>(CallState::Queued);
    std::unique_lock lock(m_shared->mutex);
    if (m_shared->overdue) return false;
    m_shared->queue.push_back({std::move(work), state});
    m_shared->wake.notify_one();
    if (m_shared->finished.wait_for(lock, limit, [&] { return *state == CallState::Done; }))
        return true;
    if (*state == CallState::Running)
        m_shared->overdue = true;
    else
        *state = CallState::GivenUp;
    return false;
}

void CallThread::Post(std::function<void()> work) {
    std::lock_guard lock(m_shared->mutex);
    m_shared->queue.push_back({std::move(work), nullptr});
    m_shared->wake.notify_one();
}

bool CallThread::Stuck() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->overdue;
}
