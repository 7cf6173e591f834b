#include "db/DbBuilder.h"

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "db/DbDictionary.h"
#include "db/DbError.h"
#include "db/DbFile.h"
#include "db/DbSchema.h"
#include "db/DbTable.h"
#include "db/DbTableBuilder.h"
#include "platform/Ui.h"
#include "refdata/Seeding.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

// The database is built in a scratch file beside the chosen one and takes the chosen name only
// once every step has succeeded: a failed creation leaves no file behind, and a file already
// there is never touched.

namespace {

const char* const kCaption = "Creazione database";

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(cp1252::ToUtf8(path).c_str(), &info) == 0;
}

// "<folder>/.<name>.<pid>-<n>.tmp", a name that does not exist yet.
std::string ScratchPathBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  for (;;) {
    const std::string scratch = folder + "." + name + "." + std::to_string(getpid()) + "-" +
                                std::to_string(counter.fetch_add(1)) + ".tmp";
    if (!Exists(scratch)) return scratch;
  }
}

// Removes the scratch file and the engine's side files.
void RemoveScratch(const std::string& scratch) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) unlink(cp1252::ToUtf8(scratch + suffix).c_str());
}

// Gives the finished file its name, unless a file of that name has appeared in the meantime.
bool MoveIntoPlace(const std::string& scratch, const std::string& path, std::string& error) {
  const std::string from = cp1252::ToUtf8(scratch);
  const std::string to = cp1252::ToUtf8(path);
  int rc = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
  if (rc != 0 && (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)) {
    // A file system without that kind of rename: a new link never replaces a file either.
    rc = link(from.c_str(), to.c_str());
    if (rc == 0) unlink(from.c_str());
  }
  if (rc == 0) return true;
  error = errno == EEXIST ? std::string("Il file esiste già")
                          : "Impossibile dare al file il nome scelto (" + std::string(std::strerror(errno)) + ")";
  return false;
}

// Leaves the scratch file complete on its own: the write-ahead log is folded into it and
// removed, and the connection closed. Every other connection must be closed already.
bool CloseScratch(sqlite3* db, const std::string& scratch, std::string& error) {
  const bool folded = ExecSql(db, "PRAGMA journal_mode=DELETE", error);
  const int rc = sqlite3_close_v2(db);
  if (!folded) return false;
  if (rc != SQLITE_OK) {
    error = EngineErrorText(rc, sqlite3_errstr(rc));
    return false;
  }
  if (Exists(scratch + "-wal")) {
    error = "Il registro delle scritture del database non è stato chiuso";
    return false;
  }
  return true;
}

// Steps after the file exists: dictionary tables, dictionary rows, tables with their relations,
// then the reference rows on a connection opened after the tables exist. Each step shows its
// own failure; returns 1 when all succeeded.
int Build(const std::string& scratch, sqlite3* db, const DescribeDictionary& describe) {
  if (!CreateDictionaryTables(db)) return 0;
  {
    DbDatabase dictionary(scratch);
    if (dictionary.isOpen != 1) return 0;
    {
      DbBatch batch(&dictionary);
      DbTable tavole(&dictionary, "tavole"), campi(&dictionary, "campi"), indici(&dictionary, "indici"),
          indici2(&dictionary, "indici2"), relaz(&dictionary, "relaz"), relaz2(&dictionary, "relaz2");
      for (const DbTable* t : {&tavole, &campi, &indici, &indici2, &relaz, &relaz2})
        if (t->isOpen != 1) return 0;
      if (!describe({&tavole, &campi, &indici, &indici2, &relaz, &relaz2})) {
        batch.Rollback();
        return 0;
      }
      if (!batch.Commit()) return 0;
    }
    std::vector<RelationDef> relations;
    if (!CreateRelationsFromDictionary(&dictionary, relations)) return 0;
    if (!CreateAllTablesFromDictionary(&dictionary, db, relations)) return 0;
  }
  DbDatabase fresh(scratch);
  if (fresh.isOpen != 1) return 0;
  return FillRegaziTable(&fresh) && FillRegentTable(&fresh) && FillLocalityTable(&fresh);
}

}  // namespace

int CreateTimetableDatabase(const std::string& path, CreateMode mode) {
  return CreateTimetableDatabaseFrom(path, mode, DescribeSchema);
}

int CreateTimetableDatabaseFrom(const std::string& path, CreateMode mode, const DescribeDictionary& describe) {
  const std::string failed = "Errore durante la creazione del database " + path + "\n\n";
  std::string error;
  sqlite3* db = nullptr;
  if (path.empty() || Exists(path)) {
    error = path.empty() ? "Nessun file indicato" : "Il file esiste già";
  } else {
    const std::string scratch = ScratchPathBeside(path);
    if (CreateDatabaseFile(scratch, &db, error)) {
      const int built = Build(scratch, db, describe);
      if (built && CloseScratch(db, scratch, error) && MoveIntoPlace(scratch, path, error)) {
        ui::MessageBox("Il database " + path + " è stato creato con successo" + (mode == CreateMode::Menu ? "\n\n" : ""),
                       ui::MB_ICONINFORMATION, kCaption);
        return 1;
      }
      if (!built) sqlite3_close_v2(db);
      RemoveScratch(scratch);
      if (!built) error.clear();  // the failing step has shown why
    }
  }
  if (!error.empty()) ui::MessageBox(failed + error, ui::MB_ICONEXCLAMATION, kCaption);
  ui::MessageBox(failed, ui::MB_ICONEXCLAMATION, kCaption);
  return 0;
}
