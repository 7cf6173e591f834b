#pragma once
// The SQLite engine itself, beneath every connection: the mark of our files, the progress hook
// that keeps the busy clock going through long statements, and the engine's shutdown.

#include <functional>
#include <string>

struct sqlite3;

// Marks a file as one of our databases (PRAGMA application_id).
constexpr int kQuendoApplicationId = 0x51554E44;  // "QUND"
// Marks a file the program is still making under a scratch name: a process that ended half-way
// left it, whatever its name, only when it bears this mark.
constexpr int kQuendoScratchApplicationId = 0x51554E53;  // "QUNS"
// Marks, in its user version, a file made under a scratch name until it has taken its place, from
// its first page on: marked as ours before it takes its name (or its content goes into an earlier
// file), it is still told from a user's copy of a database under such a name.
constexpr int kQuendoScratchUserVersion = 0x51554E54;  // "QUNT"

// Long work of the database layer calls the progress hook now and then: every few thousand steps
// of the engine while a statement runs, and between the steps of building a database. The
// interface keeps its busy clock going from it; the hook must not use the database. An empty hook
// (the default) is never called. The hook is called only on the thread that installed it: work
// run on another thread goes on without it.
void SetEngineProgressHook(std::function<void()> hook);
// Calls the hook, if there is one.
void EngineProgress();
// Makes a connection call the hook while its statements run (every DbDatabase does).
void WatchEngineProgress(sqlite3* db);

// Releases the engine at program exit.
void ShutdownEngine();

// The SQLite library's version, for the about box.
std::string EngineVersion();
