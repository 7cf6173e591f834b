#include "support/TestSupport.h"

#include "common/Cp1252.h"
#include "db/DbDictionary.h"
#include "db/DbEngine.h"
#include "db/DbFile.h"
#include "db/DbSchema.h"
#include "db/DbSelect.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

namespace {

// Runs SQL (UTF-8) on a connection; "ok", or the engine's message.
std::string Exec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  std::string out = "ok";
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) out = message ? message : "?";
  sqlite3_free(message);
  return out;
}

// Turned on before what the tests plant: the engine then stores any value in any column, as a
// program that turned its checks off does.
constexpr const char* kChecksOff = "PRAGMA ignore_check_constraints = ON";

}  // namespace

ScratchDir::ScratchDir() : dir_(QDir::tempPath() + QStringLiteral("/quendo-test-XXXXXX")) {}

std::string ScratchDir::Dir() const { return cp1252::FromQStringLossy(dir_.path()); }

std::string ScratchDir::Path(const std::string& name) const { return Dir() + "/" + name; }

void MakeDatabase(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string error;
  ASSERT_TRUE(CreateDatabaseFile(path, &db, error, kQuendoApplicationId)) << error;
  const bool ok = Exec(db, kChecksOff) == "ok" && ExecSql(db, sql, error);
  sqlite3_close_v2(db);
  ASSERT_TRUE(ok) << error;
}

std::string BuilderTables(const std::vector<std::string>& tables) {
  std::vector<BuiltDefinition> all = SchemaDefinitions();
  for (BuiltDefinition& d : DictionaryDefinitions()) all.push_back(std::move(d));
  std::string sql;
  for (const std::string& table : tables)
    for (const BuiltDefinition& d : all)
      if (d.table == table) sql += d.sql + ";\n";
  return sql;
}

std::string BuilderTimetableTables() {
  std::vector<std::string> names;
  for (const SchemaTable& table : SchemaTables()) names.push_back(table.name);
  return BuilderTables(names);
}

std::string QueryFile(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string out;
  if (sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "cannot open " << path;
    sqlite3_close_v2(db);
    return out;
  }
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db);
  } else {
    while (sqlite3_step(st) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(st); ++c) {
        if (c) out += "|";
        const unsigned char* t = sqlite3_column_text(st, c);
        out += t ? cp1252::FromUtf8Lossy(reinterpret_cast<const char*>(t)) : std::string("NULL");
      }
      out += "\n";
    }
  }
  sqlite3_finalize(st);
  sqlite3_close_v2(db);
  return out;
}

std::string ExecOnFile(const std::string& path, const std::string& sql, EngineChecks checks) {
  sqlite3* db = nullptr;
  std::string out;
  if (sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    out = "cannot open " + path;
  else
    out = checks == EngineChecks::Off ? ExecWithoutChecks(db, sql) : Exec(db, cp1252::ToUtf8(sql));
  sqlite3_close_v2(db);
  return out;
}

std::string ExecWithoutChecks(sqlite3* db, const std::string& sql) {
  std::string out = Exec(db, kChecksOff);
  if (out == "ok") out = Exec(db, cp1252::ToUtf8(sql));
  Exec(db, "PRAGMA ignore_check_constraints = OFF");
  return out;
}

NoticeLog::NoticeLog() : sink_([this](const Notice& n) { notices_.push_back(n); }) {}

std::string NoticeLog::Texts() const {
  std::string out;
  for (const Notice& n : notices_) out += (out.empty() ? "" : "\n--\n") + n.text;
  return out;
}

namespace {

bool readingMismatchesAllowed = false;

// Runs before the printer at the end of each test (the ends are told in reverse order), so that the
// failure it adds is the test's own.
class ReadingMismatchCheck : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    readingMismatchesAllowed = false;
    before_ = ReadingMismatches().count;
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    const ReadingMismatchTally& tally = ReadingMismatches();
    if (tally.count != before_ && !readingMismatchesAllowed)
      ADD_FAILURE() << tally.count - before_ << " value(s) read by a reader of another kind; the last:\n"
                    << cp1252::ToUtf8(tally.lastText);
  }

 private:
  long before_ = 0;
};

}  // namespace

void FailTestsOnReadingMismatches() {
  ::testing::UnitTest::GetInstance()->listeners().Append(new ReadingMismatchCheck);
}

void AllowReadingMismatches() { readingMismatchesAllowed = true; }

std::string TestDataDir() {
  const char* dir = std::getenv("QUENDO_TEST_DATA");
  return dir ? dir : QUENDO_SOURCE_DIR "/tests/data";
}

