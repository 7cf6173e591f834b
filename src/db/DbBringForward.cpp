#include "db/DbBringForward.h"

#include "common/Cp1252.h"
#include "db/DbCollation.h"
#include "db/DbDatabase.h"
#include "db/DbDdl.h"
#include "db/DbDictionary.h"
#include "db/DbEngine.h"
#include "db/DbError.h"
#include "db/DbFile.h"
#include "db/DbSchema.h"
#include "db/DbSchemaCheck.h"
#include "db/FieldType.h"

#include <sqlite3.h>
#include <strings.h>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// Why a table could not be brought forward, when no value of it is found to blame.
std::string NotBroughtForward(const std::string& table, const std::string& reason) {
  return "La tavola " + SqlName(cp1252::FromUtf8Lossy(table)) +
         " non può essere portata alle definizioni di questa versione del programma:\n" + reason;
}

// A stored value as the engine quotes it (UTF-8), shown in a refusal.
std::string Quoted(sqlite3_stmt* st, int column) {
  const unsigned char* text = sqlite3_column_text(st, column);
  return cp1252::FromUtf8Lossy(text ? reinterpret_cast<const char*>(text) : "NULL");
}

// Two rows of `table` that the new definition's key (the key fields of `scratch`) cannot keep apart
// once brought forward (a date with a time of day beside the same date without it): the refusal
// that names the table, both rows and the value that becomes the other's. Empty when no two rows
// are found so, or they cannot be read.
std::string SameKeyRefusal(sqlite3* db, const std::string& table, const std::string& scratch, Undone undone) {
  std::vector<std::string> key, dates;
  std::string unread;
  const std::string info =
      "SELECT name, type FROM pragma_table_info(" + SqlQuote(scratch) + ") WHERE pk > 0 ORDER BY pk";
  if (!EachRow(
          db, info.c_str(),
          [&](sqlite3_stmt* st) {
            key.push_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            const unsigned char* declared = sqlite3_column_text(st, 1);
            const bool date =
                FieldTypeFromDeclared(declared ? reinterpret_cast<const char*>(declared) : "").letter == 'D';
            dates.push_back(date ? BroughtForwardDateSql(key.back()) : SqlName(key.back()));
          },
          unread) ||
      key.empty())
    return {};
  // The first key shared, then its rows: the one whose value changes on the way first.
  std::string shared, by, match, stored, forward, same;
  for (size_t k = 0; k < key.size(); ++k) {
    const std::string as = SqlName("chiave " + std::to_string(k));
    shared += (k ? ", " : "") + dates[k] + " AS " + as;
    by += (k ? ", " : "") + std::to_string(k + 1);
    match += (k ? " AND " : "") + dates[k] + " IS k." + as;
    stored += (k ? ", quote(" : "quote(") + SqlName(key[k]) + ")";
    forward += ", quote(" + dates[k] + ")";
    same += (k ? " AND " : "") + SqlName(key[k]) + " IS " + dates[k];
  }
  const std::string sql = "WITH k AS (SELECT " + shared + " FROM " + SqlName(table) + " GROUP BY " + by +
                          " HAVING count(*) > 1 LIMIT 1) SELECT " + stored + forward + " FROM " + SqlName(table) +
                          ", k WHERE " + match + " ORDER BY " + same + " LIMIT 2";
  std::vector<std::vector<std::string>> rows;
  if (!EachRow(
          db, sql.c_str(),
          [&](sqlite3_stmt* st) {
            std::vector<std::string>& row = rows.emplace_back();
            for (int c = 0; c < sqlite3_column_count(st); ++c) row.push_back(Quoted(st, c));
          },
          unread) ||
      rows.size() < 2)
    return {};
  const auto named = [&](const std::vector<std::string>& row) {
    std::string text;
    for (size_t k = 0; k < key.size(); ++k) text += (k ? ", " : "") + cp1252::FromUtf8Lossy(key[k]) + " " + row[k];
    return "riga (" + text + ")";
  };
  // The field whose value changes on the way (the first of the key when none does).
  size_t at = 0;
  while (at + 1 < key.size() && rows[0][at] == rows[0][key.size() + at]) ++at;
  const std::string field = cp1252::FromUtf8Lossy(key[at]);
  const std::string title = SchemaFieldTitle(cp1252::FromUtf8Lossy(table), field);
  const std::string value = rows[0][at], becomes = rows[0][key.size() + at];
  std::string fault = "il campo " + field + (title.empty() ? "" : " (" + title + ")") + " vale " + value;
  if (becomes != value) fault += ", che come data è " + becomes;
  fault += ",\ne la riga avrebbe così la stessa chiave della " + named(rows[1]) +
           ": due righe non possono avere la stessa chiave.";
  return StoredValueRefusal(named(rows[0]) + " della tavola " + SqlName(cp1252::FromUtf8Lossy(table)), fault, undone);
}

