#pragma once
// Shared pieces of the tests: scratch folders on disk and small databases made by the test.

#include "common/Notices.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <initializer_list>
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

class DbDatabase;

// A seeding for timetable databases built by the tests of the database layer: only the locality
// 0 ("not assigned") that new stops point to. Returns 1 when written.
int SeedLocalityZero(DbDatabase* db);

// Adds one row field by field through the table layer, each value as text; returns Update's
// result, or 0 as soon as a step fails.
int InsertRow(DbDatabase* db, const char* table, std::initializer_list<std::pair<const char*, std::string>> fields);

// Creates a database file with the given SQL run on it; fails the test on error.
void MakeDatabase(const std::string& path, const std::string& sql);

// Runs SQL on a closed database file with the plain engine (as another program would) and
// returns the rows, one line each, columns separated by '|'.
std::string QueryFile(const std::string& path, const std::string& sql);

// Runs SQL that changes a database file with the plain engine; "ok", or the engine's message.
std::string ExecOnFile(const std::string& path, const std::string& sql);

// Overwrites some pages of a closed database file past its first two with a fixed pattern, as
// a failing disk would; the file keeps its size and its header. Fails the test when the file is
// too small to have such pages.
void DamageDatabaseFile(const std::string& path);

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

// Directory of the test data files.
std::string TestDataDir();
