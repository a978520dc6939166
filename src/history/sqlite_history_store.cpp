#include "history/sqlite_history_store.h"

#include <sqlite3.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "content/codepage.h"
#include "history/history_schema.h"
#include "history/sqlite_db.h"

namespace fs = std::filesystem;

namespace {

// Long enough to ride over another instance's write (a few milliseconds), short enough that a
// file held locked by some other program never stalls the caller noticeably.
constexpr int kBusyTimeoutMs = 200;

HistoryProblem Classify(const SqliteError& error) {
    switch (error.PrimaryCode()) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_FORMAT:
            return HistoryProblem::Damaged;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_CANTOPEN:
        case SQLITE_AUTH:
            return HistoryProblem::Unwritable;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return HistoryProblem::Busy;
        default:
            return HistoryProblem::Unavailable;
    }
}

std::string UtcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &utc);
    return text;
}

// Renames the file and its journal files to a free "<path>.<reason>-<stamp>" name. Returns the
// new path, or "" when there was nothing to move or it could not be moved.
std::string MoveAside(const std::string& path, HistoryProblem problem) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec))) return {};
    const std::string base =
        path + (problem == HistoryProblem::Damaged ? ".damaged-" : ".unwritable-") + UtcStamp();
    std::string target = base;
    for (int n = 2; fs::exists(fs::symlink_status(target, ec)); ++n)
        target = base + "-" + std::to_string(n);
    fs::rename(path, target, ec);
    if (ec) return {};
    // The journals belong to the old file: left behind, SQLite would replay them into the new
    // one. Moved with it, or deleted when they cannot be moved.
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const std::string journal = path + suffix;
        if (!fs::exists(fs::symlink_status(journal, ec))) continue;
        fs::rename(journal, target + suffix, ec);
        if (ec) fs::remove(journal, ec);
        if (ec) return {};
    }
    return target;
}

std::string ToText(const std::string& cp1252) {
    return codepage::ToUtf8(cp1252);
}

std::string FromText(const std::string& utf8) {
    return codepage::FromUtf8(utf8);
}

// One child row per element: ?1 is the parent's id, bind fills ?2 onwards.
template <typename Row, typename Bind>
void InsertChildren(SqliteDatabase& db, const char* sql, int64_t parentId,
                    const std::vector<Row>& rows, Bind&& bind) {
    SqliteStatement statement(db, sql);
    for (const Row& row : rows) {
        statement.Bind(1, parentId);
        bind(statement, row);
        statement.Step();
        statement.Reset();
    }
}

// Runs a query whose first column is a parent's id and hands each row to the parent's record.
template <typename Record, typename Read>
void ReadChildren(SqliteStatement& rows, const std::unordered_map<int64_t, size_t>& index,
                  std::vector<Record>& records, Read&& read) {
    while (rows.Step()) {
        const auto at = index.find(rows.Int(0));
        if (at != index.end()) read(rows, records[at->second]);
    }
}

