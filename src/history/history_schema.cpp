#include "history/history_schema.h"

#include <sqlite3.h>

#include <iterator>
#include <string>

#include "history/sqlite_db.h"

namespace {

// kMigrations[v] takes a file from version v to v + 1. A step is never changed once released;
// a new layout is a new step, and a step only adds (so older programs keep working on newer
// files). Characters are the tally's byte values; texts are UTF-8; times are Unix seconds.
constexpr const char* kMigrations[] = {
    // 1: sessions with their per-character counts and confusions; drills with their
    // per-character results (recognition) and per-speed scores (callsigns).
    R"sql(
    CREATE TABLE sessions (
        id               INTEGER PRIMARY KEY,
        started_utc      INTEGER NOT NULL,
        utc_offset_min   INTEGER NOT NULL,
        duration_s       INTEGER NOT NULL,
        source           INTEGER NOT NULL,
        lesson_size      INTEGER NOT NULL,
        lesson_chars     TEXT    NOT NULL,
        word_speed_cpm   INTEGER NOT NULL,
        char_speed_cpm   INTEGER NOT NULL,
        dash_pitch_hz    INTEGER NOT NULL,
        dot_pitch_hz     INTEGER NOT NULL,
        correct_total    INTEGER NOT NULL,
        wrong_total      INTEGER NOT NULL,
        accuracy         REAL    NOT NULL,
        aligned_accuracy REAL    NOT NULL,
        sent_text        TEXT    NOT NULL,
        copy_text        TEXT    NOT NULL
    );
    CREATE INDEX sessions_by_start ON sessions (started_utc, id);
    CREATE TABLE session_characters (
        session_id INTEGER NOT NULL REFERENCES sessions (id) ON DELETE CASCADE,
        ch         INTEGER NOT NULL,
        correct    INTEGER NOT NULL,
        wrong      INTEGER NOT NULL,
        PRIMARY KEY (session_id, ch)
    ) WITHOUT ROWID;
    CREATE TABLE session_confusions (
        session_id INTEGER NOT NULL REFERENCES sessions (id) ON DELETE CASCADE,
        sent       INTEGER NOT NULL,
        copied     INTEGER NOT NULL,
        count      INTEGER NOT NULL,
        PRIMARY KEY (session_id, sent, copied)
    ) WITHOUT ROWID;
    CREATE TABLE drills (
        id                  INTEGER PRIMARY KEY,
        kind                INTEGER NOT NULL,
        started_utc         INTEGER NOT NULL,
        utc_offset_min      INTEGER NOT NULL,
        duration_s          INTEGER NOT NULL,
        lesson_chars        TEXT    NOT NULL,
        start_char_speed_cpm INTEGER NOT NULL,
        end_char_speed_cpm  INTEGER NOT NULL,
        score               INTEGER NOT NULL
    );
    CREATE INDEX drills_by_kind_start ON drills (kind, started_utc, id);
    CREATE TABLE drill_characters (
        drill_id           INTEGER NOT NULL REFERENCES drills (id) ON DELETE CASCADE,
        ch                 INTEGER NOT NULL,
        hits               INTEGER NOT NULL,
        misses             INTEGER NOT NULL,
        median_reaction_ms INTEGER NOT NULL,
        PRIMARY KEY (drill_id, ch)
    ) WITHOUT ROWID;
    CREATE TABLE drill_speed_scores (
        drill_id       INTEGER NOT NULL REFERENCES drills (id) ON DELETE CASCADE,
        char_speed_cpm INTEGER NOT NULL,
        calls          INTEGER NOT NULL,
        correct        INTEGER NOT NULL,
        score          INTEGER NOT NULL,
        PRIMARY KEY (drill_id, char_speed_cpm)
    ) WITHOUT ROWID;
    )sql",
};
static_assert(std::size(kMigrations) == kHistorySchemaVersion);

}  // namespace

void MigrateHistory(SqliteDatabase& db) {
    const int64_t applicationId = db.QueryInt("PRAGMA application_id");
    const int64_t version = db.QueryInt("PRAGMA user_version");
    if (applicationId != 0 && applicationId != kHistoryApplicationId)
        throw SqliteError(SQLITE_NOTADB, "the file is another program's database");
    if (version >= kHistorySchemaVersion) return;
    // An unmarked file with tables in it is someone else's, not an empty new history.
    if (applicationId == 0 && version == 0 && db.QueryInt("SELECT count(*) FROM sqlite_master") > 0)
        throw SqliteError(SQLITE_NOTADB, "the file is another program's database");

    SqliteTransaction transaction(db);
    for (int64_t step = version; step < kHistorySchemaVersion; ++step)
        db.Execute(kMigrations[step]);
    db.Execute(("PRAGMA user_version = " + std::to_string(kHistorySchemaVersion)).c_str());
    db.Execute(("PRAGMA application_id = " + std::to_string(kHistoryApplicationId)).c_str());
    transaction.Commit();
}
