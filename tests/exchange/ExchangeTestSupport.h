#pragma once
// Pieces of the exchange tests: timetable databases made by the builder, the hand-made exchange
// files, files written byte by byte, and imports run with scripted answers.

#include "app/commands/ImportCommands.h"
#include "support/UiTestSupport.h"

#include <string>
#include <vector>

// A full timetable database at `path` whose master row holds the company and the reporting
// period (dd/mm/yyyy). Made once per test program and copied.
void MakeTimetableDatabase(const std::string& path, int company = 17, const std::string& from = "01/01/2024",
                           const std::string& to = "30/06/2024");

// The hand-made file of tests/data/exchange.
std::string HandMadeFile(const std::string& name);
// Its lines (without line ends).
std::vector<std::string> HandMadeLines(const std::string& name);

// Writes lines as Windows-1252 bytes, each followed by `lineEnd`.
void WriteLines(const std::string& path, const std::vector<std::string>& lines, const std::string& lineEnd = "\r\n");
std::string ReadBytes(const std::string& path);

// One import of a file as its menu command runs it alone: the worker, then the result box.
ImportResult RunImport(const std::string& database, ImportKind kind, const std::string& file);

// Imports the hand-made files of the kinds given, in order, answering nothing (they must run
// without questions).
void ImportHandMade(const std::string& database, const std::vector<ImportKind>& kinds);

// The result box's text of an import.
std::string ResultText(ImportKind kind, int read, int inserted);