int64_t InsertSession(SqliteDatabase& db, const SessionRecord& r) {
    SqliteStatement insert(
        db,
        "INSERT INTO sessions (started_utc, utc_offset_min, duration_s, source, lesson_size,"
        " lesson_chars, word_speed_cpm, char_speed_cpm, dash_pitch_hz, dot_pitch_hz,"
        " correct_total, wrong_total, accuracy, aligned_accuracy, sent_text, copy_text)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16)");
    insert.Bind(1, r.startUtcSeconds)
        .Bind(2, int64_t{r.utcOffsetMinutes})
        .Bind(3, int64_t{r.durationSeconds})
        .Bind(4, int64_t{r.source})
        .Bind(5, int64_t{r.lessonSize})
        .Bind(6, ToText(r.lessonCharacters))
        .Bind(7, int64_t{r.wordSpeedCpm})
        .Bind(8, int64_t{r.charSpeedCpm})
        .Bind(9, int64_t{r.dashPitchHz})
        .Bind(10, int64_t{r.dotPitchHz})
        .Bind(11, int64_t{r.correctTotal})
        .Bind(12, int64_t{r.wrongTotal})
        .Bind(13, r.accuracyPercent)
        .Bind(14, r.alignedAccuracyPercent)
        .Bind(15, ToText(r.sentText))
        .Bind(16, ToText(r.copyText));
    insert.Step();
    const int64_t id = db.LastInsertId();

    // A character listed twice adds up rather than failing the whole record.
    InsertChildren(db,
                   "INSERT INTO session_characters (session_id, ch, correct, wrong)"
                   " VALUES (?1, ?2, ?3, ?4) ON CONFLICT DO UPDATE SET"
                   " correct = correct + excluded.correct, wrong = wrong + excluded.wrong",
                   id, r.characters, [](SqliteStatement& st, const CharacterCounts& c) {
                       st.Bind(2, int64_t{c.ch}).Bind(3, int64_t{c.correct}).Bind(4, int64_t{c.wrong});
                   });
    InsertChildren(db,
                   "INSERT INTO session_confusions (session_id, sent, copied, count)"
                   " VALUES (?1, ?2, ?3, ?4) ON CONFLICT DO UPDATE SET count = count + excluded.count",
                   id, r.confusions, [](SqliteStatement& st, const Confusion& c) {
                       st.Bind(2, int64_t{c.sent}).Bind(3, int64_t{c.copied}).Bind(4, int64_t{c.count});
                   });
    return id;
}

