#pragma once
// Building a new timetable database: the data dictionary, the tables, indexes and relations made
// from it, then the seeding that the caller hands in (the region's reference tables).

#include "common/Outcome.h"

#include <functional>
#include <string>

class DbDatabase;
struct DictionaryTables;

// Fills the new database's reference tables; returns 1 when every row was written. Runs on a
// connection opened after every table exists; it tells its failures as notices, which the
// creation's failure message then carries.
using SeedDatabase = std::function<int(DbDatabase*)>;

// How the success message ends: "&Crea" closes it with two line breaks, start-up does not.
enum class CreateMode { Menu, Startup };

// A creation's outcome: `ok` when the database was made, with the success message (caption
// "Creazione database"); else one message, "Errore durante la creazione del database" with what
// the failing step said, and no file is left. `reached` says how far it got: start-up gives up
// only when not even the file and its dictionary tables could be made (or the finished file could
// not take its name, which something else took meanwhile), and goes on without a database when a
// later step failed.
struct CreateOutcome : Outcome {
  enum Reached { Created, FileFailed, BuildFailed };
  Reached reached = FileFailed;
};

// Creates a new timetable database at `path` (Windows-1252), seeded by `seed`. The notices the
// steps tell on their way are gathered into the failure message.
CreateOutcome CreateTimetableDatabase(const std::string& path, CreateMode mode, const SeedDatabase& seed);

// Writes the dictionary rows into the open dictionary tables; returns 1 when all were stored.
using DescribeDictionary = std::function<int(const DictionaryTables&)>;

// As CreateTimetableDatabase, with the dictionary rows written by `describe` in place of the
// schema's (DescribeSchema): lets a test build from a dictionary of its own.
CreateOutcome CreateTimetableDatabaseFrom(const std::string& path, CreateMode mode, const DescribeDictionary& describe,
                                          const SeedDatabase& seed);

// Builds an empty timetable database at `path` (which must not exist): the dictionary of the
// schema and every table, index and relation made from it, no reference rows. Shows nothing: the
// notice of a failing step becomes the reason in `error`. The file is left complete and closed,
// bearing the scratch mark until MarkAsOurs; on failure none is left.
bool BuildEmptyTimetableFile(const std::string& path, std::string& error);
