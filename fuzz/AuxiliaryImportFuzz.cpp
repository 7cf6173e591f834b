#include "AuxiliaryImportFuzz.h"

#include "FuzzSupport.h"
#include "ImportFuzz.h"

#include <sqlite3.h>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace fuzz {
namespace {

// The rows of a query on a closed database file, each its columns' bytes parted by '|'.
std::vector<std::string> Rows(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
            sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK;
  std::vector<std::string> rows;
  int step = SQLITE_DONE;
  while (ok && (step = sqlite3_step(statement)) == SQLITE_ROW) {
    std::string row;
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
      if (c) row += '|';
      const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, c));
      if (sqlite3_column_type(statement, c) == SQLITE_NULL)
        row += "<NULL>";
      else if (bytes)
        row.append(bytes, static_cast<size_t>(sqlite3_column_bytes(statement, c)));
    }
    rows.push_back(std::move(row));
  }
  ok = ok && step == SQLITE_DONE;
  if (!ok) std::fprintf(stderr, "%s\n", db ? sqlite3_errmsg(db) : "no database");
  sqlite3_finalize(statement);
  sqlite3_close(db);
  Require(ok, "the database cannot be read back");
  return rows;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

// The table seen twice: the fields the import may write, and all the others.
struct Snapshot {
  std::vector<std::string> written, others;
};

struct Queries {
  std::string written, others;
  Snapshot Take(const std::string& path) const { return {Rows(path, written), Rows(path, others)}; }
};

Queries QueriesOf(const AuxiliaryTarget& t, const std::string& path) {
  std::vector<std::string> others;
  for (const std::string& column : Rows(path, "SELECT name FROM pragma_table_info('" + t.table + "')"))
    if (std::find(t.fields.begin(), t.fields.end(), column) == t.fields.end()) others.push_back(column);
  Require(!others.empty(), "the written table has no other field");
  const std::string tail = " FROM " + t.table + " ORDER BY " + t.key;
  return {"SELECT " + Joined(t.fields) + tail, "SELECT " + Joined(others) + tail};
}

// The lines the file can hold at most, whatever ends them.
long MostLines(std::string_view bytes) {
  return 1 +
         static_cast<long>(std::count(bytes.begin(), bytes.end(), '\n') + std::count(bytes.begin(), bytes.end(), '\r'));
}

std::string CountMessage(const std::string& text, int count) {
  std::string out = text;
  const size_t at = out.find("%d");
  Require(at != std::string::npos, "a count text without its place for the count");
  return out.replace(at, 2, std::to_string(count));
}

}  // namespace

void MakeCommunicationTimetable(const std::string& path) {
  MakeHandMadeTimetable(path, std::nullopt, "communication");
  RunSql(path,
         "UPDATE tescor SET mezzo = 'X'; UPDATE tescor SET prevcor = 1 WHERE id = 3;"
         "UPDATE detcor SET reglocal = 1 WHERE fermata IN ('F01', 'F03');"
         "UPDATE detcor SET reglocal = 2 WHERE fermata = 'F02';");
}

int FuzzAuxiliaryImport(const AuxiliaryTarget& t, const std::uint8_t* data, std::size_t size) {
  static const TemplateDatabase before(t.build);
  static const std::string dbPath = ScratchPath("orari.mdb");
  static const std::string filePath = ScratchPath(t.fileName);
  static const Queries queries = [&] {
    before.Put(dbPath);
    return QueriesOf(t, dbPath);
  }();
  static const Snapshot original = queries.Take(dbPath);
  before.Put(dbPath);
  const std::string_view bytes = Bytes(data, size);
  WriteWhole(filePath, bytes);
  TakeNotices();  // the template's making told its own
  AuxiliaryImportResult result;
  {
    DbDatabase db(dbPath);
    result = t.engine({&db, filePath, nullptr});
  }
  Require(TakeNotices() == 0, "the database refused a change the import asked for");
  Require(result.ok, "the file written was not opened");
  Require(!result.messages.empty(), "an import that says nothing");
  for (const Notice& m : result.messages) Require(!m.text.empty(), "a message without text");
  for (size_t k = 0; k + 1 < result.messages.size(); ++k)
    Require(result.messages[k].icon == NoticeIcon::Stop, "a message of success before the last");

  const Snapshot after = queries.Take(dbPath);
  Require(after.others == original.others, "a field the import does not write changed, or a row came or went");
  long changed = 0;
  for (size_t r = 0; r < after.written.size(); ++r) changed += after.written[r] != original.written[r];
  Require(result.updated >= 0 && changed <= result.updated, "rows changed that the count does not hold");
  const long most = MostLines(bytes) * (t.rowsPerLine > 0 ? t.rowsPerLine : static_cast<long>(after.written.size()));
  Require(result.updated <= most, "a count greater than the rows the lines can change");

  const Notice& last = result.messages.back();
  if (last.icon == NoticeIcon::Information) {
    Require(last.text == CountMessage(t.countText, result.updated), "a count whose message says another");
  } else if ((t.keptText.empty() || last.text != t.keptText)) {
    Require(result.updated == 0, "a count without its message");
    Require(changed == 0, "the database changed when the import refused the file");
  }
  if (!t.faultyRows.empty())
    Require(Rows(dbPath, t.faultyRows) == std::vector<std::string>{"0"}, "a value stored that the file cannot give");
  return 0;
}

}  // namespace fuzz
