#pragma once
// Runs the history store on a thread of its own, so that the interface thread never waits for
// the disk: the first write of a run creates or opens the file (tens of milliseconds), and a
// busy machine or a slow disk can stretch any write. Every use of the store (writes, the
// progress window's reads, deletes) goes through this one thread, in the order posted.
//
// Results come back on the writer thread: the caller marshals them to its own thread (CallAfter
// in the interface). Destruction waits a bounded time for what is queued and never hangs: past
// the deadline the thread is left to finish on its own, keeping the store alive, and the
// transaction it is in either completes or is rolled back when the program ends.

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "history/history_store.h"

class HistoryWriter {
public:
    explicit HistoryWriter(std::unique_ptr<HistoryStore> store,
                           std::chrono::milliseconds closeDeadline = std::chrono::seconds(2));
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    // Queues the record; done (if given) receives the store's answer on the writer thread.
    void AddSession(SessionRecord record,
                    std::function<void(const HistoryResult<int64_t>&)> done = nullptr);
    // Queues any work on the store (a load, a delete, a drill record).
    void Post(std::function<void(HistoryStore&)> task);
    // Waits until everything queued so far has run; false when the deadline came first.
    bool WaitIdle(std::chrono::milliseconds deadline);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    std::chrono::milliseconds m_closeDeadline;
    std::thread m_thread;
};
