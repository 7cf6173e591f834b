#pragma once
// The files of a folder that belong to a database, told without disturbing it: the files this
// process holds open (the open database and the companions SQLite keeps beside it), known by their
// identity on the disk and never opened again here, since closing a second descriptor of a file
// drops every lock this process holds on it; a database named by its path (one about to be
// opened); any other database, known by its first bytes; and the companions SQLite keeps or
// replays beside any of these ("-wal", "-shm", "-journal"), there or not.

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

// The companions of a database, named by its name and one of these.
inline constexpr const char* kDatabaseCompanions[] = {"-wal", "-shm", "-journal"};

// Every database file begins with this text and its terminating zero.
inline constexpr char kDatabaseHeading[] = "SQLite format 3";

// A file on the disk: its device and its number there.
using FileIdentity = std::pair<dev_t, ino_t>;

class DatabaseFiles {
 public:
  // `database`: the native path of a database this process has not opened yet, or empty.
  // `heldFolder`: where the system lists the descriptors this process holds; when it cannot be
  // read, every file there is is taken for one of them.
  explicit DatabaseFiles(std::string database = {}, const char* heldFolder = "/proc/self/fd");
  // True when the file at the native `path` is one of them.
  bool Holds(const std::string& path) const;
  // False when the files this process holds open could not be listed.
  bool HeldKnown() const { return !allKept_; }

 private:
  // The database itself, not its companion.
  bool IsDatabase(const std::string& path) const;

  std::string database_;
  std::vector<FileIdentity> kept_;  // the files held open, and the database named
  bool allKept_ = false;            // the files held open are not known
};