// The schema under which the new file is attached to the earlier file's connection.
constexpr const char* kForward = "forward";
// How many pages each step of putting the new file's content into the earlier one writes.
constexpr int kPagesAStep = 2048;

// The words of a definition before the name of what it makes.
constexpr const char* kHeads[] = {"CREATE", "TEMP", "TEMPORARY", "UNIQUE", "TABLE", "INDEX", "IF", "NOT", "EXISTS"};

// A definition as stored (CREATE [UNIQUE] TABLE|INDEX [IF NOT EXISTS] name ...), made in `schema`.
std::string InSchema(const std::string& sql, const std::string& schema) {
  for (size_t at = 0;;) {
    const size_t word = SkipSqlBlanks(sql, at);
    size_t next = word;
    const std::string name = NextSqlName(sql, next);
    const bool quoted = word < sql.size() && std::strchr("\"'`[", sql[word]) != nullptr;
    if (name.empty()) return sql;
    if (quoted ||
        !std::any_of(std::begin(kHeads), std::end(kHeads), [&](const char* head) { return SameName(name, head); }))
      return sql.substr(0, word) + SqlName(schema) + "." + sql.substr(word);
    at = next;
  }
}

// The copy of an earlier build's file into a new file of the builder's definitions, through the
// earlier file's own connection (`db`), which holds the earlier file meanwhile: the new file is
// attached to it as kForward, the earlier one read as main.
class ForwardCopy {
 public:
  ForwardCopy(sqlite3* db, Undone undone, WorkProgress* progress) : db_(db), undone_(undone), progress_(progress) {}
  ~ForwardCopy() { Detach(); }
  ForwardCopy(const ForwardCopy&) = delete;
  ForwardCopy& operator=(const ForwardCopy&) = delete;

