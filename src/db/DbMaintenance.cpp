#include "db/DbMaintenance.h"

#include "common/ByteOrder.h"
#include "common/Cp1252.h"
#include "common/DatabaseFiles.h"
#include "db/DbBringForward.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbDdl.h"
#include "db/DbError.h"
#include "db/DbFile.h"
#include "db/DbSchema.h"
#include "db/DbSchemaCheck.h"
#include "db/FieldType.h"
#include "db/FieldValue.h"
#include "db/StoredValueRefusal.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QByteArray>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// How many of the engine's findings a damaged file's description lists.
constexpr int kFindingsShown = 5;
// The last paragraph of a rebuild that stopped: nothing of it was kept.
constexpr const char* kRebuildLeftAsItWas = "Nessuna modifica è stata registrata: il file è rimasto com'era.";
// How many trips each list of a salvage's report names.
constexpr size_t kShortenedShown = 20;

// One connection of these functions, closed when it goes out of scope.
class Connection {
 public:
  Connection() = default;
  ~Connection() { Close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  sqlite3* db = nullptr;

  // Closes the connection; false with the reason when the engine could not close it.
  bool Close(std::string* error = nullptr) {
    if (!db) return true;
    const int rc = sqlite3_close_v2(db);
    db = nullptr;
    if (rc == SQLITE_OK) return true;
    if (error) *error = EngineErrorText(rc, sqlite3_errstr(rc));
    return false;
  }
  // Hands the open connection over to the caller.
  sqlite3* Release() {
    sqlite3* out = db;
    db = nullptr;
    return out;
  }
};

// Reads the first `size` bytes of a database file through the engine's own file layer, never
// by an open and close of ours: a connection of this process may hold the file, and closing any
// descriptor of it would drop every lock the process holds there (the engine keeps its
// descriptor open until its own connections let the file go). `whole` is false when the file is
// shorter; false with the reason when it cannot be read.
bool ReadFileStart(const std::string& fsPath, std::uint8_t* bytes, int size, bool& whole, std::string& error) {
  sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
  // The name as the engine hands it to its file layer: a full path followed by two zeros.
  std::vector<char> name(static_cast<size_t>(vfs->mxPathname) + 2, '\0');
  std::vector<char> handle(static_cast<size_t>(vfs->szOsFile), '\0');
  auto* file = reinterpret_cast<sqlite3_file*>(handle.data());
  int flags = 0;
  errno = 0;
  // A name through a symbolic link (the file's, or a folder's on its way) is told apart, not refused.
  int rc = vfs->xFullPathname(vfs, fsPath.c_str(), vfs->mxPathname, name.data());
  if (rc == SQLITE_OK_SYMLINK) rc = SQLITE_OK;
  if (rc == SQLITE_OK) rc = vfs->xOpen(vfs, name.data(), file, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_DB, &flags);
  if (rc == SQLITE_OK) {
    const int read = file->pMethods->xRead(file, bytes, size, 0);
    whole = read == SQLITE_OK;
    rc = read == SQLITE_IOERR_SHORT_READ ? SQLITE_OK : read;
  }
  const int failure = errno;
  if (file->pMethods) file->pMethods->xClose(file);
  if (rc == SQLITE_OK) return true;
  error = "Impossibile leggere il file (" + std::string(failure ? std::strerror(failure) : sqlite3_errstr(rc)) + ")";
  return false;
}

// What a file's header says of it. It is read from the bytes themselves, which stay readable when
// the engine refuses the whole file (pages lost at its end, a damaged schema): such a file is
// still known as one of ours, and damaged.
enum class Mark { Ours, Foreign, NotDatabase, Unreadable };

Mark ReadMark(const std::string& fsPath, std::string& error) {
  // Every database file begins with this text and its terminating zero (16 bytes); its
  // application id is the big-endian number at byte 68 of the 100-byte header.
  constexpr size_t kHeaderSize = 100, kApplicationIdAt = 68;
  std::uint8_t header[kHeaderSize];
  bool whole = false;
  if (!ReadFileStart(fsPath, header, kHeaderSize, whole, error)) return Mark::Unreadable;
  std::int32_t id = 0;
  if (!whole || std::memcmp(header, kDatabaseHeading, sizeof kDatabaseHeading) != 0 ||
      !ReadInt32(ConstBytes(header, kHeaderSize), kApplicationIdAt, 'B', id)) {
    error = "Il file non è un database valido";
    return Mark::NotDatabase;
  }
  if (id != kQuendoApplicationId) {
    error = "Il file non è un database di Quendo";
    return Mark::Foreign;
  }
  return Mark::Ours;
}

// Opens an existing file of ours, read-write, beside whatever other connection it has. A file
// that its header marks as ours is opened even when the engine cannot read it: the check then
// finds it damaged. `toWork`: a file this user may not write is refused before the engine opens
// it, which would leave beside it a log and an index that keep refusing it once it is writable.
bool OpenOurs(const std::string& path, Connection& conn, std::string& error, bool toWork = true) {
  if (path.empty()) {
    error = "Nessun file indicato";
    return false;
  }
  const std::string fsPath = cp1252::ToUtf8(path);
  struct stat info {};
  if (stat(fsPath.c_str(), &info) != 0) {
    error = "Il file non esiste: " + path;
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = "Il percorso non indica un file";
    return false;
  }
  if (toWork && ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(fsPath.c_str(), W_OK) != 0)) {
    error = "Il file è in sola lettura: non è possibile lavorarvi";
    return false;
  }
  if (ReadMark(fsPath, error) != Mark::Ours) return false;
  const int rc = sqlite3_open_v2(fsPath.c_str(), &conn.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    error = EngineErrorText(conn.db, rc);
    conn.Close();
    return false;
  }
  sqlite3_busy_timeout(conn.db, 5000);
  sqlite3_extended_result_codes(conn.db, 1);
  DefendConnection(conn.db);
  WatchEngineProgress(conn.db);  // the busy clock runs through the check, the rebuild and the copy
  // Where the engine reads the mark itself (the log may hold a newer first page), its word counts.
  int id = kQuendoApplicationId;
  std::string unread;
  if (QueryInt(conn.db, "PRAGMA application_id", id, unread) && id != kQuendoApplicationId) {
    error = "Il file non è un database di Quendo";
    return false;
  }
  return true;
}

enum class Soundness { Sound, Damaged, Refused, Unknown };

// Runs the engine's check (`sql`), its findings in `lines` (UTF-8); the engine's result code.
int RunCheck(sqlite3* db, const std::string& sql, std::vector<std::string>& lines) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  while (rc == SQLITE_OK || rc == SQLITE_ROW) {
    rc = sqlite3_step(st);
    if (rc != SQLITE_ROW) break;
    const unsigned char* text = sqlite3_column_text(st, 0);
    lines.push_back(text ? reinterpret_cast<const char*>(text) : "");
  }
  sqlite3_finalize(st);
  return rc;
}

// A finding of the engine's check that is a value its column's rules refuse, written with the
// checks turned off, and not damage: the table it names. `rules`: a CHECK failed as well as a NOT
// NULL; false, only a NOT NULL.
bool RuleFinding(const std::string& line, bool rules, std::string& table) {
  static const std::string check = "CHECK constraint failed in ", null = "NULL value in ";
  if (rules && line.compare(0, check.size(), check) == 0) {
    table = line.substr(check.size());
    return true;
  }
  if (line.compare(0, null.size(), null) != 0 || line.rfind('.') < null.size()) return false;
  table = line.substr(null.size(), line.rfind('.') - null.size());
  return true;
}