int64_t InsertDrill(SqliteDatabase& db, const DrillRecord& r) {
    SqliteStatement insert(
        db,
        "INSERT INTO drills (kind, started_utc, utc_offset_min, duration_s, lesson_chars,"
        " start_char_speed_cpm, end_char_speed_cpm, score)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    insert.Bind(1, int64_t{static_cast<int32_t>(r.kind)})
        .Bind(2, r.startUtcSeconds)
        .Bind(3, int64_t{r.utcOffsetMinutes})
        .Bind(4, int64_t{r.durationSeconds})
        .Bind(5, ToText(r.lessonCharacters))
        .Bind(6, int64_t{r.startCharSpeedCpm})
        .Bind(7, int64_t{r.endCharSpeedCpm})
        .Bind(8, int64_t{r.score});
    insert.Step();
    const int64_t id = db.LastInsertId();

    InsertChildren(db,
                   "INSERT OR REPLACE INTO drill_characters (drill_id, ch, hits, misses,"
                   " median_reaction_ms) VALUES (?1, ?2, ?3, ?4, ?5)",
                   id, r.characters, [](SqliteStatement& st, const DrillCharacter& c) {
                       st.Bind(2, int64_t{c.ch}).Bind(3, int64_t{c.hits}).Bind(4, int64_t{c.misses})
                           .Bind(5, int64_t{c.medianReactionMs});
                   });
    InsertChildren(db,
                   "INSERT OR REPLACE INTO drill_speed_scores (drill_id, char_speed_cpm, calls,"
                   " correct, score) VALUES (?1, ?2, ?3, ?4, ?5)",
                   id, r.speedScores, [](SqliteStatement& st, const DrillSpeedScore& sc) {
                       st.Bind(2, int64_t{sc.charSpeedCpm}).Bind(3, int64_t{sc.calls})
                           .Bind(4, int64_t{sc.correct}).Bind(5, int64_t{sc.score});
                   });
    return id;
}

constexpr const char* kSessionColumns =
    "id, started_utc, utc_offset_min, duration_s, source, lesson_size, lesson_chars,"
    " word_speed_cpm, char_speed_cpm, dash_pitch_hz, dot_pitch_hz, correct_total, wrong_total,"
    " accuracy, aligned_accuracy";

SessionRecord ReadSession(const SqliteStatement& row, bool withTexts) {
    SessionRecord r;
    r.id = row.Int(0);
    r.startUtcSeconds = row.Int(1);
    r.utcOffsetMinutes = static_cast<int32_t>(row.Int(2));
    r.durationSeconds = static_cast<int32_t>(row.Int(3));
    r.source = static_cast<int32_t>(row.Int(4));
    r.lessonSize = static_cast<int32_t>(row.Int(5));
    r.lessonCharacters = FromText(row.Text(6));
    r.wordSpeedCpm = static_cast<int32_t>(row.Int(7));
    r.charSpeedCpm = static_cast<int32_t>(row.Int(8));
    r.dashPitchHz = static_cast<int32_t>(row.Int(9));
    r.dotPitchHz = static_cast<int32_t>(row.Int(10));
    r.correctTotal = static_cast<int32_t>(row.Int(11));
    r.wrongTotal = static_cast<int32_t>(row.Int(12));
    r.accuracyPercent = row.Real(13);
    r.alignedAccuracyPercent = row.Real(14);
    if (withTexts) {
        r.sentText = FromText(row.Text(15));
        r.copyText = FromText(row.Text(16));
    }
    return r;
}

// Fills in the characters and confusions of the sessions, whose ids the selection (a query
// returning session ids) gives.
void ReadSessionDetails(SqliteDatabase& db, const std::string& selection,
                        std::vector<SessionRecord>& sessions) {
    std::unordered_map<int64_t, size_t> index;
    for (size_t i = 0; i < sessions.size(); ++i) index[sessions[i].id] = i;
    SqliteStatement characters(
        db, ("SELECT c.session_id, c.ch, c.correct, c.wrong FROM session_characters c JOIN (" +
             selection + ") s ON s.id = c.session_id ORDER BY c.session_id, c.ch")
                .c_str());
    ReadChildren(characters, index, sessions, [](const SqliteStatement& row, SessionRecord& s) {
        s.characters.push_back({static_cast<unsigned char>(row.Int(1)),
                                static_cast<int32_t>(row.Int(2)), static_cast<int32_t>(row.Int(3))});
    });
    SqliteStatement confusions(
        db, ("SELECT c.session_id, c.sent, c.copied, c.count FROM session_confusions c JOIN (" +
             selection + ") s ON s.id = c.session_id"
             " ORDER BY c.session_id, c.count DESC, c.sent, c.copied")
                .c_str());
    ReadChildren(confusions, index, sessions, [](const SqliteStatement& row, SessionRecord& s) {
        s.confusions.push_back({static_cast<unsigned char>(row.Int(1)),
                                static_cast<unsigned char>(row.Int(2)), static_cast<int32_t>(row.Int(3))});
    });
}

std::vector<SessionRecord> SelectSessions(SqliteDatabase& db, const std::string& selection,
                                          bool withTexts) {
    std::vector<SessionRecord> sessions;
    SqliteStatement rows(db, ("SELECT " + std::string(kSessionColumns) +
                              (withTexts ? ", sent_text, copy_text" : "") +
                              " FROM sessions WHERE id IN (" + selection +
                              ") ORDER BY started_utc, id")
                                 .c_str());
    while (rows.Step()) sessions.push_back(ReadSession(rows, withTexts));
    ReadSessionDetails(db, selection, sessions);
    return sessions;
}

std::vector<DrillRecord> SelectDrills(SqliteDatabase& db, int32_t kind) {
    std::vector<DrillRecord> drills;
    std::unordered_map<int64_t, size_t> index;
    SqliteStatement rows(db,
                         "SELECT id, kind, started_utc, utc_offset_min, duration_s, lesson_chars,"
                         " start_char_speed_cpm, end_char_speed_cpm, score FROM drills"
                         " WHERE kind = ?1 ORDER BY started_utc, id");
    rows.Bind(1, int64_t{kind});
    while (rows.Step()) {
        DrillRecord r;
        r.id = rows.Int(0);
        r.kind = static_cast<DrillKind>(rows.Int(1));
        r.startUtcSeconds = rows.Int(2);
        r.utcOffsetMinutes = static_cast<int32_t>(rows.Int(3));
        r.durationSeconds = static_cast<int32_t>(rows.Int(4));
        r.lessonCharacters = FromText(rows.Text(5));
        r.startCharSpeedCpm = static_cast<int32_t>(rows.Int(6));
        r.endCharSpeedCpm = static_cast<int32_t>(rows.Int(7));
        r.score = static_cast<int32_t>(rows.Int(8));
        index[r.id] = drills.size();
        drills.push_back(std::move(r));
    }
    SqliteStatement characters(
        db,
        "SELECT c.drill_id, c.ch, c.hits, c.misses, c.median_reaction_ms FROM drill_characters c"
        " JOIN drills d ON d.id = c.drill_id WHERE d.kind = ?1 ORDER BY c.drill_id, c.ch");
    characters.Bind(1, int64_t{kind});
    ReadChildren(characters, index, drills, [](const SqliteStatement& row, DrillRecord& d) {
        d.characters.push_back({static_cast<unsigned char>(row.Int(1)), static_cast<int32_t>(row.Int(2)),
                                static_cast<int32_t>(row.Int(3)), static_cast<int32_t>(row.Int(4))});
    });
    SqliteStatement speeds(
        db,
        "SELECT s.drill_id, s.char_speed_cpm, s.calls, s.correct, s.score FROM drill_speed_scores s"
        " JOIN drills d ON d.id = s.drill_id WHERE d.kind = ?1 ORDER BY s.drill_id, s.char_speed_cpm");
    speeds.Bind(1, int64_t{kind});
    ReadChildren(speeds, index, drills, [](const SqliteStatement& row, DrillRecord& d) {
        d.speedScores.push_back({static_cast<int32_t>(row.Int(1)), static_cast<int32_t>(row.Int(2)),
                                 static_cast<int32_t>(row.Int(3)), static_cast<int32_t>(row.Int(4))});
    });
    return drills;
}

}  // namespace

