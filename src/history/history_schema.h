#pragma once
// The layout of the history file and the steps that bring an older file up to date.

#include <cstdint>

class SqliteDatabase;

// Marks the file as the trainer's history ("VLTH"); SQLite keeps it in the file header.
constexpr int64_t kHistoryApplicationId = 0x564C5448;
// The layout this program writes.
constexpr int kHistorySchemaVersion = 1;

// Brings the file to kHistorySchemaVersion in one transaction. A new, empty file gets the whole
// layout. A file of a newer program is left as it is: its steps only ever add tables, columns
// and indexes, so what this program reads and writes is still there. Throws SqliteError, with
// SQLITE_NOTADB when the file is some other program's database.
void MigrateHistory(SqliteDatabase& db);