// Whether every finding is a value its column refuses; `table` the first finding's.
bool OnlyRuleFindings(const std::vector<std::string>& lines, bool rules, std::string& table) {
  for (const std::string& line : lines) {
    std::string named;
    if (line == "ok") continue;
    if (!RuleFinding(line, rules, named)) return false;
    if (table.empty()) table = named;
  }
  return true;
}

// The engine's own check of the whole file: Sound, or Damaged with the list of what it found
// wrong; Unknown with the reason when the check itself could not run. A value that its column's
// rules refuse (the engine checks them too), in a file whose pages are sound, is no damage: the
// file is Refused, the refusal naming table, row, field and value and saying `undone`.
Soundness CheckConnection(sqlite3* db, CheckDepth depth, std::string& error, Undone undone = Undone::Opening) {
  const std::string sql = std::string(depth == CheckDepth::Full ? "PRAGMA integrity_check(" : "PRAGMA quick_check(") +
                          std::to_string(kFindingsShown) + ")";
  std::vector<std::string> lines;
  const int rc = RunCheck(db, sql, lines);
  if (rc != SQLITE_DONE) {
    error = EngineErrorText(db, rc);
    // Damage that stops the check itself (a page of the schema, the header) is damage too.
    return (rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB ? Soundness::Damaged : Soundness::Unknown;
  }
  if (!lines.empty() && lines.front() == "ok") return Soundness::Sound;
  const auto listed = [](const std::vector<std::string>& findings) {
    std::string text;
    for (const std::string& line : findings) text += "\n" + cp1252::FromUtf8Lossy(line);
    return text;
  };
  std::string table;
  if (OnlyRuleFindings(lines, true, table)) {
    // The findings shown may hide damage further on: the check again without the CHECK rules.
    std::vector<std::string> again;
    std::string unused, ignored;
    const bool rechecked =
        ExecSql(db, "PRAGMA ignore_check_constraints=ON", ignored) && RunCheck(db, sql, again) == SQLITE_DONE;
    ExecSql(db, "PRAGMA ignore_check_constraints=OFF", ignored);
    if (rechecked && OnlyRuleFindings(again, false, unused)) {
      RuleBreach breach;
      if (!FindRuleBreach(db, table, breach, error)) return Soundness::Unknown;
      error = breach.found
                  ? RuleBreachRefusal(breach, undone)
                  : "Il file del database contiene valori che le regole dei loro campi non ammettono:" + listed(lines) +
                        "\n\n" + UndoneText(undone);
      return Soundness::Refused;
    }
    if (rechecked) lines = again;
  }
  error = kDamagedFile + listed(lines);
  return Soundness::Damaged;
}

// The compacted copy of the open source into a new file.
bool VacuumInto(sqlite3* db, const std::string& target, std::string& error) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, "VACUUM INTO ?1", -1, &st, nullptr);
  if (rc == SQLITE_OK) {
    const std::string fsPath = cp1252::ToUtf8(target);
    rc = sqlite3_bind_text(st, 1, fsPath.c_str(), static_cast<int>(fsPath.size()), SQLITE_TRANSIENT);
    if (rc == SQLITE_OK) rc = sqlite3_step(st);
  }
  if (rc != SQLITE_DONE) {
    error = EngineErrorText(db, rc);
    sqlite3_finalize(st);
    return false;
  }
  sqlite3_finalize(st);
  return true;
}

// The salvage of a damaged file.

std::string RepairFailure(const std::string& path, const std::string& reason) {
  return "Errore durante la riparazione del database\n\n" + path + "\n\n" + reason;
}

// Runs a statement and hands back its rows, columns as Windows-1252 texts.
bool QueryRows(sqlite3* db, const std::string& sql, std::vector<std::vector<std::string>>& rows, std::string& error) {
  rows.clear();
  return EachRow(
      db, cp1252::ToUtf8(sql).c_str(),
      [&rows](sqlite3_stmt* st) {
        std::vector<std::string>& row = rows.emplace_back();
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
          const unsigned char* text = sqlite3_column_text(st, i);
          row.push_back(cp1252::FromUtf8Lossy(text ? reinterpret_cast<const char*>(text) : ""));
        }
      },
      error);
}

// The recovery program as a path; empty when it is not there.
QString FindProgram(const std::string& name) {
  const QString program = cp1252::ToQString(name);
  if (!program.contains(u'/')) return QStandardPaths::findExecutable(program);
  const QFileInfo info(program);
  return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

// The start of a program's error output, in the program's code page.
std::string FirstLine(const QByteArray& bytes) {
  QByteArray line = bytes.trimmed();
  const qsizetype end = line.indexOf('\n');
  if (end >= 0) line.truncate(end);
  return cp1252::FromUtf8Lossy(std::string_view(line.constData(), static_cast<size_t>(line.size())));
}

// Runs a program with its arguments, no shell in between, handing its output to `take` as it
// comes and calling `pump` meanwhile. True when it ran to its end with exit code 0 and `take`
// accepted all of it; otherwise false, with the reason in `error` unless `take` refused.
bool RunProgram(const QString& program, const QStringList& arguments,
                const std::function<bool(const QByteArray&)>& take, const std::function<void()>& pump,
                std::string& error) {
  const std::string name = cp1252::FromQStringLossy(program);
  QProcess process;
  process.setProgram(program);
  process.setArguments(arguments);
  process.setStandardInputFile(QProcess::nullDevice());
  process.start(QIODevice::ReadOnly);
  if (!process.waitForStarted(-1)) {
    error = "Impossibile avviare il programma " + name;
    return false;
  }
  bool accepted = true;
  for (;;) {
    const bool more = process.waitForReadyRead(100);
    const QByteArray chunk = process.readAllStandardOutput();
    if (!chunk.isEmpty() && !(accepted = take(chunk))) break;
    if (pump) pump();
    if (!more && process.state() == QProcess::NotRunning) break;
  }
  if (accepted) {
    const QByteArray rest = process.readAllStandardOutput();
    accepted = rest.isEmpty() || take(rest);
  }
  if (!accepted) {
    process.kill();
    process.waitForFinished(-1);
    return false;
  }
  process.waitForFinished(-1);
  if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) return true;
  const std::string said = FirstLine(process.readAllStandardError());
  error = "il programma " + name + " si è interrotto" + (said.empty() ? std::string() : " (" + said + ")");
  return false;
}

// The end of the first statement of SQL text: just past the first ';' that completes it (one
// inside a quoted text, a comment or a trigger's body does not), or the end of the text.
size_t FirstStatementEnd(const std::string& text, size_t at = 0) {
  size_t end = text.find(';', at);
  while (end != std::string::npos && !sqlite3_complete(text.substr(at, end + 1 - at).c_str()))
    end = text.find(';', end + 1);
  return end == std::string::npos ? text.size() : end + 1;
}

// A name as the engine compares identifiers: ASCII letters in either case are the same.
std::string Folded(std::string name) {
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name;
}

