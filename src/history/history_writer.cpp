#include "history/history_writer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

// Everything the thread touches; owned jointly by the writer and the thread, so that a thread
// left running past the close deadline never reaches freed memory.
struct HistoryWriter::Shared {
    std::unique_ptr<HistoryStore> store;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::function<void(HistoryStore&)>> queue;
    bool busy = false;      // a task is running
    bool stopping = false;  // no more tasks will come
    bool finished = false;  // the thread has left its loop

    void Loop() {
        std::unique_lock guard(lock);
        for (;;) {
            changed.wait(guard, [&] { return !queue.empty() || stopping; });
            if (queue.empty()) break;
            auto task = std::move(queue.front());
            queue.pop_front();
            busy = true;
            guard.unlock();
            task(*store);
            guard.lock();
            busy = false;
            changed.notify_all();
        }
        finished = true;
        changed.notify_all();
    }
};

HistoryWriter::HistoryWriter(std::unique_ptr<HistoryStore> store,
                             std::chrono::milliseconds closeDeadline)
    : m_shared(std::make_shared<Shared>()), m_closeDeadline(closeDeadline) {
    m_shared->store = std::move(store);
    m_thread = std::thread([shared = m_shared] { shared->Loop(); });
}

HistoryWriter::~HistoryWriter() {
    std::unique_lock guard(m_shared->lock);
    m_shared->stopping = true;
    m_shared->changed.notify_all();
    const bool finished =
        m_shared->changed.wait_for(guard, m_closeDeadline, [&] { return m_shared->finished; });
    guard.unlock();
    if (finished) {
        m_thread.join();
        m_shared->store.reset();  // closes the file here, on the caller's thread
    } else {
        m_thread.detach();
    }
}

void HistoryWriter::AddSession(SessionRecord record,
                               std::function<void(const HistoryResult<int64_t>&)> done) {
    Post([record = std::move(record), done = std::move(done)](HistoryStore& store) {
        const HistoryResult<int64_t> result = store.AddSession(record);
        if (done) done(result);
    });
}

void HistoryWriter::Post(std::function<void(HistoryStore&)> task) {
    std::lock_guard guard(m_shared->lock);
    m_shared->queue.push_back(std::move(task));
    m_shared->changed.notify_all();
}

bool HistoryWriter::WaitIdle(std::chrono::milliseconds deadline) {
    std::unique_lock guard(m_shared->lock);
    return m_shared->changed.wait_for(guard, deadline, [&] {
        return m_shared->queue.empty() && !m_shared->busy;
    });
}
