#include "db/DbBuilder.h"

#include "common/Cp1252.h"
#include "common/Notices.h"
#include "common/Outcome.h"
#include "db/DbDatabase.h"
#include "db/DbDictionary.h"
#include "db/DbError.h"
#include "db/DbFile.h"
#include "db/DbSchema.h"
#include "db/DbTable.h"
#include "db/DbTableBuilder.h"

#include <sqlite3.h>

// The database is built in a scratch file beside the chosen one and takes the chosen name only
// once every step has succeeded: a failed creation leaves no file behind, and a file already
// there is never touched.

namespace {

const char* const kCaption = "Creazione database";

// Steps after the file exists: dictionary tables, dictionary rows, tables with their relations,
// then the reference rows on a connection opened after the tables exist. Each step tells its
// own failure; returns 1 when all succeeded. `dictionaryMade` tells whether the first step went.
int Build(const std::string& scratch, sqlite3* db, const DescribeDictionary& describe, const SeedDatabase& seed,
          bool& dictionaryMade) {
  dictionaryMade = false;
  if (!CreateDictionaryTables(db)) return 0;
  dictionaryMade = true;
  EngineProgress();
  {
    DbDatabase dictionary(scratch, DbOpening::BeingBuilt);
    if (!dictionary.isOpen) return 0;
    {
      DbBatch batch(&dictionary);
      if (!batch.Active()) return 0;
      DbTable tavole(&dictionary, "tavole"), campi(&dictionary, "campi"), indici(&dictionary, "indici"),
          indici2(&dictionary, "indici2"), relaz(&dictionary, "relaz"), relaz2(&dictionary, "relaz2");
      for (const DbTable* t : {&tavole, &campi, &indici, &indici2, &relaz, &relaz2})
        if (!t->isOpen) return 0;
      if (!describe({&tavole, &campi, &indici, &indici2, &relaz, &relaz2})) {
        batch.Rollback();
        return 0;
      }
      if (!batch.Commit()) return 0;
    }
    EngineProgress();
    std::vector<RelationDef> relations;
    if (!CreateRelationsFromDictionary(&dictionary, relations)) return 0;
    if (!CreateAllTablesFromDictionary(&dictionary, db, relations)) return 0;
  }
  EngineProgress();
  DbDatabase fresh(scratch, DbOpening::Seeding);
  if (!fresh.isOpen) return 0;
  return !seed || seed(&fresh);
}

// The texts of the notices told, each without its closing line breaks, a blank line between two.
std::string Reasons(const Outcome& told) {
  std::string reasons;
  for (const Notice& notice : told.messages) {
    std::string text = notice.text;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    if (text.empty()) continue;
    reasons += (reasons.empty() ? "" : "\n\n") + text;
  }
  return reasons;
}

}  // namespace

CreateOutcome CreateTimetableDatabase(const std::string& path, CreateMode mode, const SeedDatabase& seed) {
  return CreateTimetableDatabaseFrom(path, mode, DescribeSchema, seed);
}

CreateOutcome CreateTimetableDatabaseFrom(const std::string& path, CreateMode mode, const DescribeDictionary& describe,
                                          const SeedDatabase& seed) {
  CreateOutcome outcome;
  const std::string failed = "Errore durante la creazione del database " + path + "\n\n";
  std::string error;
  sqlite3* db = nullptr;
  if (path.empty()) {
    error = "Nessun file indicato";
  } else if (DatabaseNameFree(path, "Il file esiste già", error)) {
    // What a creation killed half-way left beside the name goes first.
    RemoveScratchFilesLeftBeside(path);
    const std::string scratch = ScratchPathBeside(path);
    if (CreateDatabaseFile(scratch, &db, error, kQuendoScratchApplicationId)) {
      bool dictionaryMade = false;
      Outcome told;  // what the failing steps said, told in the creation's one box
      int built = 0;
      {
        NoticeCollector gather(told);
        built = Build(scratch, db, describe, seed, dictionaryMade);
      }
      if (dictionaryMade) outcome.reached = CreateOutcome::BuildFailed;
      const bool marked = built && MarkAsOurs(db, error);
      const bool closed = marked && CloseScratchFile(db, scratch, error);
      if (closed && MoveIntoPlace(scratch, path, error)) {
        ClearScratchVersionOf(path);
        outcome.reached = CreateOutcome::Created;
        outcome.ok = true;
        outcome.Tell("Il database " + path + " è stato creato con successo" + (mode == CreateMode::Menu ? "\n\n" : ""),
                     NoticeIcon::Information, kCaption);
        return outcome;
      }
      // A name taken meanwhile (the file, its log or its journal put there while the database was built) is a
      // file that could not be made, as when it was taken from the start.
      if (closed) outcome.reached = CreateOutcome::FileFailed;
      if (!marked) sqlite3_close_v2(db);
      RemoveScratchFile(scratch);
      if (!built) error = Reasons(told);
    }
  }
  // One box: the failure with its reason.
  outcome.ok = false;
  outcome.Tell(failed + error, NoticeIcon::Exclamation, kCaption);
  return outcome;
}

bool BuildEmptyTimetableFile(const std::string& path, std::string& error) {
  std::string told;
  bool built = false;
  sqlite3* db = nullptr;
  {
    const ScopedNoticeSink quiet([&told](const Notice& notice) {
      if (told.empty()) told = notice.text;
    });
    if (!CreateDatabaseFile(path, &db, error, kQuendoScratchApplicationId)) return false;
    bool dictionaryMade = false;
    built = Build(path, db, DescribeSchema, nullptr, dictionaryMade);
  }
  if (built && CloseScratchFile(db, path, error)) return true;
  if (!built) {
    sqlite3_close_v2(db);
    error = told;
  }
  RemoveScratchFile(path);
  return false;
}