// The recovery program runs the definitions stored in a file as it reads them, every statement
// of each: a definition that carries statements after its own would have them run. The file's
// definitions are read here first, through the engine, which runs nothing of them; the file goes
// to the recovery program only when all of them can be read and each is a single statement.
bool CheckStoredDefinitions(const std::string& path, std::string& error) {
  Connection conn;
  int rc = sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &conn.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  std::vector<StoredObject> objects;
  std::string failure;
  const bool read = rc == SQLITE_OK && ExecSql(conn.db, "PRAGMA writable_schema = ON", failure) &&
                    ReadStoredObjects(conn.db, objects, failure);
  if (!read) {
    if (failure.empty()) failure = EngineErrorText(conn.db, rc);
    error = "le definizioni delle tavole del file non si possono leggere tutte (" + failure + ")";
    return false;
  }
  constexpr size_t kShown = 120;
  const auto excerpt = [](const std::string& sql, size_t from) {
    std::string shown = cp1252::FromUtf8Lossy(sql.substr(from, kShown));
    for (char& c : shown)
      if (c == '\n' || c == '\r' || c == '\t' || c == '\0') c = ' ';
    return shown + (sql.size() - from > kShown ? "..." : "");
  };
  for (const StoredObject& object : objects) {
    const std::string &name = object.name, &sql = object.sql;
    if (sql.empty()) continue;  // the engine's own index of a key
    // Only tables and indexes: the program's files hold nothing else, and nothing else is made
    // without something of it being run (a trigger's body, a view's query, a module's table).
    size_t at = 0;
    const std::string verb = Folded(NextSqlName(sql, at));
    std::string kind = Folded(NextSqlName(sql, at));
    if (kind == "unique") kind = Folded(NextSqlName(sql, at));
    bool plain = verb == "create" && kind == "index";
    if (verb == "create" && kind == "table") {
      // Its name, then its fields: a table made by a query (CREATE TABLE ... AS SELECT) is not a
      // definition.
      if (Folded(NextSqlName(sql, at)) == "if") {
        NextSqlName(sql, at);  // NOT
        NextSqlName(sql, at);  // EXISTS
        NextSqlName(sql, at);
      }
      at = SkipSqlBlanks(sql, at);
      plain = at < sql.size() && sql[at] == '(';
    }
    if (!plain) {
      error = "la definizione di " + SqlName(cp1252::FromUtf8Lossy(name)) +
              " nel file non è quella di una tavola o di un indice, e non è stata eseguita:\n\n" + excerpt(sql, 0);
      return false;
    }
    // A zero byte would end the text where the recovery program reads it, and where this reads it.
    const size_t end = std::min(FirstStatementEnd(sql), sql.find('\0')), next = SkipSqlBlanks(sql, end);
    if (next >= sql.size()) continue;
    error = "la definizione di " + SqlName(cp1252::FromUtf8Lossy(name)) +
            " nel file porta con sé altre istruzioni, che non sono state eseguite:\n\n" + excerpt(sql, next);
    return false;
  }
  // As the program opens a file: its tables and indexes as the builder makes them, nothing else on them.
  const std::string unlike = SchemaFindingsText(SchemaObjectsUnlikeTheBuilder(objects));
  if (unlike.empty()) return true;
  error = "il file non è stato dato al recupero.\n\n" + unlike;
  return false;
}

// One prepared statement, finalized when it goes out of scope; `rc` is the engine's answer to its
// preparation.
struct Prepared {
  Prepared(sqlite3* db, const std::string& sql) : rc(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr)) {}
  ~Prepared() { sqlite3_finalize(st); }
  Prepared(const Prepared&) = delete;
  Prepared& operator=(const Prepared&) = delete;

  sqlite3_stmt* st = nullptr;
  const int rc;
};

// A date stored with a time of day ("2026-09-25 00:00:00", "2026-09-25T08:30:15.250", as other
// programs write one) at `column` of the current row: its date, the ISO text the layer writes, the
// time dropped as the readers drop it. False for any other value.
bool DateOfTimedDate(sqlite3_stmt* st, int column, std::string& date) {
  if (sqlite3_column_type(st, column) != SQLITE_TEXT) return false;
  const std::string_view text(reinterpret_cast<const char*>(sqlite3_column_text(st, column)),
                              static_cast<size_t>(sqlite3_column_bytes(st, column)));
  int year = 0, month = 0, day = 0;
  if (text.size() <= 10 || text[4] != '-' || !ParseDateText(text, year, month, day)) return false;
  date = IsoDate(year * 10000LL + month * 100 + day);
  return true;
}

// What the recovery program hands back is text written from the damaged file, its stored table
// definitions included, and a definition can carry statements of its own after it: nothing of it
// is run as it comes. The new file is built from the program's own dictionary; of the recovered
// text only the rows for its tables are taken, each statement on its own and only when the engine
// finds it one insert into one of those tables and nothing else. The recovery's own framing (its
// transaction, its pragmas, the definitions) is read and not run; every other statement stops the
// salvage. A row the new file does not take is held apart until every other row is in
// (PlaceHeldRows).
class RowLoader {
 public:
  explicit RowLoader(sqlite3* db) : db_(db) {
    for (const SchemaTable& table : SchemaTables()) known_.insert(Folded(table.name));
  }
  ~RowLoader() { sqlite3_set_authorizer(db_, nullptr, nullptr); }
  RowLoader(const RowLoader&) = delete;
  RowLoader& operator=(const RowLoader&) = delete;

  // Takes the next piece of the recovery's output: every statement it completes is taken at once.
  bool Add(const QByteArray& chunk) {
    text_.append(chunk.constData(), static_cast<size_t>(chunk.size()));
    size_t start = 0;  // of the statement being gathered
    size_t end = 0;
    while ((end = text_.find('\n', scanned_)) != std::string::npos) {
      scanned_ = end + 1;
      size_t last = end;
      while (last > start && (text_[last - 1] == '\r' || text_[last - 1] == ' ')) --last;
      if (last == start || text_[last - 1] != ';') continue;
      // A line that ends with ';' ends a statement unless it lies inside a quoted text.
      if (!sqlite3_complete(text_.substr(start, end - start).c_str())) continue;
      if (!TakeAll(text_.substr(start, end - start))) return false;
      start = end + 1;
    }
    text_.erase(0, start);
    scanned_ -= start;
    return true;
  }

  // The whole output has been read: nothing may be left half-said, the recovery's transaction
  // must have ended.
  bool Finish() {
    if (text_.find_first_not_of(" \r\n\t") != std::string::npos || inTransaction_) {
      error = "il recupero si è fermato a metà";
      return false;
    }
    return true;
  }

  // The tables of the program that the recovery found no definition of, in the order of the
  // schema and the dictionary's first two: their rows are not there to be taken.
  std::vector<std::string> Undefined() const {
    std::vector<std::string> out;
    for (const SchemaTable& table : SchemaTables())
      if (!defined_.count(Folded(table.name))) out.push_back(table.name);
    for (const char* table : {"tavole", "campi"})
      if (!defined_.count(table)) out.push_back(table);
    return out;
  }

  // Takes up the rows held apart, table by table in the schema's order, each in the order
  // recovered, written into the new file as plain inserts: a date stored with a time of day is its
  // date. A row the new file still does not admit is left out, counted in `left`, the first
  // kShortenedShown of them named in `named`; the trip of a stop row left out goes into the
  // temporary table stops_left_out, which must be there.
  bool PlaceHeldRows(long long& left, std::vector<std::string>& named) {
    if (!held_.db) return true;
    for (const SchemaTable& table : SchemaTables())
      if (!PlaceHeldRowsOf(table, left, named)) return false;
    return true;
  }

  long long unplaced = 0;  // rows for tables that are not the program's (those of lost pages)
  std::string error;

 private:
  static size_t SkipBlanks(const std::string& text, size_t at) { return SkipSqlBlanks(text, at); }

  // Takes every statement of a complete piece of text, one at a time.
  bool TakeAll(const std::string& text) {
    size_t at = SkipBlanks(text, 0);
    while (at < text.size()) {
      const size_t end = FirstStatementEnd(text, at);
      if (!Take(text.substr(at, end - at))) return false;
      at = SkipBlanks(text, end);
    }
    return true;
  }

