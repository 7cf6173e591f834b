#pragma once
// Creating a new, empty database file: the start of every database the builder makes.

#include <functional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// Creates the file (its name must be free: DatabaseNameFree), marks it as one of ours (`mark`:
// kQuendoScratchApplicationId for a file made under a scratch name, which MarkAsOurs marks as ours
// once whole) and leaves it open in `out` for defining its tables. On failure returns
// false with the reason; no file is left.
bool CreateDatabaseFile(const std::string& path, sqlite3** out, std::string& error, int mark);

// Creates an empty file marked as a scratch file (kQuendoScratchApplicationId), of `pageSize`
// bytes a page, in rollback mode, and closes it, for a connection to attach. On failure returns
// false with the reason; no file is left.
bool CreateScratchFile(const std::string& path, int pageSize, std::string& error);

// Skips blanks and comments of SQL text from `at`.
size_t SkipSqlBlanks(const std::string& text, size_t at);

// The word or the quoted name (or text) at `at`, its quotes removed, moving `at` past it; empty
// when there is none.
std::string NextSqlName(const std::string& text, size_t& at);

// What a file may hold cannot act through the connection: functions of the file's schema run only
// when harmless (trusted_schema off), and the schema cannot be written as plain rows (defensive).
void DefendConnection(sqlite3* db);

// Runs SQL statements on a connection; on failure returns false with the reason.
bool ExecSql(sqlite3* db, const std::string& sql, std::string& error);

// Runs a query (engine text) and hands each row to `row`; on failure returns false with the reason.
bool EachRow(sqlite3* db, const char* sql, const std::function<void(sqlite3_stmt*)>& row, std::string& error);

// Runs a statement that returns one integer (a pragma); false with the reason when it returns none.
bool QueryInt(sqlite3* db, const char* sql, int& value, std::string& error);

// Files are made under a scratch name beside their final place and take that name only once
// complete: a failed step leaves no file behind, and a file already there is never touched.

// True when something (a file, a folder, a link) has that path.
bool FileExists(const std::string& path);

// True when a new database may take the name: nothing has it, nor its write-ahead log or rollback
// journal, which the engine plays into a file it opens whoever left them there (its shared-memory
// index it makes anew). Otherwise false with the reason: `taken` for the name itself, "Il file
// esiste già" and the path for a side file, which is left where it is.
bool DatabaseNameFree(const std::string& path, const std::string& taken, std::string& error);

// "<folder>/.<name>.<pid>-<n>.tmp", a name beside `path` that is free (DatabaseNameFree).
std::string ScratchPathBeside(const std::string& path);

// Marks a file made under a scratch name (kQuendoScratchApplicationId) as one of ours, once it is
// whole: the last change before it takes its name.
bool MarkAsOurs(sqlite3* db, std::string& error);

// Clears the scratch mark of the user version (kQuendoScratchUserVersion) of `schema` on `db`, where
// it is, once the file has taken its place; false with the engine's reason.
bool ClearScratchVersion(sqlite3* db, const char* schema, std::string& error);
// The same on the file at `path`, on a connection of its own, once a new file has taken that name;
// one that cannot be cleared now is cleared by the file's next open.
void ClearScratchVersionOf(const std::string& path);

// Folds the write-ahead log into the scratch file and closes the connection, so that the file is
// complete on its own. Every other connection to it must be closed already.
bool CloseScratchFile(sqlite3* db, const std::string& scratch, std::string& error);

// Removes the scratch file and the engine's side files (those first: a removal stopped half-way
// leaves no side file without its file).
void RemoveScratchFile(const std::string& scratch);

// Removes the scratch files beside `path` that a process which has ended (killed half-way) left
// there, with their side files: only a regular file named as ScratchPathBeside names them, of a
// process that no longer runs, that bears a scratch mark (kQuendoScratchApplicationId, or
// kQuendoScratchUserVersion once marked as ours) or is still empty. A file of the user's under such
// a name (a copy of a database among them) is left alone.
void RemoveScratchFilesLeftBeside(const std::string& path);

// Gives the finished file its name, unless the name is no longer free (DatabaseNameFree).
bool MoveIntoPlace(const std::string& scratch, const std::string& path, std::string& error);
