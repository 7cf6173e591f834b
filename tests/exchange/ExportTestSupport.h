#pragma once
// Pieces of the export tests: a database filled with the hand-made set through the imports,
// SQL run on a closed database file as another program would, and exports run on a database
// with a script installed.

#include "exchange/ExportEngine.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// A timetable database (company 17, period 01/01/2024-30/06/2024) with the six hand-made files
// imported into it.
void MakeImportedDatabase(const std::string& path);

// A test on a database holding the hand-made set, with an empty output folder beside it; the
// test's own script is installed after the set-up, which runs scripts of its own.
struct ImportedDatabaseTest : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  std::string out = dir.Path("uscita");
  std::unique_ptr<ui::Script> installed;
  void SetUp() override;
  std::string Out(const std::string& name) const { return out + "/" + name; }
};

// Runs SQL on a closed database file with the plain engine (no foreign-key checks, as another
// program would); fails the test on error.
void RunSql(const std::string& path, const std::string& sql);

// Every row of the timetable tables, in storage order: what an export must leave as it was.
std::string DumpTimetable(const std::string& path);

// Runs the export of `options` on the database file into `folder`.
ExportResult ExportInto(const std::string& database, const std::string& folder, ExportOptions options);

// A written file's lines without their ends (CR LF required: a line without it fails the test).
std::vector<std::string> ExportedLines(const std::string& path);

// The names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// The six RT files and the stop list, in the order of the result message.
extern const std::vector<std::string> kExportNames;