  bool Take(const std::string& statement) {
    size_t at = 0;
    const std::string verb = Folded(NextSqlName(statement, at));
    if (verb == "begin") return inTransaction_ = true;
    if (verb == "commit" || verb == "end") {
      inTransaction_ = false;
      return true;
    }
    if (verb == "pragma") return true;  // the damaged file's settings: the new file has its own
    if (verb == "create") {
      // The damaged file's definitions: only the names of its tables are noted.
      if (Folded(NextSqlName(statement, at)) != "table") return true;
      std::string name = NextSqlName(statement, at);
      if (Folded(name) == "if") {
        NextSqlName(statement, at);
        NextSqlName(statement, at);
        name = NextSqlName(statement, at);
      }
      defined_.insert(Folded(name));
      return true;
    }
    if (verb == "insert") {
      std::string word = Folded(NextSqlName(statement, at));
      if (word == "or") {
        NextSqlName(statement, at);
        word = Folded(NextSqlName(statement, at));
      }
      const std::string table = word == "into" ? Folded(NextSqlName(statement, at)) : std::string();
      const size_t after = SkipBlanks(statement, at);
      if (!table.empty() && (after >= statement.size() || statement[after] != '.')) {
        if (known_.count(table)) return Insert(statement, table);
        // The dictionary is the program's own, and so are the engine's tables.
        if (table == "tavole" || table == "campi" || table == "indici" || table == "indici2" || table == "relaz" ||
            table == "relaz2" || table == "utenti" || table.rfind("sqlite_", 0) == 0)
          return true;
        ++unplaced;  // rows of a table that is not the program's, those of lost pages among them
        return true;
      }
    }
    return Refuse(statement);
  }

  bool Refuse(const std::string& statement) {
    constexpr size_t kShown = 120;
    std::string shown = cp1252::FromUtf8Lossy(statement.substr(0, kShown));
    for (char& c : shown)
      if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    error =
        "il file contiene istruzioni che non sono dati delle tavole del programma; non sono state eseguite e il file "
        "non viene ripreso:\n\n" +
        shown + (statement.size() > kShown ? "..." : "");
    return false;
  }

  // What the engine is asked while it prepares one row: an insert into the table named, in the
  // new file, and the functions that write a text's control characters; nothing else.
  struct Asked {
    std::string table;
    int inserts = 0;
    bool denied = false;
  };

  static int Authorize(void* context, int action, const char* first, const char* second, const char* database,
                       const char*) {
    Asked& asked = *static_cast<Asked*>(context);
    if (action == SQLITE_INSERT && first && database && std::strcmp(database, "main") == 0 &&
        Folded(first) == asked.table) {
      ++asked.inserts;
      return SQLITE_OK;
    }
    if (action == SQLITE_FUNCTION && second &&
        (Folded(second) == "char" || Folded(second) == "replace" || Folded(second) == "unistr"))
      return SQLITE_OK;
    asked.denied = true;
    return SQLITE_DENY;
  }

  // Runs one row for `table` on `db`, once the engine finds it a single insert into that table
  // alone: false when it is none (nothing run); otherwise the engine's result in `rc`, with its
  // message.
  static bool RunRow(sqlite3* db, const std::string& statement, const std::string& table, int& rc,
                     std::string& message) {
    Asked asked;
    asked.table = table;
    sqlite3_set_authorizer(db, Authorize, &asked);
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    // The authorizer stays while the row is written: a statement prepared again is asked again.
    rc = sqlite3_prepare_v2(db, statement.c_str(), static_cast<int>(statement.size()), &st, &tail);
    const bool alone = tail && SkipBlanks(statement, static_cast<size_t>(tail - statement.c_str())) >= statement.size();
    bool refused =
        rc == SQLITE_OK && (!st || asked.denied || asked.inserts != 1 || !alone || sqlite3_stmt_readonly(st));
    if (rc == SQLITE_OK && !refused) {
      while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      }
    }
    refused = refused || asked.denied;
    message = cp1252::FromUtf8Lossy(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    sqlite3_set_authorizer(db, nullptr, nullptr);
    return !refused;
  }

  bool Insert(const std::string& statement, const std::string& table) {
    int rc = SQLITE_OK;
    std::string message;
    if (!RunRow(db_, statement, table, rc, message)) return Refuse(statement);
    // The recovery writes each row as INSERT OR IGNORE: a row the new file does not take (a value
    // its field does not admit, a key taken already) would be gone without a word.
    if (rc == SQLITE_DONE && sqlite3_changes64(db_) > 0) return true;
    if (rc == SQLITE_DONE || (rc & 0xff) == SQLITE_CONSTRAINT) return Hold(statement, table);
    error = "il nuovo file ha rifiutato i dati recuperati (" + message + ")";
    return false;
  }

  // Keeps a row the new file did not take apart, as the recovery wrote it, in a database in memory
  // whose tables are the program's without any rule; PlaceHeldRows takes it up.
  bool Hold(const std::string& statement, const std::string& table) {
    if (!held_.db) {
      std::string sql;
      for (const SchemaTable& t : SchemaTables()) {
        sql += "CREATE TABLE " + SqlName(t.name) + " (";
        for (size_t k = 0; k < t.fields.size(); ++k) sql += (k ? ", " : "") + SqlName(t.fields[k]);
        sql += ");";
      }
      const int rc = sqlite3_open_v2(":memory:", &held_.db,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
      if (rc != SQLITE_OK) error = EngineErrorText(held_.db, rc);
      if (rc != SQLITE_OK || !ExecSql(held_.db, sql, error)) {
        held_.Close();
        return false;
      }
    }
    int rc = SQLITE_OK;
    std::string message;
    if (!RunRow(held_.db, statement, table, rc, message)) return Refuse(statement);
    if (rc == SQLITE_DONE) return true;
    error = "il nuovo file ha rifiutato i dati recuperati (" + message + ")";
    return false;
  }

  // A column of a table of the new file, as its rows held apart are taken up.
  struct HeldColumn {
    std::string name;
    bool date = false;
    int key = 0;  // its place in the table's key, from 1; 0 when it is none of it
  };

  bool PlaceFailed(sqlite3* db) {
    error = "il nuovo file ha rifiutato i dati recuperati (" + cp1252::FromUtf8Lossy(sqlite3_errmsg(db)) + ")";
    return false;
  }

  // The row held at `held` (its columns' literals after its values) that the new file refused with
  // `code`, as the report names it: "Riga (id 7, sub 0) della tavola "detcor": il campo "fermata"
  // vale X'323134'".
  std::string LeftOutLine(const std::string& table, const std::vector<HeldColumn>& columns, sqlite3_stmt* held,
                          int code) const {
    const int count = static_cast<int>(columns.size());
    const auto literal = [&](int k) {
      constexpr size_t kShown = 60;
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(held, count + k));
      std::string shown = cp1252::FromUtf8Lossy(text ? text : "");
      for (char& c : shown)
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
      return shown.size() > kShown ? shown.substr(0, kShown) + "..." : shown;
    };
    std::string key;
    for (int place = 1; place <= count; ++place)
      for (int k = 0; k < count; ++k)
        if (columns[k].key == place) key += (key.empty() ? "" : ", ") + columns[k].name + " " + literal(k);
    const std::string message = sqlite3_errmsg(db_);
    std::string what = cp1252::FromUtf8Lossy(message);
    if (code == SQLITE_CONSTRAINT_PRIMARYKEY || code == SQLITE_CONSTRAINT_UNIQUE) {
      what = "un'altra riga recuperata ha la stessa chiave";
    } else if (code == SQLITE_CONSTRAINT_CHECK || code == SQLITE_CONSTRAINT_NOTNULL) {
      // The engine names the rule, "CHECK constraint failed: <field>__kind", or the field, "NOT NULL
      // constraint failed: <table>.<field>".
      const size_t named = message.find(": ");
      std::string field = named == std::string::npos ? std::string() : message.substr(named + 2);
      field = code == SQLITE_CONSTRAINT_CHECK ? field.substr(0, field.rfind("__")) : field.substr(field.rfind('.') + 1);
      for (int k = 0; k < count; ++k)
        if (columns[k].name == field)
          what = "il campo " + SqlName(field) +
                 (sqlite3_column_type(held, k) == SQLITE_NULL ? " è vuoto" : " vale " + literal(k));
    }
    return "Riga (" + key + ") della tavola " + SqlName(table) + ": " + what;
  }

