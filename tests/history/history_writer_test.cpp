#include "history/history_writer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// A store in memory whose writes can be held up, as a slow disk would.
class GatedStore : public HistoryStore {
public:
    explicit GatedStore(std::shared_future<void> gate) : m_gate(std::move(gate)) {}

    HistoryResult<int64_t> AddSession(const SessionRecord& record) override {
        m_gate.wait();
        std::lock_guard guard(m_lock);
        m_sessions.push_back(record);
        return {static_cast<int64_t>(m_sessions.size()), {}};
    }
    HistoryResult<std::vector<SessionRecord>> LoadSessions(const SessionQuery&) override {
        std::lock_guard guard(m_lock);
        return {m_sessions, {}};
    }
    HistoryResult<SessionRecord> LoadSession(int64_t) override { return {}; }
    HistoryResult<bool> DeleteSession(int64_t) override { return {}; }
    HistoryResult<int64_t> AddDrill(const DrillRecord&) override { return {}; }
    HistoryResult<std::vector<DrillRecord>> LoadDrills(DrillKind) override { return {}; }

private:
    std::shared_future<void> m_gate;
    std::mutex m_lock;
    std::vector<SessionRecord> m_sessions;
};

SessionRecord Started(int64_t start) {
    SessionRecord r;
    r.startUtcSeconds = start;
    return r;
}

TEST(HistoryWriter, WritesInOrderOffTheCallersThreadAndDrainsOnClose) {
    std::promise<void> open;
    std::vector<int64_t> ids;
    std::mutex idsLock;
    std::vector<SessionRecord> seen;
    {
        HistoryWriter writer(std::make_unique<GatedStore>(open.get_future().share()));
        for (int64_t i = 1; i <= 3; ++i) {
            writer.AddSession(Started(i), [&](const HistoryResult<int64_t>& r) {
                std::lock_guard guard(idsLock);
                ids.push_back(r.value);
            });
        }
        // The store is held up, yet every call above has returned.
        EXPECT_FALSE(writer.WaitIdle(std::chrono::milliseconds(20)));
        open.set_value();
        writer.AddSession(Started(4));
        writer.Post([&](HistoryStore& store) { seen = store.LoadSessions({}).value; });
    }
    EXPECT_EQ(ids, (std::vector<int64_t>{1, 2, 3}));
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[3].startUtcSeconds, 4);
}

TEST(HistoryWriter, ClosingNeverWaitsForAStuckStore) {
    // The gate opens only after the writer is gone: its thread is left to finish alone.
    static std::promise<void> stuck;
    {
        HistoryWriter writer(std::make_unique<GatedStore>(stuck.get_future().share()),
                             std::chrono::milliseconds(10));
        writer.AddSession(Started(1));
    }
    stuck.set_value();
}

}  // namespace