  // Attaches the new file at `scratch` (made by CreateScratchFile), which needs no journal: it is
  // of no use until whole and in place.
  bool Attach(const std::string& scratch, std::string& error) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db_, "ATTACH ?1 AS forward", -1, &st, nullptr);
    const std::string fsPath = cp1252::ToUtf8(scratch);
    if (rc == SQLITE_OK)
      rc = sqlite3_bind_text(st, 1, fsPath.c_str(), static_cast<int>(fsPath.size()), SQLITE_TRANSIENT);
    if (rc == SQLITE_OK) rc = sqlite3_step(st);
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
      error = EngineErrorText(db_, rc);
      return false;
    }
    attached_ = true;
    // Each row copied is counted, for the bar.
    rc = sqlite3_create_function(db_, "quendo_riga_copiata", 0, SQLITE_UTF8 | SQLITE_DIRECTONLY, this, &Counted,
                                 nullptr, nullptr);
    if (rc != SQLITE_OK) error = EngineErrorText(db_, rc);
    // Nor is it written to the disk before it is read back: it goes once its content is in place.
    return rc == SQLITE_OK && ExecSql(db_, "PRAGMA forward.journal_mode=OFF; PRAGMA forward.synchronous=OFF", error);
  }

  // Lets the new file go (after its transaction has ended).
  void Detach() {
    if (!attached_) return;
    attached_ = false;
    sqlite3_create_function(db_, "quendo_riga_copiata", 0, SQLITE_UTF8, nullptr, nullptr, nullptr, nullptr);
    std::string ignored;
    ExecSql(db_, "DETACH forward", ignored);
  }

  // The rows of every table to copy, for the bar.
  bool CountRows(const std::vector<StoredObject>& tables, std::string& error) {
    for (const StoredObject& t : tables) {
      int rows = 0;
      const std::string count = "SELECT count(*) FROM main." + SqlName(t.name);
      if (!QueryInt(db_, count.c_str(), rows, error)) return false;
      total_ += rows;
      rows_.push_back(rows);
    }
    copying_ = total_;
    total_ += total_ / 4 + 1;  // the indexes, the relations and the new content put in place
    return true;
  }

  // Copies `table` into the new file under `definition` (CREATE TABLE ..., made in kForward).
  // `earlier`: a table as an earlier build defined it, whose date columns' texts with a time of day
  // become their dates. `told`: the refusal names a value and says what became of the file.
  bool CopyTable(const StoredObject& table, const std::string& definition, bool earlier, size_t at, std::string& error,
                 bool& told) {
    const bool keyOrdered =
        definition.size() >= 13 && definition.compare(definition.size() - 13, 13, "WITHOUT ROWID") == 0;
    std::string columns = keyOrdered ? "" : "rowid", values = columns;
    const std::string info = "SELECT name, type FROM main.pragma_table_info(" + SqlQuote(table.name) + ") ORDER BY cid";
    if (!EachRow(
            db_, info.c_str(),
            [&](sqlite3_stmt* st) {
              const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
              const unsigned char* declared = sqlite3_column_text(st, 1);
              const FieldType type = FieldTypeFromDeclared(declared ? reinterpret_cast<const char*>(declared) : "");
              columns += (columns.empty() ? "" : ", ") + SqlName(name);
              values += (values.empty() ? "" : ", ") +
                        (earlier && type.letter == 'D' ? BroughtForwardDateSql(name) : SqlName(name));
            },
            error) ||
        !ExecSql(db_, definition, error))
      return false;
    if (ExecSql(db_,
                "INSERT INTO forward." + SqlName(table.name) + " (" + columns + ") SELECT " + values + " FROM main." +
                    SqlName(table.name) + " WHERE quendo_riga_copiata()",
                error)) {
      done_ = copied_ += rows_[at];
      Told();
      return true;
    }
    if (Damaged(error)) {
      told = true;
      return false;
    }
    // A value the new definition does not take is named, and so are two rows it gives the same key;
    // anything else is the engine's word.
    const int rc = sqlite3_extended_errcode(db_);
    RuleBreach breach;
    std::string unread, named;
    if (rc == SQLITE_CONSTRAINT_PRIMARYKEY || rc == SQLITE_CONSTRAINT_UNIQUE)
      named = SameKeyRefusal(db_, table.name, table.name, undone_);
    else if ((rc & 0xFF) == SQLITE_CONSTRAINT && FindRuleBreach(db_, table.name, breach, unread) && breach.found)
      named = RuleBreachRefusal(breach, undone_);
    told = !named.empty();
    if (told) error = named;
    return false;
  }

  // Makes an index (as stored or as the builder writes it) of the table copied `at`-th.
  bool MakeIndex(const std::string& sql, size_t at, std::string& error) {
    if (!ExecSql(db_, InSchema(sql, kForward), error)) return false;
    done_ += rows_[at] / 8;
    Told();
    return true;
  }

  // The relations are checked: the bar moves on to putting the new content in place.
  void Checked() {
    done_ = placing_ = copying_ + copying_ / 8;
    Told();
  }
  // `done` of `all` pages of the new content are in place.
  void Placed(long long done, long long all) {
    if (all > 0) done_ = placing_ + (total_ - placing_) * done / all;
    Told();
  }

  // Whether the last statement found the earlier file damaged (its pages are read by the copy
  // alone): then `error` tells it as the check of the whole file does, with the engine's findings.
  bool Damaged(std::string& error) const {
    if ((sqlite3_extended_errcode(db_) & 0xFF) != SQLITE_CORRUPT) return false;
    std::string findings, unread;
    EachRow(
        db_, "PRAGMA main.quick_check(5)",
        [&](sqlite3_stmt* st) {
          const unsigned char* line = sqlite3_column_text(st, 0);
          if (line && std::strcmp(reinterpret_cast<const char*>(line), "ok") != 0)
            findings += "\n" + cp1252::FromUtf8Lossy(reinterpret_cast<const char*>(line));
        },
        unread);
    error = kDamagedFile + (findings.empty() ? " " + error : findings);
    return true;
  }

 private:
  static void Counted(sqlite3_context* context, int, sqlite3_value**) {
    auto* self = static_cast<ForwardCopy*>(sqlite3_user_data(context));
    if ((++self->done_ & 0xFF) == 0) self->Told();
    sqlite3_result_int(context, 1);
  }
  // The bar moves when its share does.
  void Told() {
    if (!progress_ || total_ <= 0) return;
    const long long share = std::min(done_, total_) * 100 / total_;
    if (share == shown_) return;
    shown_ = share;
    progress_->Step(static_cast<long>(share), 100);
  }

  sqlite3* db_;
  Undone undone_;
  WorkProgress* progress_;
  bool attached_ = false;
  std::vector<long long> rows_;
  long long total_ = 0, done_ = 0, copied_ = 0, shown_ = 0, copying_ = 0, placing_ = 0;
};