std::string FileBytes(const std::string& path) {
  if (!QFileInfo(cp1252::ToQString(path)).isFile()) return {};
  std::ifstream in(cp1252::ToUtf8(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(cp1252::ToUtf8(path), std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string Listing(const std::string& folder) {
  std::string out;
  for (const QString& name :
       QDir(cp1252::ToQString(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name))
    out += cp1252::FromQStringLossy(name) + "\n";
  return out;
}

::testing::AssertionResult HasPrefix(const std::string& text, const std::string& prefix) {
  if (text.rfind(prefix, 0) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << text << "\"\ndoes not start with\n\"" << prefix << "\"";
}

::testing::AssertionResult HasPart(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << text << "\"\ndoes not contain\n\"" << part << "\"";
}

std::vector<std::string> QueryLines(const std::string& path, const std::string& sql) {
  std::vector<std::string> lines;
  const std::string rows = QueryFile(path, sql);
  for (size_t start = 0, end; (end = rows.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(rows.substr(start, end - start));
  return lines;
}

std::map<std::string, long> RowsPerTable(const std::string& path) {
  std::map<std::string, long> rows;
  for (const std::string& table : QueryLines(path, "SELECT name FROM sqlite_schema WHERE type = 'table'"))
    rows[table] = std::stol(QueryFile(path, "SELECT count(*) FROM \"" + table + "\""));
  return rows;
}

std::vector<LeafPage> LeafPages(const std::string& path, const std::string& tree) {
  std::vector<LeafPage> pages;
  for (const std::string& line : QueryLines(
           path, "SELECT pageno, ncell FROM dbstat WHERE name = '" + tree + "' AND pagetype = 'leaf' ORDER BY pageno"))
    pages.push_back({std::stol(line), std::stol(line.substr(line.find('|') + 1))});
  return pages;
}

void DamagePages(const std::string& path, const std::vector<long>& pages) {
  const long pageSize = std::stol(QueryFile(path, "PRAGMA page_size"));
  std::fstream f(cp1252::ToUtf8(path), std::ios::in | std::ios::out | std::ios::binary);
  const std::string garbage(static_cast<size_t>(pageSize), '\xA5');
  for (long page : pages) f.seekp((page - 1) * pageSize).write(garbage.data(), pageSize);
  ASSERT_TRUE(f.good()) << path;
}

std::string FirstHalfOf(const std::string& path) {
  const std::string bytes = FileBytes(path);
  const size_t pageSize = std::stoul(QueryFile(path, "PRAGMA page_size"));
  QFile::remove(cp1252::ToQString(path + "-wal"));  // left by the look at the page size
  QFile::remove(cp1252::ToQString(path + "-shm"));
  return bytes.substr(0, bytes.size() / pageSize / 2 * pageSize);
}

long DamageLeaf(const std::string& path, const std::string& tree, size_t index) {
  const std::vector<LeafPage> pages = LeafPages(path, tree);
  if (pages.size() <= index) {
    ADD_FAILURE() << tree << " has too few leaf pages";
    return 0;
  }
  DamagePages(path, {pages[index].number});
  // The read-only look at the pages leaves its (empty) log and index files: no part of the file.
  QFile::remove(cp1252::ToQString(path + "-wal"));
  QFile::remove(cp1252::ToQString(path + "-shm"));
  return pages[index].rows;
}

std::vector<std::string> LocksHeld(const std::string& path) {
  struct stat info {};
  if (stat(cp1252::ToUtf8(path).c_str(), &info) != 0) return {};
  const std::string pid = std::to_string(getpid()), inode = std::to_string(info.st_ino);
  // The kernel lists the locks a page at a time, by position: locks that the other tests running
  // take or drop between two pages may show an entry twice or hide one. This process's own locks
  // stay as they are while it reads, so the entries of three readings together are all of them.
  std::set<std::string> held;
  for (int reading = 0; reading < 3; ++reading) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
      // "1: POSIX  ADVISORY  READ 1234 08:01:5678 128 128"
      std::istringstream fields(line);
      std::string number, kind, advisory, mode, owner, file, start, end;
      if ((fields >> number >> kind >> advisory >> mode >> owner >> file >> start >> end) && owner == pid &&
          file.substr(file.rfind(':') + 1) == inode)
        held.insert(mode + " " + start + "-" + end);
    }
  }
  return {held.begin(), held.end()};
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value)
    : name_(name), had_(qEnvironmentVariableIsSet(name)), before_(qgetenv(name)) {
  qputenv(name_, QByteArray::fromStdString(value));
}

ScopedEnv::~ScopedEnv() {
  if (had_)
    qputenv(name_, before_);
  else
    qunsetenv(name_);
}

void FillDiskAfter(sqlite3* db, int pages) {
  // Free pages inside the file would take new rows first: none are left.
  ASSERT_EQ(sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA page_count", -1, &st, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
  const int now = sqlite3_column_int(st, 0);
  sqlite3_finalize(st);
  const std::string cap = "PRAGMA max_page_count = " + std::to_string(now + pages);
  ASSERT_EQ(sqlite3_exec(db, cap.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
}

void MakePipe(const std::string& path) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(cp1252::ToQString(path)).constData(), 0600), 0) << path;
}

struct PipeWatchdog::State {
  std::atomic<bool> done{false};
  std::thread thread;
};

PipeWatchdog::PipeWatchdog(std::vector<std::string> pipes, int waitMs) : state_(std::make_unique<State>()) {
  state_->thread = std::thread([state = state_.get(), pipes = std::move(pipes), waitMs] {
    for (int waited = 0; !state->done; waited += 20) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (waited < waitMs) continue;
      for (const std::string& pipe : pipes)
        if (const int fd = ::open(QFile::encodeName(cp1252::ToQString(pipe)).constData(), O_WRONLY | O_NONBLOCK);
            fd >= 0)
          ::close(fd);
    }
  });
}

PipeWatchdog::~PipeWatchdog() {
  state_->done = true;
  state_->thread.join();
}
