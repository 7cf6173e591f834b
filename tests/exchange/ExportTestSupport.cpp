#include "ExportTestSupport.h"

#include "ExchangeTestSupport.h"
#include "common/Cp1252.h"
#include "db/DbDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QDir>

const std::vector<std::string> kExportNames = {
    "RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT",           "RT_CADEN.TXT",
    "RT_CALEN.TXT", "RT_PROTO.TXT", "FERMATE_NORMALIZZATE.TXT"};

void MakeImportedDatabase(const std::string& path) {
  MakeTimetableDatabase(path);
  using K = ImportKind;
  ImportHandMade(path, {K::Protocol, K::Cadences, K::Calendar, K::TripHeads, K::TripDetails, K::Periods});
}

void RunSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, cp1252::ToUtf8(sql).c_str(), nullptr, nullptr, &error);
  const std::string text = error ? error : "";
  sqlite3_free(error);
  sqlite3_close_v2(db);
  ASSERT_EQ(rc, SQLITE_OK) << text;
}

std::string DumpTimetable(const std::string& path) {
  std::string out;
  for (const char* table : {"master", "cadenz", "calend", "tescor", "detcor", "period", "local"})
    out += std::string(table) + ":\n" +
           QueryFile(path, std::string("SELECT * FROM ") + table);  // each table in the order of its key
  return out;
}

ExportResult ExportInto(const std::string& database, const std::string& folder, ExportOptions options) {
  DbDatabase db(database);
  EXPECT_EQ(db.isOpen, 1);
  options.db = &db;
  options.folder = folder;
  return RunExport(options);
}

std::vector<std::string> ExportedLines(const std::string& path) {
  const std::string bytes = ReadBytes(path);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << path << ": last line without CR LF";
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const QString& n :
       QDir(cp1252::ToQString(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
    names.push_back(cp1252::FromQStringLossy(n));
  return names;
}

void ImportedDatabaseTest::SetUp() {
  MakeImportedDatabase(db);
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(out)));
  installed = std::make_unique<ui::Script>();
}
