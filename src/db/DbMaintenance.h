#pragma once
// Work on whole database files: the check that a file is one of ours and undamaged, its repair
// (a rebuild of the file after the check) and its compacted copy into a new file. None of these
// shows a message: each returns false with the reason (Windows-1252) and the caller reports it.

#include <string>

enum class CheckDepth {
  Quick,  // the structure of every page and table (fast)
  Full,   // also every index against its table
};

// Opens the file apart from any other connection and checks that it is one of our databases and
// that the engine finds no damage in it.
bool CheckDatabaseFile(const std::string& path, CheckDepth depth, std::string& error);

// Checks the file in full and rebuilds it in place, leaving out the free pages. A damaged file
// is left as it was: the engine cannot mend it.
bool RepairDatabaseFile(const std::string& path, std::string& error);

// Writes a compacted copy of `source` (one of our databases, undamaged) into `destination`,
// which must not exist. The copy is made under a scratch name and takes its name only once it
// is complete and checked; on failure nothing is left at `destination`.
bool DuplicateDatabaseFile(const std::string& source, const std::string& destination, std::string& error);
