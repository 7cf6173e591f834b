#include "support/TestSupport.h"

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "db/DbFile.h"
#include "db/DbTable.h"

#include <sqlite3.h>
#include <QDir>
#include <QFileInfo>
#include <fstream>

ScratchDir::ScratchDir() : dir_(QDir::tempPath() + QStringLiteral("/quendo-test-XXXXXX")) {}

std::string ScratchDir::Dir() const { return cp1252::FromQStringLossy(dir_.path()); }

std::string ScratchDir::Path(const std::string& name) const { return Dir() + "/" + name; }

int InsertRow(DbDatabase* db, const char* table, std::initializer_list<std::pair<const char*, std::string>> fields) {
  DbTable t(db, table);
  if (t.isOpen != 1 || !t.AddNew()) return 0;
  for (const auto& [field, value] : fields)
    if (!t.SetFieldText(field, value)) return 0;
  return t.Update();
}

int SeedLocalityZero(DbDatabase* db) {
  return InsertRow(db, "local",
                   {{"id", "0"}, {"denom", "Non assegnata"}, {"istat", "0"}, {"comune", " "}, {"prov", " "}});
}

void MakeDatabase(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string error;
  ASSERT_TRUE(CreateDatabaseFile(path, &db, error)) << error;
  const bool ok = ExecSql(db, sql, error);
  sqlite3_close_v2(db);
  ASSERT_TRUE(ok) << error;
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

std::string ExecOnFile(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string out = "ok";
  if (sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    out = "cannot open " + path;
  } else {
    char* message = nullptr;
    if (sqlite3_exec(db, cp1252::ToUtf8(sql).c_str(), nullptr, nullptr, &message) != SQLITE_OK)
      out = message ? message : "?";
    sqlite3_free(message);
  }
  sqlite3_close_v2(db);
  return out;
}

NoticeLog::NoticeLog() : sink_([this](const Notice& n) { notices_.push_back(n); }) {}

std::string NoticeLog::Texts() const {
  std::string out;
  for (const Notice& n : notices_) {
    if (!out.empty()) out += "\n--\n";
    out += n.text;
  }
  return out;
}

std::string TestDataDir() {
  const char* dir = std::getenv("QUENDO_TEST_DATA");
  return dir ? dir : QUENDO_SOURCE_DIR "/tests/data";
}

void DamageDatabaseFile(const std::string& path) {
  std::fstream f(cp1252::ToUtf8(path), std::ios::in | std::ios::out | std::ios::binary);
  ASSERT_TRUE(f.is_open()) << path;
  unsigned char header[100] = {};
  f.read(reinterpret_cast<char*>(header), sizeof header);
  ASSERT_TRUE(f.good()) << "no database header in " << path;
  long pageSize = (header[16] << 8) | header[17];
  if (pageSize == 1) pageSize = 65536;
  f.seekg(0, std::ios::end);
  const long size = static_cast<long>(f.tellg());
  const long pages = size / pageSize;
  ASSERT_GE(pages, 6) << "too small to damage: " << path;
  const std::string garbage(static_cast<size_t>(pageSize), '\xA5');
  for (long page = 3; page < pages && page < 3 + pages / 2; page += 2) {
    f.seekp((page - 1) * pageSize);
    f.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  }
  ASSERT_TRUE(f.good());
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
