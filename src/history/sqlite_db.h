#pragma once
// A thin layer over SQLite's C interface: a connection, prepared statements and an immediate
// transaction, each owning its handle. Every failure is thrown as SqliteError carrying SQLite's
// extended result code, so the history store can tell a damaged file from a locked one.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

class SqliteError : public std::runtime_error {
public:
    SqliteError(int extendedCode, const std::string& message);
    int ExtendedCode() const { return m_nCode; }
    int PrimaryCode() const { return m_nCode & 0xFF; }

private:
    int m_nCode;
};

class SqliteDatabase {
public:
    // Opens (and with create, creates) the file for reading and writing. Throws SqliteError.
    SqliteDatabase(const std::string& pathUtf8, bool create);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Runs statements that return no rows (several, separated by semicolons).
    void Execute(const char* sql);
    // The first column of the first row of a one-value query (a pragma, a count).
    int64_t QueryInt(const char* sql);
    std::string QueryText(const char* sql);
    // SQLite opened the file read-only (it does so silently when the file is not writable).
    bool IsReadOnly() const;
    int64_t LastInsertId() const;
    int Changes() const;
    // Throws the connection's last error when code is not SQLITE_OK.
    void Check(int code) const;
    sqlite3* Handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

class SqliteStatement {
public:
    SqliteStatement(SqliteDatabase& db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Parameters count from 1, as in the SQL text's ?1, ?2 ...
    SqliteStatement& Bind(int index, int64_t value);
    SqliteStatement& Bind(int index, double value);
    SqliteStatement& Bind(int index, std::string_view utf8);
    // Advances to the next row; false when there is none (the statement is done).
    bool Step();
    // Ready to run again with new parameters.
    void Reset();

    int64_t Int(int column) const;
    double Real(int column) const;
    std::string Text(int column) const;

private:
    SqliteDatabase& m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// BEGIN IMMEDIATE on construction (the write lock is taken at once, so a busy file is found
// before any work is done); rolled back on destruction unless committed.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDatabase& db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    void Commit();

private:
    SqliteDatabase& m_db;
    bool m_bDone = false;
};
