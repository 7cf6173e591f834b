#include "db/DbMaintenance.h"

#include "common/ByteOrder.h"
#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "db/DbDdl.h"
#include "db/DbError.h"
#include "db/DbFile.h"
#include "db/DbSchemaCheck.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QByteArray>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <cerrno>
#include <cstring>

namespace {

// How many of the engine's findings a damaged file's description lists.
constexpr int kFindingsShown = 5;

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

// What a file's header says of it. It is read from the bytes themselves, which stay readable when
// the engine refuses the whole file (pages lost at its end, a damaged schema): such a file is
// still known as one of ours, and damaged.
enum class Mark { Ours, Foreign, NotDatabase, Unreadable };

Mark ReadMark(const std::string& fsPath, std::string& error) {
  // Every database file begins with this text and its terminating zero (16 bytes); its
  // application id is the big-endian number at byte 68 of the 100-byte header.
  static constexpr char kMagic[] = "SQLite format 3";
  constexpr size_t kHeaderSize = 100, kApplicationIdAt = 68;
  std::uint8_t header[kHeaderSize];
  const int fd = open(fsPath.c_str(), O_RDONLY | O_CLOEXEC);
  const ssize_t got = fd >= 0 ? pread(fd, header, kHeaderSize, 0) : -1;
  const int failure = errno;
  if (fd >= 0) close(fd);
  if (got < 0) {
    error = "Impossibile leggere il file (" + std::string(std::strerror(failure)) + ")";
    return Mark::Unreadable;
  }
  std::int32_t id = 0;
  if (static_cast<size_t>(got) < kHeaderSize || std::memcmp(header, kMagic, sizeof kMagic) != 0 ||
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
// finds it damaged.
bool OpenOurs(const std::string& path, Connection& conn, std::string& error) {
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
  if (ReadMark(fsPath, error) != Mark::Ours) return false;
  const int rc = sqlite3_open_v2(fsPath.c_str(), &conn.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    error = EngineErrorText(conn.db, rc);
    conn.Close();
    return false;
  }
  sqlite3_busy_timeout(conn.db, 5000);
  sqlite3_extended_result_codes(conn.db, 1);
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

enum class Soundness { Sound, Damaged, Unknown };

// The engine's own check of the whole file: Sound, or Damaged with the list of what it found
// wrong; Unknown with the reason when the check itself could not run.
Soundness CheckConnection(sqlite3* db, CheckDepth depth, std::string& error) {
  const std::string sql = std::string(depth == CheckDepth::Full ? "PRAGMA integrity_check(" : "PRAGMA quick_check(") +
                          std::to_string(kFindingsShown) + ")";
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  std::string findings;
  bool sound = false;
  while (rc == SQLITE_OK || rc == SQLITE_ROW) {
    rc = sqlite3_step(st);
    if (rc != SQLITE_ROW) break;
    const unsigned char* text = sqlite3_column_text(st, 0);
    const std::string line = text ? reinterpret_cast<const char*>(text) : "";
    if (findings.empty() && line == "ok") sound = true;
    findings += "\n" + cp1252::FromUtf8Lossy(line);
  }
  if (rc != SQLITE_DONE) {
    error = EngineErrorText(db, rc);
    sqlite3_finalize(st);
    // Damage that stops the check itself (a page of the schema, the header) is damage too.
    return (rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB ? Soundness::Damaged : Soundness::Unknown;
  }
  sqlite3_finalize(st);
  if (sound) return Soundness::Sound;
  error = "Il file del database è danneggiato:" + findings;
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

// The files the engine may keep beside a database, which belong with it.
const char* const kSideFiles[] = {"-wal", "-shm", "-journal"};

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

// Runs the recovery program's SQL on the scratch file, statement by statement as it arrives.
class SqlLoader {
 public:
  explicit SqlLoader(sqlite3* db) : db_(db) {}

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
      text_[end] = '\0';
      const bool complete = sqlite3_complete(text_.c_str() + start);
      if (complete && !Run(text_.c_str() + start)) return false;
      text_[end] = '\n';
      if (complete) start = end + 1;
    }
    text_.erase(0, start);
    scanned_ -= start;
    return true;
  }

  // The whole output has been read: nothing may be left half-said or uncommitted.
  bool Finish() {
    if (text_.find_first_not_of(" \r\n\t") != std::string::npos || sqlite3_get_autocommit(db_) == 0) {
      error = "il recupero si è fermato a metà";
      return false;
    }
    return true;
  }

  std::string error;

 private:
  bool Run(const char* statement) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, statement, nullptr, nullptr, &message);
    if (rc == SQLITE_OK) return true;
    error = "il nuovo file ha rifiutato i dati recuperati (" +
            cp1252::FromUtf8Lossy(message ? message : sqlite3_errstr(rc)) + ")";
    sqlite3_free(message);
    return false;
  }

  sqlite3* db_;
  std::string text_;
  size_t scanned_ = 0;
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

// Moves a database file, with the side files the engine left beside it, to another name; never
// over an existing file.
bool MoveDatabaseFile(const std::string& from, const std::string& to, std::string& error) {
  if (!MoveIntoPlace(from, to, error)) return false;
  for (const char* side : kSideFiles)
    if (FileExists(from + side) && !MoveIntoPlace(from + side, to + side, error)) return false;
  return true;
}

// Puts the damaged file aside as "<name>.danneggiato", or "<name>.danneggiato-2", "-3"... when
// that name, or one of its side files, is taken.
bool MoveAside(const std::string& path, std::string& aside, std::string& error) {
  for (int n = 1;; ++n) {
    aside = path + ".danneggiato" + (n == 1 ? std::string() : "-" + std::to_string(n));
    bool taken = FileExists(aside);
    for (const char* side : kSideFiles) taken = taken || FileExists(aside + side);
    if (taken) continue;
    if (MoveDatabaseFile(path, aside, error)) return true;
    std::string ignored;
    if (!FileExists(path)) MoveDatabaseFile(aside, path, ignored);
    return false;
  }
}

// The tables the recovery made for rows it found outside every table: their rows are counted and
// the tables dropped, for they belong to no table of the dictionary.
bool DropLostAndFound(sqlite3* db, long long& rows, std::string& error) {
  std::vector<std::vector<std::string>> tables, count;
  if (!QueryRows(db, "SELECT name FROM sqlite_schema WHERE type = 'table' AND name LIKE 'lost!_and!_found%' ESCAPE '!'",
                 tables, error))
    return false;
  for (const std::vector<std::string>& table : tables) {
    if (!QueryRows(db, "SELECT count(*) FROM " + SqlName(table[0]), count, error) ||
        !ExecSql(db, "DROP TABLE " + SqlName(table[0]), error))
      return false;
    rows += std::stoll(count[0][0]);
  }
  return true;
}

// Whether the recovered file still has its data dictionary, against which it is then checked.
bool HasDictionary(sqlite3* db, std::string& error) {
  std::vector<std::vector<std::string>> rows;
  if (!QueryRows(db, "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND lower(name) IN ('tavole', 'campi')",
                 rows, error))
    return false;
  if (rows[0][0] == "2" && QueryRows(db, "SELECT count(*) FROM tavole", rows, error) && rows[0][0] != "0") return true;
  if (error.empty()) error = "manca il dizionario dei dati";
  return false;
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

// Loads what the recovery program reads from the damaged file into a new scratch file and checks
// it: sound, one of ours, every table and field of its dictionary there. Fills the counts of
// `result`; the scratch file is left complete and closed.
bool RecoverInto(const QString& program, const std::string& damaged, const std::string& scratch,
                 const std::function<void()>& pump, RepairResult& result, std::string& error) {
  Connection conn;
  const int rc = sqlite3_open_v2(cp1252::ToUtf8(scratch).c_str(), &conn.db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    error = EngineErrorText(conn.db, rc);
    return false;
  }
  sqlite3_extended_result_codes(conn.db, 1);
  WatchEngineProgress(conn.db);
  SqlLoader loader(conn.db);
  // The free pages hold rows deleted long ago: they are not brought back.
  const QStringList arguments{QStringLiteral("-batch"), QStringLiteral("-init"), QProcess::nullDevice(),
                              QFileInfo(cp1252::ToQString(damaged)).absoluteFilePath(),
                              QStringLiteral(".recover --ignore-freelist")};
  if (!RunProgram(
          program, arguments, [&loader](const QByteArray& chunk) { return loader.Add(chunk); }, pump, error)) {
    if (!loader.error.empty()) error = loader.error;
    return false;
  }
  if (!loader.Finish()) {
    error = loader.error;
    return false;
  }
  if (!DropLostAndFound(conn.db, result.unplacedRows, error)) return false;
  if (CheckConnection(conn.db, CheckDepth::Full, error) != Soundness::Sound) {
    error = "il file recuperato non è integro (" + error + ")";
    return false;
  }
  int id = 0;
  if (!QueryInt(conn.db, "PRAGMA application_id", id, error)) return false;
  if (id != kQuendoApplicationId) {
    error = "il file recuperato non è un database di Quendo";
    return false;
  }
  if (!HasDictionary(conn.db, error) || !CheckTablesAgainstDictionary(conn.db, error)) {
    error = "il file recuperato è incompleto.\n\n" + error;
    return false;
  }
  std::vector<std::vector<std::string>> orphans;
  if (!CountRows(conn.db, result.recovered, error) ||
      !QueryRows(conn.db, "SELECT \"table\", count(*) FROM pragma_foreign_key_check GROUP BY 1 ORDER BY 1", orphans,
                 error))
    return false;
  for (const std::vector<std::string>& row : orphans) result.orphanRows += std::stoll(row[1]);
  return CloseScratchFile(conn.Release(), scratch, error);
}

// What the user is told of a salvaged file.
std::string SalvageReport(const std::string& path, const RepairResult& result) {
  std::string text =
      "Il file del database era danneggiato: i dati ancora leggibili sono stati recuperati in un nuovo file, "
      "che ne ha preso il nome.\n\n" +
      path + "\n\nRighe recuperate per tavola:";
  for (const TableRows& table : result.recovered) text += "\n" + table.table + ": " + std::to_string(table.rows);
  text +=
      "\n\nLe righe che stavano nelle parti illeggibili del file, se ve n'erano, sono andate perse: controllare i "
      "dati.";
  if (result.orphanRows > 0)
    text += "\nRighe che rimandano a righe andate perse: " + std::to_string(result.orphanRows) + ".";
  if (result.unplacedRows > 0)
    text += "\nRighe trovate fuori da ogni tavola, non riportate: " + std::to_string(result.unplacedRows) + ".";
  return text + "\n\nIl file danneggiato è stato conservato come:\n" + result.damagedPath;
}

// Salvages a damaged file (see RepairDatabase); `findings` is what the check found wrong.
void Salvage(const RepairOptions& options, const std::string& findings, RepairResult& result) {
  const std::string& path = options.path;
  std::string error;
  const auto fail = [&](const std::string& why) {
    result = RepairResult{};
    result.message = RepairFailure(path, findings + "\n\nNon è stato possibile recuperarne i dati: " + why);
  };
  if (OpenElsewhere(path))
    return fail("il file è aperto, in questo o in un altro programma: chiuderlo prima di ripararlo");
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
  if (!MoveAside(path, aside, error)) return fail("il file non può essere messo da parte (" + error + ")");
  const std::string scratch = ScratchPathBeside(path);
  if (RecoverInto(program, aside, scratch, options.pump, result, error) && MoveIntoPlace(scratch, path, error)) {
    result.outcome = RepairOutcome::Salvaged;
    result.damagedPath = aside;
    result.message = SalvageReport(path, result);
    return;
  }
  RemoveScratchFile(scratch);
  std::string why = error;
  std::string ignored;
  if (!MoveDatabaseFile(aside, path, ignored)) why += "\n\nIl file danneggiato è rimasto come:\n" + aside;
  fail(why);
}

}  // namespace

bool CheckDatabaseFile(const std::string& path, CheckDepth depth, std::string& error, bool* damaged) {
  Connection conn;
  const Soundness state = OpenOurs(path, conn, error) ? CheckConnection(conn.db, depth, error) : Soundness::Unknown;
  if (damaged) *damaged = state == Soundness::Damaged;
  return state == Soundness::Sound;
}

bool DuplicateDatabaseFile(const std::string& source, const std::string& destination, std::string& error) {
  if (destination.empty()) {
    error = "Nessun file di destinazione indicato";
    return false;
  }
  if (FileExists(destination)) {
    error = "Il file di destinazione esiste già";
    return false;
  }
  Connection from;
  if (!OpenOurs(source, from, error) || CheckConnection(from.db, CheckDepth::Quick, error) != Soundness::Sound)
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

RepairResult RepairDatabase(const RepairOptions& options) {
  RepairResult result;
  std::string error;
  Connection conn;
  const Soundness state =
      OpenOurs(options.path, conn, error) ? CheckConnection(conn.db, CheckDepth::Full, error) : Soundness::Unknown;
  if (state == Soundness::Damaged) {
    conn.Close();
    Salvage(options, error, result);
  } else if (state == Soundness::Sound && CheckTablesAgainstDictionary(conn.db, error) &&
             ExecSql(conn.db, "VACUUM", error) && conn.Close(&error)) {
    // A sound file that lacks a table or a field of its dictionary is refused, as its open refuses
    // it, and left as it is: a rebuild cannot give it back what it lacks.
    result.outcome = RepairOutcome::Rebuilt;
  } else {
    result.message = RepairFailure(options.path, error);
  }
  return result;
}