  // Takes up the rows of one table held apart (see PlaceHeldRows).
  bool PlaceHeldRowsOf(const SchemaTable& table, long long& left, std::vector<std::string>& named) {
    std::vector<HeldColumn> columns;
    const std::string name = SqlName(table.name);
    if (!EachRow(
            db_, ("SELECT name, type, pk FROM pragma_table_info(" + SqlQuote(table.name) + ") ORDER BY cid").c_str(),
            [&columns](sqlite3_stmt* st) {
              const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
              columns.push_back({reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                 type && FieldTypeFromDeclared(type).letter == 'D', sqlite3_column_int(st, 2)});
            },
            error))
      return false;
    const int count = static_cast<int>(columns.size());
    std::string names, values, literals;
    for (int k = 0; k < count; ++k) {
      names += (k ? ", " : "") + SqlName(columns[k].name);
      values += (k ? ", ?" : "?") + std::to_string(k + 1);
      literals += ", quote(" + SqlName(columns[k].name) + ")";
    }
    // A stop row left out has its trip named among those that lost stops: its id.
    const int tripAt = table.name == "detcor"
                           ? static_cast<int>(std::find_if(columns.begin(), columns.end(),
                                                           [](const HeldColumn& c) { return c.name == "id"; }) -
                                              columns.begin())
                           : count;
    const Prepared held(held_.db, "SELECT " + names + literals + " FROM " + name + " ORDER BY rowid");
    const Prepared insert(db_, "INSERT INTO main." + name + " (" + names + ") VALUES (" + values + ")");
    const Prepared stop(db_, "INSERT INTO temp.stops_left_out VALUES (?1)");
    if (held.rc != SQLITE_OK) return PlaceFailed(held_.db);
    if (insert.rc != SQLITE_OK || stop.rc != SQLITE_OK) return PlaceFailed(db_);
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(held.st)) == SQLITE_ROW) {
      std::vector<std::string> dates(static_cast<size_t>(count));
      for (int k = 0; k < count; ++k) {
        std::string& date = dates[static_cast<size_t>(k)];
        if (columns[k].date && DateOfTimedDate(held.st, k, date))
          rc = sqlite3_bind_text(insert.st, k + 1, date.c_str(), static_cast<int>(date.size()), SQLITE_STATIC);
        else
          rc = sqlite3_bind_value(insert.st, k + 1, sqlite3_column_value(held.st, k));
        if (rc != SQLITE_OK) return PlaceFailed(db_);
      }
      rc = sqlite3_step(insert.st);
      if (rc != SQLITE_DONE && (rc & 0xff) != SQLITE_CONSTRAINT) return PlaceFailed(db_);
      if (rc != SQLITE_DONE) {
        if (named.size() < kShortenedShown)
          named.push_back(LeftOutLine(table.name, columns, held.st, sqlite3_extended_errcode(db_)));
        ++left;
        if (tripAt < count && sqlite3_column_type(held.st, tripAt) == SQLITE_INTEGER) {
          sqlite3_bind_int64(stop.st, 1, sqlite3_column_int64(held.st, tripAt));
          if (sqlite3_step(stop.st) != SQLITE_DONE) return PlaceFailed(db_);
          sqlite3_reset(stop.st);
        }
      }
      sqlite3_reset(insert.st);
    }
    return rc == SQLITE_DONE || PlaceFailed(held_.db);
  }

  sqlite3* db_;
  Connection held_;  // the rows the new file did not take, once there is one
  std::set<std::string> known_, defined_;
  std::string text_;
  size_t scanned_ = 0;
  bool inTransaction_ = false;
};

// True when another connection, of this program or another, has the file open: the engine then
// refuses this one the file to itself.
bool OpenElsewhere(const std::string& path) {
  sqlite3* db = nullptr;
  bool busy = false;
  if (sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) ==
      SQLITE_OK) {
    const int rc =
        sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT", nullptr, nullptr, nullptr);
    busy = rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
  }
  sqlite3_close_v2(db);
  return busy;
}

// The size of a file; -1 when there is none.
long long FileSize(const std::string& path) {
  struct stat info {};
  return stat(cp1252::ToUtf8(path).c_str(), &info) == 0 ? info.st_size : -1;
}

