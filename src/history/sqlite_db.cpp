#include "history/sqlite_db.h"

#include <sqlite3.h>

SqliteError::SqliteError(int extendedCode, const std::string& message)
    : std::runtime_error(message), m_nCode(extendedCode) {}

SqliteDatabase::SqliteDatabase(const std::string& pathUtf8, bool create) {
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    const int code = sqlite3_open_v2(pathUtf8.c_str(), &m_db, flags, nullptr);
    if (code != SQLITE_OK) {
        // Even a failed open may return a handle, which carries the message.
        const std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
        const int extended = m_db ? sqlite3_extended_errcode(m_db) : code;
        sqlite3_close(m_db);
        m_db = nullptr;
        throw SqliteError(extended, message);
    }
    sqlite3_extended_result_codes(m_db, 1);
}

SqliteDatabase::~SqliteDatabase() {
    // Every statement is finalised by its owner first, so this always closes.
    sqlite3_close(m_db);
}

void SqliteDatabase::Check(int code) const {
    if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) return;
    throw SqliteError(sqlite3_extended_errcode(m_db), sqlite3_errmsg(m_db));
}

void SqliteDatabase::Execute(const char* sql) {
    char* message = nullptr;
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    if (code == SQLITE_OK) return;
    const std::string text = message ? message : sqlite3_errstr(code);
    sqlite3_free(message);
    throw SqliteError(sqlite3_extended_errcode(m_db), text);
}

int64_t SqliteDatabase::QueryInt(const char* sql) {
    SqliteStatement statement(*this, sql);
    return statement.Step() ? statement.Int(0) : 0;
}

std::string SqliteDatabase::QueryText(const char* sql) {
    SqliteStatement statement(*this, sql);
    return statement.Step() ? statement.Text(0) : std::string();
}

bool SqliteDatabase::IsReadOnly() const {
    return sqlite3_db_readonly(m_db, "main") == 1;
}

int64_t SqliteDatabase::LastInsertId() const {
    return sqlite3_last_insert_rowid(m_db);
}

int SqliteDatabase::Changes() const {
    return sqlite3_changes(m_db);
}

SqliteStatement::SqliteStatement(SqliteDatabase& db, const char* sql) : m_db(db) {
    db.Check(sqlite3_prepare_v2(db.Handle(), sql, -1, &m_stmt, nullptr));
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_stmt);
}

SqliteStatement& SqliteStatement::Bind(int index, int64_t value) {
    m_db.Check(sqlite3_bind_int64(m_stmt, index, value));
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, double value) {
    m_db.Check(sqlite3_bind_double(m_stmt, index, value));
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view utf8) {
    m_db.Check(sqlite3_bind_text64(m_stmt, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT,
                                   SQLITE_UTF8));
    return *this;
}

bool SqliteStatement::Step() {
    const int code = sqlite3_step(m_stmt);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) return false;
    m_db.Check(code);
    return false;
}

void SqliteStatement::Reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int64_t SqliteStatement::Int(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

double SqliteStatement::Real(int column) const {
    return sqlite3_column_double(m_stmt, column);
}

std::string SqliteStatement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    const int bytes = sqlite3_column_bytes(m_stmt, column);
    return text ? std::string(text, static_cast<size_t>(bytes)) : std::string();
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& db) : m_db(db) {
    db.Execute("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction() {
    if (m_bDone) return;
    // A failed statement may already have ended the transaction; nothing to report then.
    sqlite3_exec(m_db.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::Commit() {
    m_db.Execute("COMMIT");
    m_bDone = true;
}