SqliteHistoryStore::SqliteHistoryStore(std::string pathUtf8) : m_strPath(std::move(pathUtf8)) {}

SqliteHistoryStore::~SqliteHistoryStore() {
    if (!m_pendingSessions.empty() || !m_pendingDrills.empty()) Flush();
}

std::string SqliteHistoryStore::DefaultPath() {
    fs::path base;
#ifdef _WIN32
    if (const char* appData = std::getenv("LOCALAPPDATA")) base = appData;
#else
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && fs::path(dataHome).is_absolute()) {
        base = dataHome;
    } else if (const char* home = std::getenv("HOME")) {
        base = fs::path(home) / ".local" / "share";
    }
#endif
    return (base / "Veltrane" / "history.sqlite3").string();
}

void SqliteHistoryStore::Open() {
    std::error_code ec;
    const fs::path folder = fs::path(m_strPath).parent_path();
    if (!folder.empty()) fs::create_directories(folder, ec);
    if (ec) throw SqliteError(SQLITE_CANTOPEN, "cannot create the folder: " + ec.message());

    auto db = std::make_unique<SqliteDatabase>(m_strPath, true);
    sqlite3_busy_timeout(db->Handle(), kBusyTimeoutMs);
    if (db->IsReadOnly()) throw SqliteError(SQLITE_READONLY, "the file is read-only");
    // Readers and the one writer then never wait for each other; the setting stays in the file.
    db->QueryText("PRAGMA journal_mode = WAL");
    db->Execute("PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON; PRAGMA wal_autocheckpoint = 0");
    MigrateHistory(*db);
    m_db = std::move(db);
}

