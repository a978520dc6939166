#pragma once
// The learner's history as the rest of the program sees it: session and drill records added,
// read back and deleted. One object is used by one thread at a time.
//
// A store never throws and never loses what it was given: a record that cannot be written now
// is kept in memory and written with the next call that reaches the file. Each call says what
// went wrong in its notice, for the caller to tell the learner.

#include <cstdint>
#include <string>
#include <vector>

#include "history/session_record.h"

enum class HistoryProblem {
    None,
    Damaged,     // the file is no database, or a damaged one: moved aside, a new one started
    Unwritable,  // the file cannot be written: moved aside, a new one started
    Busy,        // another program holds the file locked: records kept until it is free
    Unavailable, // no file can be written at all (folder, disk): records kept in memory
};

struct HistoryNotice {
    HistoryProblem problem = HistoryProblem::None;
    std::string movedAsidePath;  // UTF-8: where the old file is now, when it was moved aside
    std::string detail;          // the database's own words, for a details line
    int pendingRecords = 0;      // records waiting in memory after this call

    explicit operator bool() const { return problem != HistoryProblem::None; }
};

template <typename T>
struct HistoryResult {
    T value{};
    HistoryNotice notice;
};

struct SessionQuery {
    int newest = 0;          // only the newest this many sessions; 0 for all
    bool withTexts = false;  // also the sent and copied texts (the review needs them)
};

class HistoryStore {
public:
    virtual ~HistoryStore() = default;

    // Stores the record (its id is ignored) and returns the new id, or 0 when the record is
    // kept in memory for later.
    virtual HistoryResult<int64_t> AddSession(const SessionRecord& record) = 0;
    // Sessions oldest first (by start, then id).
    virtual HistoryResult<std::vector<SessionRecord>> LoadSessions(const SessionQuery& query) = 0;
    // One session with its texts; id 0 in the value when there is none with that id.
    virtual HistoryResult<SessionRecord> LoadSession(int64_t id) = 0;
    // True when a session with that id was deleted.
    virtual HistoryResult<bool> DeleteSession(int64_t id) = 0;

    virtual HistoryResult<int64_t> AddDrill(const DrillRecord& record) = 0;
    // Drills of one kind, oldest first.
    virtual HistoryResult<std::vector<DrillRecord>> LoadDrills(DrillKind kind) = 0;
};
