#include "FuzzSupport.h"

#include "common/Notices.h"
#include "db/DbBuilder.h"
#include "refdata/Seeding.h"

#include <sqlite3.h>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

namespace fuzz {
namespace {

int notices = 0;

// The folder scripts/fuzz.sh names, else in memory where the system has such a folder: the engines flush what they
// write, and a flush to a disk would take most of each input's time.
QString ScratchTemplate() {
  const QByteArray given = qgetenv("QUENDO_FUZZ_SCRATCH");
  if (!given.isEmpty()) return QString::fromLocal8Bit(given) + QStringLiteral("/target-XXXXXX");
  const QFileInfo shm(QStringLiteral("/dev/shm"));
  const QString parent = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
  return parent + QStringLiteral("/quendo-fuzz-XXXXXX");
}

QTemporaryDir& Scratch() {
  static QTemporaryDir dir(ScratchTemplate());
  if (!dir.isValid()) Require(false, "no scratch folder");
  return dir;
}

bool AllowedName(std::string_view name) {
  if (name.empty() || name.size() > 40 || name == "." || name == "..") return false;
  for (char c : name) {
    const bool ok =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

void Initialize(int* argc, char*** argv) {
  static std::unique_ptr<QCoreApplication> app = std::make_unique<QCoreApplication>(*argc, *argv);
  SetNoticeSink([](const Notice& n) {
    Require(!n.text.empty(), "a notice without text");
    if (std::getenv("QUENDO_FUZZ_NOTICES")) std::fprintf(stderr, "notice: %s\n", n.text.c_str());
    ++notices;
  });
  Scratch();
}

std::string ScratchPath(const std::string& name) { return Scratch().path().toStdString() + "/" + name; }

void WriteWhole(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  Require(static_cast<bool>(out), "the scratch file cannot be written");
}

std::vector<SetFile> SplitSet(std::string_view input) {
  std::vector<SetFile> files;
  SetFile* open = nullptr;
  size_t at = 0;
  while (at < input.size()) {
    size_t end = input.find('\n', at);
    const size_t next = end == std::string_view::npos ? input.size() : end + 1;
    const std::string_view line = input.substr(at, next - at);
    if (line.substr(0, 3) == "@@ ") {
      std::string_view name = line.substr(3);
      while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.remove_suffix(1);
      // The line end before a header parts the files: it belongs to neither.
      if (open && !open->bytes.empty()) open->bytes.remove_suffix(1);
      if (AllowedName(name)) {
        files.push_back({std::string(name), input.substr(next, 0)});
        open = &files.back();
      } else {
        open = nullptr;
      }
    } else if (open) {
      open->bytes = std::string_view(open->bytes.data(), open->bytes.size() + line.size());
    }
    at = next;
  }
  return files;
}

std::string WriteSet(const std::vector<SetFile>& files) {
  QDir folder(Scratch().path() + QStringLiteral("/set"));
  folder.removeRecursively();
  Require(QDir().mkpath(folder.path()), "the set's folder cannot be made");
  const std::string path = folder.path().toStdString();
  for (const SetFile& f : files) WriteWhole(path + "/" + f.name, f.bytes);
  return path;
}

TemplateDatabase::TemplateDatabase(const std::function<void(const std::string& path)>& build) {
  static int made = 0;
  const std::string path = ScratchPath("template" + std::to_string(++made) + ".mdb");
  build(path);
  std::ifstream in(path, std::ios::binary);
  bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  Require(!bytes_.empty(), "the template database is empty");
  std::remove(path.c_str());
}

void TemplateDatabase::Put(const std::string& path) const {
  std::remove((path + "-wal").c_str());
  std::remove((path + "-shm").c_str());
  std::remove((path + "-journal").c_str());
  WriteWhole(path, bytes_);
}

void RunSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK;
  ok = ok && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  if (!ok) std::fprintf(stderr, "%s\n", db ? sqlite3_errmsg(db) : "no database");
  sqlite3_close(db);
  Require(ok, "the template's SQL failed");
}

void MakeTimetable(const std::string& path) {
  Require(CreateSeededDatabase(path, CreateMode::Startup).ok, "the template database cannot be created");
  RunSql(path,
         "INSERT INTO master (codice, azienda, datini, datfin, id_corsa, gruppo) "
         "VALUES (0, 17, '2024-01-01', '2024-06-30', 0, 0)");
}

std::string TestData() { return QUENDO_SOURCE_DIR "/tests/data"; }

int TakeNotices() {
  const int told = notices;
  notices = 0;
  return told;
}

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "quendo fuzz: %s\n", what);
  std::abort();
}

}  // namespace fuzz