template <typename Op>
HistoryNotice SqliteHistoryStore::Run(Access access, Op&& op, WrittenIds* written) {
    HistoryNotice notice;
    // A second attempt only follows a moved-aside file, on the new one.
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            if (!m_db) Open();
            if (access == Access::Write) {
                // Whatever waits in memory goes out first, in the same transaction.
                SqliteTransaction transaction(*m_db);
                const WrittenIds ids = WritePending();
                op(*m_db);
                transaction.Commit();
                m_pendingSessions.clear();
                m_pendingDrills.clear();
                if (written) *written = ids;
            } else {
                op(*m_db);
            }
            break;
        } catch (const SqliteError& error) {
            m_db.reset();
            notice.detail = error.what();
            const HistoryProblem problem = Classify(error);
            const bool movable =
                problem == HistoryProblem::Damaged || problem == HistoryProblem::Unwritable;
            if (attempt == 0 && movable) {
                std::error_code ec;
                // Deleted while open: simply start a new one.
                if (!fs::exists(fs::symlink_status(m_strPath, ec))) continue;
                notice.movedAsidePath = MoveAside(m_strPath, problem);
                if (!notice.movedAsidePath.empty()) {
                    notice.problem = problem;
                    continue;
                }
            }
            // A file that could not be moved aside, or failing on the new one, leaves the
            // records in memory: nothing can be written now.
            notice.problem = movable || !notice.movedAsidePath.empty() ? HistoryProblem::Unavailable
                                                                       : problem;
            break;
        }
    }
    notice.pendingRecords = static_cast<int>(m_pendingSessions.size() + m_pendingDrills.size());
    return notice;
}

SqliteHistoryStore::WrittenIds SqliteHistoryStore::WritePending() {
    WrittenIds ids;
    for (const SessionRecord& record : m_pendingSessions) ids.session = InsertSession(*m_db, record);
    for (const DrillRecord& record : m_pendingDrills) ids.drill = InsertDrill(*m_db, record);
    return ids;
}

HistoryResult<int64_t> SqliteHistoryStore::AddSession(const SessionRecord& record) {
    m_pendingSessions.push_back(record);
    WrittenIds ids;
    HistoryNotice notice = Run(Access::Write, [](SqliteDatabase&) {}, &ids);
    return {ids.session, std::move(notice)};
}

HistoryResult<int64_t> SqliteHistoryStore::AddDrill(const DrillRecord& record) {
    m_pendingDrills.push_back(record);
    WrittenIds ids;
    HistoryNotice notice = Run(Access::Write, [](SqliteDatabase&) {}, &ids);
    return {ids.drill, std::move(notice)};
}

HistoryNotice SqliteHistoryStore::Flush() {
    if (m_pendingSessions.empty() && m_pendingDrills.empty()) return {};
    return Run(Access::Write, [](SqliteDatabase&) {});
}

HistoryResult<std::vector<SessionRecord>> SqliteHistoryStore::LoadSessions(
    const SessionQuery& query) {
    const std::string selection =
        query.newest > 0 ? "SELECT id FROM sessions ORDER BY started_utc DESC, id DESC LIMIT " +
                               std::to_string(query.newest)
                         : std::string("SELECT id FROM sessions");
    HistoryResult<std::vector<SessionRecord>> result;
    result.notice = Run(Access::Read, [&](SqliteDatabase& db) {
        result.value = SelectSessions(db, selection, query.withTexts);
    });
    return result;
}

HistoryResult<SessionRecord> SqliteHistoryStore::LoadSession(int64_t id) {
    HistoryResult<SessionRecord> result;
    result.notice = Run(Access::Read, [&](SqliteDatabase& db) {
        std::vector<SessionRecord> found = SelectSessions(db, "SELECT " + std::to_string(id) + " AS id", true);
        if (!found.empty()) result.value = std::move(found.front());
    });
    return result;
}

HistoryResult<bool> SqliteHistoryStore::DeleteSession(int64_t id) {
    HistoryResult<bool> result;
    result.notice = Run(Access::Write, [&](SqliteDatabase& db) {
        // Its characters and confusions go with it (foreign keys, ON DELETE CASCADE).
        SqliteStatement remove(db, "DELETE FROM sessions WHERE id = ?1");
        remove.Bind(1, id);
        remove.Step();
        result.value = db.Changes() > 0;
    });
    return result;
}

HistoryResult<std::vector<DrillRecord>> SqliteHistoryStore::LoadDrills(DrillKind kind) {
    HistoryResult<std::vector<DrillRecord>> result;
    result.notice = Run(Access::Read, [&](SqliteDatabase& db) {
        result.value = SelectDrills(db, static_cast<int32_t>(kind));
    });
    return result;
}
