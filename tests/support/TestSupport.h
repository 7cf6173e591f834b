#pragma once
// Shared pieces of the tests: scratch folders on disk and small databases made by the test.

#include "common/Notices.h"

#include <gtest/gtest.h>
#include <QByteArray>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A fresh folder removed at the end of the test.
class ScratchDir {
 public:
  ScratchDir();
  std::string Path(const std::string& name) const;  // Windows-1252 path of a file in it
  std::string Dir() const;

 private:
  QTemporaryDir dir_;
};

struct sqlite3;

// Creates a database file with the given SQL run on it; fails the test on error. The engine's checks are
// off, as for ExecOnFile.
void MakeDatabase(const std::string& path, const std::string& sql);

// The program's tables named (the timetable's and the dictionary's), with their indexes, as the
// builder makes them: SQL statements for MakeDatabase. A file made of them opens as the program's.
std::string BuilderTables(const std::vector<std::string>& tables);

// The builder's timetable tables, every one (BuilderTables): what a file without the dictionary
// must hold to open, its own tables besides.
std::string BuilderTimetableTables();

// Runs SQL on a closed database file with the plain engine (as another program would) and
// returns the rows, one line each, columns separated by '|'.
std::string QueryFile(const std::string& path, const std::string& sql);

// Whether the engine holds a write to the table's checks (the columns' kinds, sizes, required fields).
enum class EngineChecks { Off, On };

// Runs SQL that changes a database file with the plain engine; "ok", or the engine's message. The
// engine's checks are off unless asked for: what the tests plant is what another program with its
// checks turned off writes, a value of another kind than its column's included, for the readers'
// own checks to find.
std::string ExecOnFile(const std::string& path, const std::string& sql, EngineChecks checks = EngineChecks::Off);

// Runs SQL (Windows-1252) on an open connection, the program's own included, with the engine's checks
// off for its length, as ExecOnFile plants; "ok", or the engine's message.
std::string ExecWithoutChecks(sqlite3* db, const std::string& sql);

// SQL for ExecOnFile that leaves the index of the stops by stop code holding none of their rows, its
// stored definition the builder's all the same, as another program can through the schema's rows.
inline const std::string kEmptiedStopIndexSql =
    "DROP INDEX detcor__fermata; CREATE INDEX detcor__fermata ON detcor (fermata, denom, ubicaz) WHERE 0;"
    "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(sql, ' WHERE 0', '') WHERE name = "
    "'detcor__fermata';";

// The whole content of a file (empty when it cannot be read).
std::string FileBytes(const std::string& path);

// Writes `bytes` as the whole content of a file; fails the test when it cannot.
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The names of the entries of a folder, hidden ones included, sorted, one a line (Windows-1252).
std::string Listing(const std::string& folder);

// Checks on texts that show the whole text when they fail.
::testing::AssertionResult HasPrefix(const std::string& text, const std::string& prefix);
::testing::AssertionResult HasPart(const std::string& text, const std::string& part);

// Collects the notices of the layers below the interface for its lifetime, in place of the
// message boxes the program shows.
class NoticeLog {
 public:
  NoticeLog();
  const std::vector<Notice>& Notices() const { return notices_; }
  // Every text so far, separated by "\n--\n".
  std::string Texts() const;
  void Clear() { notices_.clear(); }

 private:
  std::vector<Notice> notices_;
  ScopedNoticeSink sink_;
};

// A reading by position of the database layer that the reader cannot give (a text reader on a
// number, a whole-number reader on a text or a date) is a fault of its caller: the tests' main
// programs install this check, which fails every test during which one was refused, naming it.
void FailTestsOnReadingMismatches();
// The running test reads values of the wrong kind on purpose (and checks what it is told).
void AllowReadingMismatches();

// Directory of the test data files.
std::string TestDataDir();

// The rows of a query on a closed database file (as QueryFile), one string each.
std::vector<std::string> QueryLines(const std::string& path, const std::string& sql);

// Every table of a closed database file with its rows.
std::map<std::string, long> RowsPerTable(const std::string& path);

// A leaf page of a table or index of a database file: its number (from 1) and the rows it holds.
struct LeafPage {
  long number = 0, rows = 0;
};
// The leaf pages of a table or index of a closed database file, in file order.
std::vector<LeafPage> LeafPages(const std::string& path, const std::string& tree);

// Overwrites the given pages of a closed database file with a fixed pattern, as a failing disk
// would: the engine cannot read them as pages any more. Fails the test when it cannot.
void DamagePages(const std::string& path, const std::vector<long>& pages);
// Damages (as DamagePages) the leaf page `index` (from 0) of a table or index; returns the rows it held.
long DamageLeaf(const std::string& path, const std::string& tree, size_t index = 1);
// Caps an open connection's file (vacuumed first, so that it has no free page) a few pages above
// its size now, as a disk with little room left:
// a write that needs more pages is refused as on a full disk ("database or disk is full"), and the
// engine then rolls back the whole transaction it was part of.
void FillDiskAfter(sqlite3* db, int pages);

// The first half (in whole pages) of a closed database file, as a copy cut short leaves it.
std::string FirstHalfOf(const std::string& path);

// The locks this process holds on a file, as the kernel lists them ("READ 128-128"): what a
// connection of the engine keeps while it has the file open.
std::vector<std::string> LocksHeld(const std::string& path);

// Makes a named pipe at `path` (Windows-1252); fails the test when it cannot.
void MakePipe(const std::string& path);

// The watchdog of a test that hands named pipes to a reader which must refuse them. A reader that
// opened one would wait for a writer for good: after `waitMs`, the watchdog opens each pipe for
// writing without waiting (which succeeds only while a reader has it open) and closes it at once,
// again every few milliseconds until it is destroyed, so that such a reader's open returns and
// its read finds the end of an empty file. The test then fails on what the reader said instead
// of hanging.
class PipeWatchdog {
 public:
  explicit PipeWatchdog(std::vector<std::string> pipes, int waitMs = 5000);
  ~PipeWatchdog();
  PipeWatchdog(const PipeWatchdog&) = delete;
  PipeWatchdog& operator=(const PipeWatchdog&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Sets an environment variable for its lifetime, then puts back what was there before.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  const bool had_;
  const QByteArray before_;
};
