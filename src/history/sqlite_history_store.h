#pragma once
// The learner's history in one SQLite file (write-ahead logging), normally
// $XDG_DATA_HOME/Veltrane/history.sqlite3.
//
// The file is opened on first use and stays open. When it turns out to be damaged or not
// writable it is moved aside (renamed to "<name>.damaged-<UTC time>" or
// "<name>.unwritable-<UTC time>", its journal files with it), a new one is started and the call
// is repeated on it; the notice names where the old file went. When it is locked by another
// program, or no file can be written at all, the records wait in memory and go out with the next
// write that succeeds (or Flush); they are lost only if the program ends first.
//
// Writing one record commits without waiting for the disk (synchronous=NORMAL): a killed
// program loses nothing that was committed, a power cut at most the last records.

#include <memory>
#include <string>
#include <vector>

#include "history/history_store.h"

class SqliteDatabase;

class SqliteHistoryStore final : public HistoryStore {
public:
    explicit SqliteHistoryStore(std::string pathUtf8);
    // Writes what is still waiting, if the file takes it.
    ~SqliteHistoryStore() override;
    SqliteHistoryStore(const SqliteHistoryStore&) = delete;
    SqliteHistoryStore& operator=(const SqliteHistoryStore&) = delete;

    // $XDG_DATA_HOME/Veltrane/history.sqlite3, or ~/.local/share/Veltrane/history.sqlite3 when
    // the variable is unset or not an absolute path.
    static std::string DefaultPath();

    HistoryResult<int64_t> AddSession(const SessionRecord& record) override;
    HistoryResult<std::vector<SessionRecord>> LoadSessions(const SessionQuery& query) override;
    HistoryResult<SessionRecord> LoadSession(int64_t id) override;
    HistoryResult<bool> DeleteSession(int64_t id) override;
    HistoryResult<int64_t> AddDrill(const DrillRecord& record) override;
    HistoryResult<std::vector<DrillRecord>> LoadDrills(DrillKind kind) override;

    // Writes the records waiting in memory.
    HistoryNotice Flush();
    const std::string& Path() const { return m_strPath; }

private:
    enum class Access { Read, Write };
    struct WrittenIds {
        int64_t session = 0;  // of the last session written
        int64_t drill = 0;    // of the last drill written
    };
    // Runs op on the open file (opening it first), a write inside one transaction that also
    // writes the waiting records; moves a damaged or unwritable file aside and runs op once more
    // on a new one.
    template <typename Op>
    HistoryNotice Run(Access access, Op&& op, WrittenIds* written = nullptr);
    void Open();
    WrittenIds WritePending();

    std::string m_strPath;
    std::unique_ptr<SqliteDatabase> m_db;
    std::vector<SessionRecord> m_pendingSessions;
    std::vector<DrillRecord> m_pendingDrills;
};
