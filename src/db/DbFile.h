#pragma once
// Creating a new, empty database file: the start of every database the builder makes.

#include <string>

struct sqlite3;

// Creates the file (which must not exist yet), marks it as one of ours and leaves it open in
// `out` for defining its tables. On failure returns false with the reason; no file is left.
bool CreateDatabaseFile(const std::string& path, sqlite3** out, std::string& error);

// Runs SQL statements on a connection; on failure returns false with the reason.
bool ExecSql(sqlite3* db, const std::string& sql, std::string& error);