// True when both names lead to one and the same file.
bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return stat(cp1252::ToUtf8(a).c_str(), &first) == 0 && stat(cp1252::ToUtf8(b).c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// Whether the file alone holds its whole database, nobody else having it open; false with the
// reason otherwise. The connection that takes the file to itself for a moment is its last, and
// folds the write-ahead log into it as it closes: a log left with anything in it, or a rollback
// journal, would be played by the engine onto whatever file has the name next, the new file of a
// salvage too.
bool TakeAlone(const std::string& path, std::string& error) {
  if (OpenElsewhere(path))
    error = "il file è aperto, in questo o in un altro programma: chiuderlo prima di ripararlo";
  else if (FileSize(path + "-wal") > 0 || FileSize(path + "-journal") > 0)
    error = "il registro delle scritture del file non può essere riportato nel file";
  else
    return true;
  return false;
}

// Gives the damaged file a second name, "<name>.danneggiato", or "<name>.danneggiato-2", "-3"...
// when that name, or one of its side files, is taken. The name a salvage stopped half-way gave
// this same file is given again, and the empty log and shared-memory index that a recovery killed
// with it left beside that name go. The damaged file keeps its own name meanwhile, so that the
// name always holds a whole file. Nobody else has the file open (TakeAlone).
bool LinkAside(const std::string& path, std::string& aside, std::string& error) {
  for (int n = 1;; ++n) {
    aside = path + ".danneggiato" + (n == 1 ? std::string() : "-" + std::to_string(n));
    if (SameFile(path, aside) && FileSize(aside + "-wal") <= 0 && FileSize(aside + "-journal") <= 0) {
      for (const char* side : kDatabaseCompanions) unlink(cp1252::ToUtf8(aside + side).c_str());
      return true;
    }
    bool taken = false;
    for (const char* side : kDatabaseCompanions) taken = taken || FileExists(aside + side);
    if (taken) continue;
    if (FileExists(aside)) continue;
    if (link(cp1252::ToUtf8(path).c_str(), cp1252::ToUtf8(aside).c_str()) == 0) return true;
    if (errno == EEXIST) continue;
    error = std::strerror(errno);
    return false;
  }
}

// Tells a test that a step of the salvage is done on the disk.
void Told(const RepairOptions& options, const std::string& done) {
  if (options.step) options.step(done);
}

// The rows of every table: those the dictionary lists, in its order, then the others (the
// dictionary's own) in the order they were made.
bool CountRows(sqlite3* db, std::vector<TableRows>& out, std::string& error) {
  const char* const kOrder =
      "SELECT name FROM sqlite_schema s WHERE type = 'table' AND name NOT LIKE 'sqlite!_%' ESCAPE '!' ORDER BY "
      "(SELECT min(rowid) FROM tavole t WHERE rtrim(t.nome) = s.name COLLATE NOCASE) IS NULL, "
      "(SELECT min(rowid) FROM tavole t WHERE rtrim(t.nome) = s.name COLLATE NOCASE), s.rowid";
  std::vector<std::vector<std::string>> tables, count;
  if (!QueryRows(db, kOrder, tables, error)) return false;
  for (const std::vector<std::string>& table : tables) {
    if (!QueryRows(db, "SELECT count(*) FROM " + SqlName(table[0]), count, error)) return false;
    out.push_back({table[0], std::stoll(count[0][0])});
  }
  return true;
}

// The trips that lost stop rows with the damaged pages, by trip id: a head without stops, stops
// without their head, and a trip whose stops no longer run from its departure to its arrival
// without a break, which the stops of a whole trip do: the first stop leaves at the head's
// departure, the last arrives at its arrival, the stop numbers rise by one step all along.
bool FindShortenedTrips(sqlite3* db, std::vector<ShortenedTrip>& out, std::string& error) {
  static const char* const kQuery =
      "WITH s AS (SELECT id, sub - lag(sub) OVER w AS step, row_number() OVER w AS n, count(*) OVER "
      "(PARTITION BY id) AS total, arriva, parte FROM detcor WINDOW w AS (PARTITION BY id ORDER BY sub)), "
      "p AS (SELECT id, max(total) AS total, min(step) AS low, max(step) AS high, "
      "max(CASE WHEN n = 1 THEN parte END) AS parte, max(CASE WHEN n = total THEN arriva END) AS arriva "
      "FROM s GROUP BY id) "
      "SELECT t.id, rtrim(t.codcorsa), p.id IS NULL FROM tescor t LEFT JOIN p ON p.id = t.id WHERE p.id IS NULL "
      "OR p.total < 2 OR p.low <> p.high OR p.parte IS NOT t.parte OR p.arriva IS NOT t.arriva "
      "UNION ALL SELECT id, NULL, 2 FROM p WHERE id NOT IN (SELECT id FROM tescor) ORDER BY 1";
  return EachRow(
      db, kQuery,
      [&out](sqlite3_stmt* st) {
        ShortenedTrip& trip = out.emplace_back();
        trip.id = sqlite3_column_int64(st, 0);
        const unsigned char* code = sqlite3_column_text(st, 1);
        trip.code = code ? cp1252::FromUtf8Lossy(reinterpret_cast<const char*>(code)) : std::string();
        trip.lost = static_cast<ShortenedTrip::Lost>(sqlite3_column_int(st, 2));
      },
      error);
}

// A stop whose one fault is that its locality was lost (its trip is there): it keeps its place in
// its trip, in the locality 0, the one a stop takes when none is known, when the file still holds
// that one.
const char* const kStopOfLostLocality =
    "detcor.reglocal IS NOT NULL AND NOT EXISTS (SELECT 1 FROM local WHERE local.id = detcor.reglocal) "
    "AND EXISTS (SELECT 1 FROM tescor WHERE tescor.id = detcor.id) AND EXISTS (SELECT 1 FROM local WHERE local.id = 0)";

// Puts the stops whose locality was lost in the locality 0; `out` names their trips, by id.
bool KeepStopsOfLostLocalities(sqlite3* db, std::vector<RelocatedTrip>& out, std::string& error) {
  const std::string trips = std::string(
                                "SELECT detcor.id, rtrim(tescor.codcorsa), count(*) FROM detcor JOIN tescor ON "
                                "tescor.id = detcor.id WHERE ") +
                            kStopOfLostLocality + " GROUP BY detcor.id ORDER BY detcor.id";
  return EachRow(
             db, trips.c_str(),
             [&out](sqlite3_stmt* st) {
               const unsigned char* code = sqlite3_column_text(st, 1);
               out.push_back({sqlite3_column_int64(st, 0),
                              code ? cp1252::FromUtf8Lossy(reinterpret_cast<const char*>(code)) : std::string(),
                              sqlite3_column_int64(st, 2)});
             },
             error) &&
         ExecSql(db, std::string("UPDATE detcor SET reglocal = 0 WHERE ") + kStopOfLostLocality, error);
}

// Leaves out the rows that refer to a row lost (DropRowsThatBreakRelations, counted in `dropped`)
// and names in `trips`, among the trips it names already (by id), each trip that lost stops so or
// before, as the rows the new file did not admit were left out (the temporary table stops_left_out).
bool DropRowsNamingTrips(sqlite3* db, long long& dropped, std::vector<ShortenedTrip>& trips, std::string& error) {
  // The stops of each trip as recovered: those in the file and those left out before (stops_left_out).
  if (!ExecSql(db,
               "CREATE TEMP TABLE stops_before AS SELECT id, count(*) AS n FROM (SELECT id FROM detcor UNION ALL "
               "SELECT id FROM temp.stops_left_out) GROUP BY id",
               error) ||
      !DropRowsThatBreakRelations(db, dropped, error))
    return false;
  static const char* const kShortened =
      "SELECT id, code, kept FROM (SELECT b.id, rtrim(t.codcorsa) AS code, b.n AS before, (SELECT count(*) FROM "
      "detcor d WHERE d.id = b.id) AS kept FROM temp.stops_before b JOIN tescor t ON t.id = b.id) WHERE kept < before "
      "ORDER BY id";
  if (!EachRow(
          db, kShortened,
          [&trips](sqlite3_stmt* st) {
            const long long id = sqlite3_column_int64(st, 0);
            const ShortenedTrip::Lost lost =
                sqlite3_column_int64(st, 2) == 0 ? ShortenedTrip::All : ShortenedTrip::Stops;
            const auto named =
                std::find_if(trips.begin(), trips.end(), [id](const ShortenedTrip& trip) { return trip.id == id; });
            if (named != trips.end()) {
              if (lost == ShortenedTrip::All) named->lost = lost;
              return;
            }
            const unsigned char* code = sqlite3_column_text(st, 1);
            trips.push_back(
                {id, code ? cp1252::FromUtf8Lossy(reinterpret_cast<const char*>(code)) : std::string(), lost});
          },
          error) ||
      !ExecSql(db, "DROP TABLE temp.stops_before; DROP TABLE temp.stops_left_out", error))
    return false;
  std::stable_sort(trips.begin(), trips.end(),
                   [](const ShortenedTrip& a, const ShortenedTrip& b) { return a.id < b.id; });
  return true;
}

// Builds a new scratch file from the program's dictionary, takes into it the rows the recovery
// program reads from the damaged file for the program's tables, and checks it: every table's
// definition recovered, the file sound. Fills the counts of `result`; the scratch file is left
// complete and closed.
bool RecoverInto(const RepairOptions& options, const QString& program, const std::string& damaged,
                 const std::string& scratch, RepairResult& result, std::string& error) {
  if (!BuildEmptyTimetableFile(scratch, error)) {
    error = "il nuovo file non può essere creato (" + error + ")";
    return false;
  }
  Connection conn;
  const int rc =
      sqlite3_open_v2(cp1252::ToUtf8(scratch).c_str(), &conn.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    error = EngineErrorText(conn.db, rc);
    return false;
  }
  sqlite3_extended_result_codes(conn.db, 1);
  WatchEngineProgress(conn.db);
  if (!ExecSql(conn.db, "BEGIN; CREATE TEMP TABLE stops_left_out (id INTEGER)", error)) return false;
  {
    RowLoader loader(conn.db);
    // The free pages hold rows deleted long ago: they are not brought back.
    const QStringList arguments{QStringLiteral("-batch"), QStringLiteral("-init"), QProcess::nullDevice(),
                                QFileInfo(cp1252::ToQString(damaged)).absoluteFilePath(),
                                QStringLiteral(".recover --ignore-freelist")};
    bool begun = false;
    const auto take = [&](const QByteArray& chunk) {
      if (!begun) Told(options, "began the recovery of " + damaged);
      begun = true;
      return loader.Add(chunk);
    };
    if (!RunProgram(program, arguments, take, options.pump, error)) {
      if (!loader.error.empty()) error = loader.error;
      return false;
    }
    if (!loader.Finish()) {
      error = loader.error;
      return false;
    }
    // A table whose definition was lost has its rows among those found outside every table.
    const std::vector<std::string> undefined = loader.Undefined();
    if (!undefined.empty()) {
      error = "il file recuperato è incompleto.\n\nIl database non corrisponde al suo dizionario dei dati:\n";
      for (const std::string& table : undefined) error += "\nManca la tavola " + SqlName(table);
      return false;
    }
    if (!loader.PlaceHeldRows(result.refusedRows, result.refused)) {
      error = loader.error;
      return false;
    }
    result.unplacedRows = loader.unplaced;
  }
  if (!ExecSql(conn.db, "COMMIT", error)) return false;
  if (CheckConnection(conn.db, CheckDepth::Full, error) != Soundness::Sound) {
    error = "il file recuperato non è integro (" + error + ")";
    return false;
  }
  // The trips are told as the recovery found them (stops whose head was lost among them); then the
  // stops whose locality alone was lost take the locality 0, and the other rows that refer to a row
  // lost go, for the new file keeps the builder's relations as every file the program opens must:
  // a trip that loses a stop so is named too.
  if (!FindShortenedTrips(conn.db, result.shortened, error) ||
      !KeepStopsOfLostLocalities(conn.db, result.relocated, error) ||
      !DropRowsNamingTrips(conn.db, result.orphanRows, result.shortened, error) ||
      !CountRows(conn.db, result.recovered, error))
    return false;
  return CloseScratchFile(conn.Release(), scratch, error);
}

const char* const kRepairCaption = "Riparazione database";

// The repair refused: nothing changed, and `text` says why.
void Refuse(RepairResult& result, std::string text) {
  result.ok = false;
  result.Tell(std::move(text), NoticeIcon::Exclamation, kRepairCaption);
}

// What the user is told of a salvaged file.
std::string SalvageReport(const std::string& path, const RepairResult& result) {
  std::string text =
      "Il file del database era danneggiato: i dati ancora leggibili sono stati recuperati in un nuovo file, "
      "che ne ha preso il nome.\n\n" +
      path + "\n\nRighe recuperate per tavola:";
  for (const TableRows& table : result.recovered) text += "\n" + table.table + ": " + std::to_string(table.rows);
  // A list of trips (or rows), twenty at most, the others counted.
  const auto list = [&text](const std::string& heading, size_t count, const std::function<std::string(size_t)>& line,
                            const char* others) {
    if (count == 0) return;
    text += heading;
    for (size_t k = 0; k < count && k < kShortenedShown; ++k) text += "\n" + line(k);
    if (count > kShortenedShown) text += "\n... e altre " + std::to_string(count - kShortenedShown) + " " + others;
  };
  list(
      "\n\nCorse che hanno perso fermate, da controllare prima di inviarle alla Regione:", result.shortened.size(),
      [&result](size_t k) {
        const ShortenedTrip& trip = result.shortened[k];
        return std::to_string(trip.id) + (trip.lost == ShortenedTrip::Head ? "" : " " + trip.code) +
               (trip.lost == ShortenedTrip::Stops ? ": fermate mancanti"
                : trip.lost == ShortenedTrip::All ? ": nessuna fermata"
                                                  : ": testata perduta");
      },
      "corse");
  list(
      "\n\nCorse con fermate la cui località è andata persa, riportate nella località 0 (non assegnata):",
      result.relocated.size(),
      [&result](size_t k) {
        const RelocatedTrip& trip = result.relocated[k];
        return std::to_string(trip.id) + " " + trip.code + ": " + std::to_string(trip.stops) +
               (trip.stops == 1 ? " fermata" : " fermate");
      },
      "corse");
  text +=
      "\n\nLe righe che stavano nelle parti illeggibili del file, se ve n'erano, sono andate perse: controllare i "
      "dati.";
  if (result.orphanRows > 0)
    text += "\nRighe che rimandavano a righe andate perse, non riportate: " + std::to_string(result.orphanRows) + ".";
  if (result.unplacedRows > 0)
    text += "\nRighe trovate fuori da ogni tavola, non riportate: " + std::to_string(result.unplacedRows) + ".";
  list(
      "\n\nRighe che il nuovo file non ammette, non riportate: " + std::to_string(result.refusedRows) + ".",
      static_cast<size_t>(result.refusedRows), [&result](size_t k) { return result.refused[k]; }, "righe");
  return text + "\n\nIl file danneggiato è stato conservato come:\n" + result.damagedPath;
}

// Salvages a damaged file (see RepairDatabase); `findings` is what the check found wrong.
void Salvage(const RepairOptions& options, const std::string& findings, RepairResult& result) {
  const std::string& path = options.path;
  std::string error;
  const auto fail = [&](const std::string& why) {
    result = RepairResult{};
    Refuse(result, RepairFailure(path, findings + "\n\nNon è stato possibile recuperarne i dati: " + why));
  };
  // Its log folded into it, the name alone holds the whole damaged file until the new one replaces it.
  if (!TakeAlone(path, error)) return fail(error);
  Told(options, "folded the log of " + path);
  if (!CheckStoredDefinitions(path, error)) return fail(error);
  const QString program = FindProgram(options.recoverProgram);
  if (program.isEmpty())
    return fail("il programma " + options.recoverProgram + ", che legge un file danneggiato, non è stato trovato");
  const auto ignore = [](const QByteArray&) { return true; };
  if (!RunProgram(program,
                  {QStringLiteral("-batch"), QStringLiteral("-init"), QProcess::nullDevice(),
                   QStringLiteral(":memory:"), QStringLiteral("SELECT count(*) FROM sqlite_dbpage")},
                  ignore, options.pump, error))
    return fail("il programma " + cp1252::FromQStringLossy(program) +
                " non sa leggere le pagine di un file (è privo della tavola sqlite_dbpage)");
  std::string aside;
  if (!LinkAside(path, aside, error)) return fail("il file non può essere messo da parte (" + error + ")");
  Told(options, "linked " + path + " as " + aside);
  const std::string scratch = ScratchPathBeside(path);
  bool salvaged = RecoverInto(options, program, aside, scratch, result, error);
  if (salvaged) {
    Told(options, "recovered into " + scratch);
    // Nothing of the damaged file may be left beside the name for the engine to play onto the new one.
    salvaged = TakeAlone(path, error);
    if (salvaged && !SameFile(path, aside)) {
      error = "il file è stato sostituito durante il recupero";
      salvaged = false;
    }
  }
  if (salvaged) {
    for (const char* side : {"-wal", "-shm"}) unlink(cp1252::ToUtf8(path + side).c_str());
    Told(options, "removed the side files of " + path);
    // The new file bears the scratch mark until it takes the name: until then, a salvage killed
    // half-way leaves it for the next one to remove.
    Connection made;
    const int rc = sqlite3_open_v2(cp1252::ToUtf8(scratch).c_str(), &made.db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) error = EngineErrorText(made.db, rc);
    salvaged = rc == SQLITE_OK && MarkAsOurs(made.db, error) && made.Close(&error);
  }
  if (salvaged) {
    salvaged = std::rename(cp1252::ToUtf8(scratch).c_str(), cp1252::ToUtf8(path).c_str()) == 0;
    if (!salvaged) error = "Impossibile dare al file il nome scelto (" + std::string(std::strerror(errno)) + ")";
  }
  if (salvaged) {
    ClearScratchVersionOf(path);
    Told(options, "renamed " + scratch + " over " + path);
    result.outcome = RepairOutcome::Salvaged;
    result.damagedPath = aside;
    result.ok = true;
    result.Tell(SalvageReport(path, result), NoticeIcon::Exclamation, kRepairCaption);
    return;
  }
  RemoveScratchFile(scratch);
  std::string why = error;
  // The damaged file has kept its name: its second name goes, with what the recovery left beside it.
  if (SameFile(path, aside))
    RemoveScratchFile(aside);
  else
    why += "\n\nIl file danneggiato è rimasto come:\n" + aside;
  fail(why);
}

}  // namespace