// Begins the write transaction of the copy with the earlier file held from then on: its lock kept
// past the transaction's end (exclusive locking mode). A file in write-ahead mode is held whole, the
// mode set first; one in rollback mode is held from other writers once the transaction has begun,
// for the engine lets go of a file between its tries only in the normal mode, and another writer
// waiting for this one would otherwise wait for it in turn. Another program that keeps the file past
// the wait: kOpenElsewhere.
bool Hold(sqlite3* db, std::string& error) {
  std::string mode;
  if (!EachRow(
          db, "PRAGMA main.journal_mode",
          [&](sqlite3_stmt* st) {
            const unsigned char* text = sqlite3_column_text(st, 0);
            mode = text ? reinterpret_cast<const char*>(text) : "";
          },
          error))
    return false;
  const bool held =
      SameName(mode, "wal")
          ? ExecSql(db, "PRAGMA main.locking_mode=EXCLUSIVE", error) && ExecSql(db, "BEGIN IMMEDIATE", error)
          : ExecSql(db, "BEGIN IMMEDIATE", error) && ExecSql(db, "PRAGMA main.locking_mode=EXCLUSIVE", error);
  if (!held && (sqlite3_extended_errcode(db) & 0xFF) == SQLITE_BUSY) error = kOpenElsewhere;
  return held;
}

// Puts the whole content of the new file (`made`) into the earlier file held by `db`, in one
// write transaction of the earlier file, which its journal or log keeps whole or as it was.
bool PutInPlace(sqlite3* db, sqlite3* made, ForwardCopy& copy, std::string& error) {
  sqlite3_backup* backup = sqlite3_backup_init(db, "main", made, "main");
  if (!backup) {
    error = EngineErrorText(db, sqlite3_extended_errcode(db));
    return false;
  }
  int rc = SQLITE_OK;
  while ((rc = sqlite3_backup_step(backup, kPagesAStep)) == SQLITE_OK) {
    copy.Placed(sqlite3_backup_pagecount(backup) - sqlite3_backup_remaining(backup), sqlite3_backup_pagecount(backup));
    EngineProgress();
  }
  const int finished = sqlite3_backup_finish(backup);
  if (rc == SQLITE_DONE && finished == SQLITE_OK) {
    copy.Placed(1, 1);
    return true;
  }
  const int failure = rc != SQLITE_DONE ? rc : finished;
  error = (failure & 0xFF) == SQLITE_BUSY ? std::string(kOpenElsewhere) : EngineErrorText(db, failure);
  return false;
}

// Completes the refusal of a bring-forward: another program that keeps the file past the wait is
// named as such; whatever stopped it (that, a full disk, a failing disk), the earlier file is as it
// was, which the refusal says unless it `told` so itself. Returns false.
bool Refused(std::string& error, bool told, Undone undone) {
  if (error.find(kEngineBusyText) != std::string::npos) error = kOpenElsewhere;
  if (!told && undone == Undone::Opening) error += "\n\n" + std::string(kLeftAsItWas);
  return false;
}

}  // namespace

bool HoldsEarlierTables(sqlite3* db) {
  std::vector<StoredObject> objects;
  std::string unread;
  return ReadStoredObjects(db, objects, unread) && !SchemaObjectsUnlikeTheBuilder(objects).earlier.empty();
}

bool BringDefinitionsForward(sqlite3*& db, const std::string& path, const ReopenDatabase& reopen, std::string& error,
                             WorkProgress* progress, Undone undone) {
  std::vector<StoredObject> objects;
  if (!ReadStoredObjects(db, objects, error)) return Refused(error, false, undone);
  if (SchemaObjectsUnlikeTheBuilder(objects).earlier.empty()) return true;
  std::vector<BuiltDefinition> builder = SchemaDefinitions();
  for (BuiltDefinition& d : DictionaryDefinitions()) builder.push_back(std::move(d));
  const auto built = [&](const std::string& type, const std::string& name) {
    return std::find_if(builder.begin(), builder.end(),
                        [&](const BuiltDefinition& d) { return d.type == type && SameName(d.name, name); });
  };
  if (progress) progress->Begin(kBringForwardCaption);
  const std::string scratch = ScratchPathBeside(path);
  bool told = false;  // the refusal already says what became of the file
  // The new file takes the earlier one's page size, which its content keeps once put in its place.
  int pageSize = 0;
  bool done = QueryInt(db, "PRAGMA main.page_size", pageSize, error) && CreateScratchFile(scratch, pageSize, error);
  ForwardCopy copy(db, undone, progress);
  // The earlier file is held from before the copy until the new content is in it: its connection
  // keeps its lock from one transaction to the next (exclusive locking mode), so another program's
  // write lands before the copy, which carries it over, or waits for the file and lands after, or
  // is refused to that program by the engine.
  done = done && copy.Attach(scratch, error) && Hold(db, error);
  // What the file holds once held is what is carried over: its schema is read again and checked as
  // its open checked it, for another program may have changed it since (a table made, a trigger).
  objects.clear();
  int version = 0;
  done = done && ReadStoredObjects(db, objects, error) && CheckTablesAgainstDictionary(db, error) &&
         QueryInt(db, "PRAGMA main.user_version", version, error);
  const std::vector<std::string> earlier =
      done ? SchemaObjectsUnlikeTheBuilder(objects).earlier : std::vector<std::string>{};
  // Another copy of the program may have brought it forward meanwhile: nothing is left to do.
  const bool current = done && earlier.empty();
  done = done && !current;
  // The tables to copy, in the file's order; the engine's own are made by the engine.
  std::vector<StoredObject> tables;
  for (const StoredObject& o : objects)
    if (SameName(o.type, "table") && strncasecmp(o.name.c_str(), "sqlite_", 7) != 0) tables.push_back(o);
  const bool sequence = std::any_of(objects.begin(), objects.end(),
                                    [](const StoredObject& o) { return SameName(o.name, "sqlite_sequence"); });
  if (done && !copy.CountRows(tables, error)) {
    done = false;
    told = copy.Damaged(error);
  }
  for (size_t k = 0; done && k < tables.size(); ++k) {
    const auto program = built("table", tables[k].name);
    const bool ours = program != builder.end();
    const std::string head = ours ? "CREATE TABLE " + SqlName(program->name) : std::string();
    if (ours && program->sql.compare(0, head.size(), head) != 0) {
      error = NotBroughtForward(tables[k].name, "il programma non ne ha la definizione");
      done = false;
      break;
    }
    // A table of the file's own is kept as it is defined.
    const std::string definition =
        ours ? "CREATE TABLE forward." + SqlName(tables[k].name) + program->sql.substr(head.size())
             : InSchema(tables[k].sql, kForward);
    const bool isEarlier =
        std::any_of(earlier.begin(), earlier.end(), [&](const std::string& e) { return SameName(e, tables[k].name); });
    done = copy.CopyTable(tables[k], definition, isEarlier, k, error, told);
    if (!done && !told) error = NotBroughtForward(tables[k].name, error);
  }
  // The counters of a table of the file's own that numbers its rows itself, where the new file keeps one.
  int counters = 0;
  if (done && sequence)
    done =
        QueryInt(db, "SELECT count(*) FROM forward.sqlite_master WHERE name = 'sqlite_sequence'", counters, error) &&
        (counters == 0 || ExecSql(db, "INSERT INTO forward.sqlite_sequence SELECT * FROM main.sqlite_sequence", error));
  // The indexes once the rows are in: the builder's on its tables, the file's own on its own.
  for (size_t k = 0; done && k < tables.size(); ++k) {
    const bool ours = built("table", tables[k].name) != builder.end();
    for (const BuiltDefinition& d : builder)
      if (done && ours && d.type == "index" && SameName(d.table, tables[k].name))
        done = copy.MakeIndex(d.sql, k, error);
    for (const StoredObject& o : objects)
      if (done && !ours && SameName(o.type, "index") && !o.sql.empty() && SameName(o.table, tables[k].name))
        done = copy.MakeIndex(o.sql, k, error);
    if (!done) error = NotBroughtForward(tables[k].name, error);
  }
  // The new file is whole; the earlier one stays held (its lock kept past the transaction's end).
  done = done && ExecSql(db, "COMMIT", error);
  std::string ignored;
  if (sqlite3_get_autocommit(db) == 0) ExecSql(db, "ROLLBACK", ignored);
  copy.Detach();
  // The new file, on a connection of its own, holds the builder's definitions and its rows keep
  // every relation; then, marked as ours, it is put into the earlier file.
  sqlite3* made = nullptr;
  if (done) {
    const int rc =
        sqlite3_open_v2(cp1252::ToUtf8(scratch).c_str(), &made, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      error = EngineErrorText(made, rc);
      done = false;
    } else {
      sqlite3_extended_result_codes(made, 1);
      DefendConnection(made);
      WatchEngineProgress(made);
      RegisterDictionaryCollation(made);
    }
  }
  if (done) {
    std::vector<StoredObject> left;
    done = ReadStoredObjects(made, left, error);
    const SchemaFindings unlike = done ? SchemaObjectsUnlikeTheBuilder(left) : SchemaFindings{};
    if (done && (!unlike.earlier.empty() || !unlike.redefined.empty() || !unlike.foreign.empty())) {
      error = NotBroughtForward(unlike.earlier.empty() ? earlier.front() : unlike.earlier.front(),
                                SchemaFindingsText(unlike));
      done = false;
    }
  }
  done = done && CheckRelations(made, error);
  if (done) copy.Checked();
  // The earlier file's log is written to the disk once, before it is folded into the file: a power
  // cut before that leaves the file as it was.
  done = done && MarkAsOurs(made, error) && ExecSql(db, "PRAGMA main.synchronous=NORMAL", error) &&
         PutInPlace(db, made, copy, error);
  // The file's own user version comes back in place of the scratch file's mark, and a file in
  // rollback mode is turned to write-ahead mode, the program's, while it is still held: the open
  // that follows need not wait for another program's readers to turn it. Either left undone by a
  // kill, the next open does it.
  if (done) ExecSql(db, "PRAGMA main.user_version=" + std::to_string(version), ignored);
  if (done) ExecSql(db, "PRAGMA main.journal_mode=WAL", ignored);
  if (made) sqlite3_close_v2(made);
  RemoveScratchFile(scratch);
  // The earlier file is let go: its connection closes, and `db` is a new one on the file as it is now.
  const int closed = sqlite3_close_v2(db);
  db = nullptr;
  if (done && closed != SQLITE_OK) {
    error = EngineErrorText(closed, sqlite3_errstr(closed));
    done = false;
  }
  if (!done && !current) Refused(error, told, undone);
  if (progress) progress->End();
  done = done || current;
  db = reopen(done ? error : ignored);
  return done && db != nullptr;
}