bool CheckDatabaseFile(const std::string& path, CheckDepth depth, std::string& error, bool* damaged) {
  Connection conn;
  const Soundness state = OpenOurs(path, conn, error) ? CheckConnection(conn.db, depth, error) : Soundness::Unknown;
  if (damaged) *damaged = state == Soundness::Damaged;
  return state == Soundness::Sound;
}

std::string StoredSchemaDigest(const std::string& path) {
  Connection conn;
  std::string error, digest;
  if (!OpenOurs(path, conn, error) || !SchemaDigest(conn.db, digest, error)) return {};
  return digest;
}

Outcome CheckDatabaseToOpen(const std::string& path, bool* damaged) {
  Outcome checked;
  std::string error;
  Connection conn;
  const bool ours = OpenOurs(path, conn, error);
  // A file an earlier build wrote is brought forward by its open: every row copied into a new file
  // under the builder's rules, which judge each value, its indexes made anew from the copy and the
  // relations checked on it before it takes the file's place. Here none of its pages is read: the
  // copy reads every page of its tables, and refuses it as damaged when one cannot be read; its old
  // indexes are dropped unread, and its values and relations would be judged twice.
  const bool forward = ours && HoldsEarlierTables(conn.db);
  const Soundness state = !ours     ? Soundness::Unknown
                          : forward ? Soundness::Sound
                                    : CheckConnection(conn.db, CheckDepth::Full, error);
  if (damaged) *damaged = state == Soundness::Damaged;
  // Sound pages, then the tables as the open compares them, then the rows' relations, which the
  // engine checks only when asked (and only on the builder's tables).
  if (state == Soundness::Sound && CheckTablesAgainstDictionary(conn.db, error) &&
      (forward || CheckRelations(conn.db, error)))
    checked.Succeed();
  else
    checked.Fail("Errore in fase di apertura del database\n\n" + error);
  return checked;
}

namespace {

bool Duplicate(const std::string& source, const std::string& destination, std::string& error) {
  if (destination.empty()) {
    error = "Nessun file di destinazione indicato";
    return false;
  }
  if (!DatabaseNameFree(destination, "Il file di destinazione esiste già", error)) return false;
  Connection from;
  if (!OpenOurs(source, from, error, false) ||
      CheckConnection(from.db, CheckDepth::Quick, error, Undone::Files) != Soundness::Sound)
    return false;
  const std::string scratch = ScratchPathBeside(destination);
  bool copied = VacuumInto(from.db, scratch, error) && from.Close(&error);
  if (copied) {
    // The copy is checked as a file of its own before it takes its name.
    Connection to;
    copied = OpenOurs(scratch, to, error) && CheckConnection(to.db, CheckDepth::Quick, error) == Soundness::Sound &&
             CloseScratchFile(to.Release(), scratch, error) && MoveIntoPlace(scratch, destination, error);
  }
  if (!copied) RemoveScratchFile(scratch);
  return copied;
}

}  // namespace

Outcome DuplicateDatabaseFile(const std::string& source, const std::string& destination) {
  Outcome outcome;
  std::string error;
  if (Duplicate(source, destination, error)) {
    outcome.ok = true;
    return outcome;
  }
  outcome.Tell("Errore durante la duplicazione del database\n\n" + source + "\n" + destination + "\n\n" + error,
               NoticeIcon::Exclamation, "Duplicazione database");
  return outcome;
}

namespace {

// Folds the write-ahead log into the file as far as the other connections let it: a file rebuilt
// while the program has it open is compact at once, not at the program's next checkpoint. True
// whatever was folded (the rest is folded by the next checkpoint).
bool FoldLog(sqlite3* db) {
  sqlite3_wal_checkpoint_v2(db, "main", SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
  return true;
}

// A sound file is rebuilt without its free pages; one an earlier build wrote, by the copy that
// brings it forward (BringDefinitionsForward), which judges each value by the builder's rules.
bool Rebuild(const std::string& path, Connection& conn, std::string& error) {
  if (!HoldsEarlierTables(conn.db)) return ExecSql(conn.db, "VACUUM", error) && FoldLog(conn.db);
  const std::string fsPath = cp1252::ToUtf8(path);
  const ReopenDatabase reopen = [&fsPath](std::string& reason) -> sqlite3* {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(fsPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK) return db;
    reason = EngineErrorText(db, rc);
    sqlite3_close_v2(db);
    return nullptr;
  };
  return BringDefinitionsForward(conn.db, path, reopen, error, nullptr, Undone::Changes);
}

}  // namespace

RepairResult RepairDatabase(const RepairOptions& options) {
  RepairResult result;
  std::string error;
  Connection conn;
  const bool ours = OpenOurs(options.path, conn, error);
  // What a repair of the file killed half-way left beside it goes first.
  if (ours) RemoveScratchFilesLeftBeside(options.path);
  const Soundness state =
      ours ? CheckConnection(conn.db, CheckDepth::Full, error, Undone::Changes) : Soundness::Unknown;
  if (state == Soundness::Damaged) {
    conn.Close();
    Salvage(options, error, result);
  } else if (state == Soundness::Sound && CheckTablesAgainstDictionary(conn.db, error) &&
             CheckRelations(conn.db, error)) {
    // A sound file that lacks a table or a field of its dictionary, or whose rows break a relation,
    // is refused, as its open refuses it, and left as it is: a rebuild cannot give it back what it
    // lacks.
    if (Rebuild(options.path, conn, error) && conn.Close(&error)) {
      result.outcome = RepairOutcome::Rebuilt;
      result.ok = true;
    } else {
      // A rebuild stopped by anything (a full disk) keeps nothing of it; a refused value says so itself.
      const std::string_view kept = UndoneText(Undone::Changes);
      if (!std::string_view(error).ends_with(kept)) error += "\n\n" + std::string(kRebuildLeftAsItWas);
      Refuse(result, RepairFailure(options.path, error));
    }
  } else {
    // Rows that break a relation are no damage: a rebuild would keep them, a salvage is no cure.
    if (std::string_view(error).starts_with(kRowsBreakingRelations))
      error +=
          "\n\nIl file non è danneggiato: la riparazione non può correggere queste righe e il file è rimasto "
          "com'era. Correggere le righe indicate prima di usare il database.";
    Refuse(result, RepairFailure(options.path, error));
  }
  return result;
}
