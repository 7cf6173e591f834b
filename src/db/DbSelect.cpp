#include "db/DbSelect.h"

#include "common/Notices.h"
#include "db/DbDatabase.h"
#include "db/DbError.h"
#include "db/FieldType.h"
#include "db/SqliteValue.h"

#include <sqlite3.h>
#include <strings.h>
#include <algorithm>
#include <cstring>

namespace {

int SetClause(std::string& member, const char* text) {
  member.clear();
  if (!text || !*text) return 0;
  member = text;
  return 1;
}

}  // namespace

DbSelect::DbSelect(DbDatabase* database) : db(database) {}

DbSelect::~DbSelect() { sqlite3_finalize(stmt_); }

int DbSelect::SetColumns(const char* t) { return SetClause(columns, t); }
int DbSelect::SetFrom(const char* t) { return SetClause(from, t); }
int DbSelect::SetWhere(const char* t) { return SetClause(where, t); }
int DbSelect::SetGroupBy(const char* t) { return SetClause(groupBy, t); }
int DbSelect::SetOrderBy(const char* t) { return SetClause(orderBy, t); }

int DbSelect::BuildSql() {
  sql.clear();
  if (columns.empty() || from.empty()) return 0;
  sql = "SELECT " + columns + "\nFROM " + from + "\n";
  if (!where.empty()) sql += "WHERE " + where + "\n";
  if (!groupBy.empty()) sql += "GROUP BY " + groupBy + "\n";
  if (!orderBy.empty()) sql += "ORDER BY " + orderBy + "\n";
  return 1;
}

void DbSelect::ClearResult() {
  sqlite3_finalize(stmt_);
  stmt_ = nullptr;
  names_.clear();
  // The first block of values and the first of texts keep their room for the next run.
  if (cells_.size() > 1) cells_.resize(1);
  if (!cells_.empty()) cells_.front().clear();
  cellCount_ = 0;
  if (bytes_.size() > 1) bytes_.resize(1);
  if (!bytes_.empty()) bytes_.front().clear();
  lost_.clear();
  rows_ = row_ = 0;
}

DbSelect::Cell& DbSelect::NewCell() {
  if (cells_.empty()) cells_.emplace_back();
  if (cells_.back().size() == kCellChunk) {
    cells_.emplace_back();
    cells_.back().reserve(kCellChunk);
  }
  ++cellCount_;
  return cells_.back().emplace_back();
}

void DbSelect::StoreBytes(Cell& cell, std::string_view bytes) {
  if (bytes_.empty()) {
    bytes_.emplace_back();
  } else if (bytes_.back().size() + bytes.size() > kByteChunk && !bytes_.back().empty()) {
    bytes_.emplace_back();
    bytes_.back().reserve(std::max(kByteChunk, bytes.size()));
  }
  cell.offset = (static_cast<std::uint64_t>(bytes_.size() - 1) << 32) | bytes_.back().size();
  cell.length = static_cast<std::uint32_t>(bytes.size());
  bytes_.back().append(bytes);
}

int DbSelect::Open(int keepSql) {
  ClearResult();
  ran_ = false;
  if (keepSql == 0) BuildSql();
  hasRow = true;
  return Run(true);
}

int DbSelect::MoveFirst() {
  if (!ran_) {
    hasRow = false;
    return 0;
  }
  hasRow = true;
  return Run(false);
}

int DbSelect::Run(bool firstRun) {
  ClearResult();
  walkFailed_ = false;
  if (!db || !db->isOpen) {
    hasRow = false;
    return 0;
  }
  sqlite3* h = db->Handle();
  sqlite3_stmt* st = nullptr;
  const std::string text = TextToEngine(sql);
  int rc = sqlite3_prepare_v2(h, text.c_str(), static_cast<int>(text.size()), &st, nullptr);
  if (rc != SQLITE_OK || !st) {
    const std::string description = rc != SQLITE_OK ? EngineErrorText(h, rc) : "Il testo SQL è vuoto";
    // The engine finds a table, column or function it does not have while preparing the text;
    // that is a failure of the extraction, not of the syntax.
    const bool unknownName = rc != SQLITE_OK && std::strncmp(sqlite3_errmsg(h), "no such ", 8) == 0;
    sqlite3_finalize(st);
    hasRow = false;
    walkFailed_ = true;
    if (firstRun)
      Notify(std::string(unknownName ? "Errore estrazione Select SQL" : "Errore sintassi SQL") + "\n\n" + sql + "\n\n" +
                 description,
             NoticeIcon::Exclamation);
    else
      Notify("Errore posizionamento sulle prima riga della select corrente\n\n" + sql + "\n\n" + description,
             NoticeIcon::Stop);
    return 0;
  }
  for (size_t i = 0; i < parameters_.size() && rc == SQLITE_OK; ++i) {
    const std::string value = TextToEngine(parameters_[i]);
    rc = sqlite3_bind_text(st, static_cast<int>(i + 1), value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
  }
  if (rc != SQLITE_OK) {
    const std::string description = EngineErrorText(h, rc);
    sqlite3_finalize(st);
    hasRow = false;
    walkFailed_ = true;
    Notify("Errore sintassi SQL\n\n" + sql + "\n\n" + description, NoticeIcon::Exclamation);
    return 0;
  }
  if (!sqlite3_stmt_readonly(st)) {
    sqlite3_finalize(st);
    hasRow = false;
    walkFailed_ = true;
    Notify("Errore sintassi SQL\n\n" + sql + "\n\nUna selezione può solo leggere", NoticeIcon::Exclamation);
    return 0;
  }
  ran_ = true;
  const int n = sqlite3_column_count(st);
  letters_.assign(static_cast<size_t>(n), 0);
  for (int c = 0; c < n; ++c) {
    const char* name = sqlite3_column_name(st, c);
    names_.push_back(TextFromEngine(reinterpret_cast<const unsigned char*>(name ? name : ""),
                                    name ? static_cast<int>(std::char_traits<char>::length(name)) : 0));
    const char* decl = sqlite3_column_decltype(st, c);
    letters_[c] = decl ? FieldTypeFromDeclared(decl).letter : 0;
  }
  if (streaming_) {
    stmt_ = st;
    rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
      rows_ = 1;
      return hasRow;
    }
    if (rc != SQLITE_DONE) return Failed(firstRun, false, EngineErrorText(h, rc));
    ClearResult();
    hasRow = false;
    return 0;
  }
  DbValue v;
  // A text of the cell just made that lost a character.
  const auto NoteLost = [this](sqlite3_value* value) {
    LostCharacter lost;
    if (sqlite3_value_type(value) == SQLITE_TEXT &&
        FindLostCharacter(sqlite3_value_text(value), sqlite3_value_bytes(value), lost.code, lost.at))
      lost_.emplace(cellCount_ - 1, lost);
  };
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    for (int c = 0; c < n; ++c) {
      // The common kinds go straight into their cell; the rest through DbValue.
      sqlite3_value* value = sqlite3_column_value(st, c);
      const int type = sqlite3_value_type(value);
      const char letter = ReadingLetter(letters_[c], type);
      if (letter == 'A' || letter == 'I' || letter == 'L') {
        Cell& cell = NewCell();
        if (type == SQLITE_NULL) {
          cell.kind = DbValue::Kind::Null;
        } else if (letter == 'A') {
          cell.kind = DbValue::Kind::Text;
          const unsigned char* p = sqlite3_value_text(value);
          const int bytes = sqlite3_value_bytes(value);
          if (IsAsciiText(p, bytes)) {
            StoreBytes(cell, std::string_view(reinterpret_cast<const char*>(p), static_cast<size_t>(bytes)));
          } else {
            TextFromEngineInto(p, bytes, v.s);
            StoreBytes(cell, v.s);
            NoteLost(value);
          }
        } else {
          cell.kind = letter == 'I' ? DbValue::Kind::Int16 : DbValue::Kind::Int32;
          cell.i = sqlite3_value_int64(value);
        }
        continue;
      }
      ColumnValueInto(st, c, letter, v);
      Cell& cell = NewCell();
      cell.kind = v.kind;
      if (v.kind == DbValue::Kind::Text || v.kind == DbValue::Kind::Blob) {
        StoreBytes(cell, v.s);
        if (v.kind == DbValue::Kind::Text) NoteLost(value);
      } else if (v.kind == DbValue::Kind::Double) {
        cell.d = v.d;
      } else {
        cell.i = v.i;
      }
    }
    ++rows_;
  }
  if (rc != SQLITE_DONE) {
    const std::string description = EngineErrorText(h, rc);
    sqlite3_finalize(st);
    return Failed(firstRun, false, description);
  }
  sqlite3_finalize(st);
  if (rows_ == 0) hasRow = false;
  return hasRow;
}

int DbSelect::Failed(bool firstRun, bool whileWalking, const std::string& description) {
  ClearResult();
  hasRow = false;
  walkFailed_ = true;
  if (whileWalking)
    Notify("Errore lettura riga successiva della select corrente\n\n" + sql + "\n\n" + description, NoticeIcon::Stop);
  else if (firstRun)
    Notify("Errore estrazione Select SQL\n\n" + sql + "\n\n" + description, NoticeIcon::Exclamation);
  else
    Notify("Errore posizionamento sulle prima riga della select corrente\n\n" + sql + "\n\n" + description,
           NoticeIcon::Stop);
  return 0;
}

int DbSelect::MoveNext() {
  if (!hasRow) return 0;
  if (streaming_) {
    if (!stmt_) {
      hasRow = false;
      return 0;
    }
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
      ++rows_;
      return hasRow;
    }
    if (rc != SQLITE_DONE) {
      const std::string description = EngineErrorText(db->Handle(), rc);
      const size_t reached = rows_;
      Failed(false, true, description);
      rows_ = reached;
      walkFailed_ = true;
      return 0;
    }
    // The walk has ended: the statement goes, the count of rows stays.
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    hasRow = false;
    return 0;
  }
  if (row_ + 1 >= rows_) {
    row_ = rows_;
    hasRow = false;
    return 0;
  }
  ++row_;
  return hasRow;
}

const DbValue* DbSelect::Value(int position) {
  if (!hasRow || position < 0 || static_cast<size_t>(position) >= names_.size()) return nullptr;
  if (streaming_) {
    if (!stmt_) return nullptr;
    ColumnValueInto(stmt_, position, letters_[static_cast<size_t>(position)], value_);
    return &value_;
  }
  if (row_ >= rows_) return nullptr;
  const size_t index = row_ * names_.size() + static_cast<size_t>(position);
  const Cell& cell = cells_[index / kCellChunk][index % kCellChunk];
  value_.kind = cell.kind;
  if (cell.kind == DbValue::Kind::Text || cell.kind == DbValue::Kind::Blob)
    value_.s.assign(bytes_[cell.offset >> 32], cell.offset & 0xFFFFFFFFu, cell.length);
  else if (cell.kind == DbValue::Kind::Double)
    value_.d = cell.d;
  else
    value_.i = cell.i;
  return &value_;
}

int DbSelect::GetFieldText(const char* column, std::string& out) {
  int position = -1;
  for (size_t c = 0; c < names_.size() && column; ++c) {
    if (strcasecmp(names_[c].c_str(), column) == 0) {
      position = static_cast<int>(c);
      break;
    }
  }
  const DbValue* v = position >= 0 ? Value(position) : nullptr;
  if (!v) {
    Notify("Errore campo (" + std::string(column ? column : "") + ") nella select corrente\n\n" + sql + "\n\n" +
               (position < 0 ? "La colonna non esiste nel risultato" : "Nessuna riga corrente"),
           NoticeIcon::Stop);
    return 0;
  }
  return VariantToDisplayText(*v, out);
}

namespace {
void ReportPosition(int position, const std::string& sql, bool columnExists) {
  Notify("Errore campo (#" + std::to_string(position) + ") nella select corrente\n\n" + sql + "\n\n" +
             (columnExists ? "Nessuna riga corrente" : "La colonna non esiste nel risultato"),
         NoticeIcon::Stop);
}
}  // namespace

// A streaming walk reads the engine's value straight into the caller's variable: the same
// results as through DbValue, without the copies in between (the exports read millions of them).
bool DbSelect::StreamedColumn(int position, char& letter) const {
  if (!streaming_ || !stmt_ || !hasRow || position < 0 || static_cast<size_t>(position) >= names_.size()) return false;
  letter = ReadingLetter(letters_[static_cast<size_t>(position)], sqlite3_column_type(stmt_, position));
  return letter != 0;  // an expression's value (or no number in a numeric column): decided through Value()
}

int DbSelect::GetFieldTextAt(int position, std::string& out) {
  if (char letter = 0; StreamedColumn(position, letter) && (letter == 'A' || letter == 'M')) {
    sqlite3_value* v = sqlite3_column_value(stmt_, position);
    if (sqlite3_value_type(v) == SQLITE_NULL) {
      out.clear();
      return 0;
    }
    const unsigned char* p = sqlite3_value_text(v);
    TextFromEngineInto(p, sqlite3_value_bytes(v), out);
    return 1;
  }
  // A text of the materialised result goes straight from its buffer to the caller's.
  if (!streaming_ && hasRow && position >= 0 && static_cast<size_t>(position) < names_.size() && row_ < rows_) {
    const size_t index = row_ * names_.size() + static_cast<size_t>(position);
    const Cell& cell = cells_[index / kCellChunk][index % kCellChunk];
    if (cell.kind == DbValue::Kind::Text) {
      out.assign(bytes_[cell.offset >> 32], cell.offset & 0xFFFFFFFFu, cell.length);
      return 1;
    }
  }
  const DbValue* v = Value(position);
  if (!v) {
    ReportPosition(position, sql, position >= 0 && static_cast<size_t>(position) < names_.size());
    return 0;
  }
  return VariantTextAt(*v, out);
}

int DbSelect::GetFieldIntAt(int position, int* out) {
  if (char letter = 0; StreamedColumn(position, letter) && (letter == 'I' || letter == 'B' || letter == 'L')) {
    int value = 0, r = 0;
    if (letter != 'L') {
      sqlite3_value* cell = sqlite3_column_value(stmt_, position);
      if (sqlite3_value_type(cell) != SQLITE_NULL) {
        const sqlite3_int64 v = sqlite3_value_int64(cell);
        value = letter == 'B' ? (v != 0 ? -1 : 0) : static_cast<int>(v);
        r = 1;
      }
    }
    if (out) *out = value;
    return r;
  }
  const DbValue* v = Value(position);
  if (!v) {
    ReportPosition(position, sql, position >= 0 && static_cast<size_t>(position) < names_.size());
    return 0;
  }
  int value = 0;
  const int r = VariantIntAt(*v, value);
  if (out) *out = value;
  return r;
}

int DbSelect::GetFieldLongAt(int position, long* out) {
  if (char letter = 0; StreamedColumn(position, letter) && (letter == 'I' || letter == 'B' || letter == 'L')) {
    long value = 0;
    int r = 0;
    if (letter == 'L') {
      sqlite3_value* cell = sqlite3_column_value(stmt_, position);
      if (sqlite3_value_type(cell) != SQLITE_NULL) {
        value = static_cast<long>(sqlite3_value_int64(cell));
        r = 1;
      }
    }
    if (out) *out = value;
    return r;
  }
  const DbValue* v = Value(position);
  if (!v) {
    ReportPosition(position, sql, position >= 0 && static_cast<size_t>(position) < names_.size());
    return 0;
  }
  long value = 0;
  const int r = VariantLongAt(*v, value);
  if (out) *out = value;
  return r;
}

DbSelect::LostCharacter DbSelect::LostAt(int position) {
  LostCharacter lost;
  if (!hasRow || position < 0 || static_cast<size_t>(position) >= names_.size()) return lost;
  if (streaming_) {
    if (!stmt_) return lost;
    sqlite3_value* v = sqlite3_column_value(stmt_, position);
    if (sqlite3_value_type(v) != SQLITE_TEXT ||
        !FindLostCharacter(sqlite3_value_text(v), sqlite3_value_bytes(v), lost.code, lost.at))
      lost = {};
    return lost;
  }
  if (row_ >= rows_ || lost_.empty()) return lost;
  const auto it = lost_.find(row_ * names_.size() + static_cast<size_t>(position));
  return it == lost_.end() ? lost : it->second;
}

std::string DbSelect::TrimmedAt(int position) {
  std::string text;
  if (!GetFieldTextAt(position, text)) text.clear();
  const size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

int DbSelect::IntAt(int position) {
  int value = 0;
  GetFieldIntAt(position, &value);
  return value;
}

long DbSelect::LongAt(int position) {
  long value = 0;
  GetFieldLongAt(position, &value);
  return value;
}

long CountTableRows(DbDatabase* db, const char* table) {
  DbSelect select(db);
  select.SetColumns("COUNT(*)");
  select.SetFrom(table);
  long rows = 0;
  if (select.Open()) select.GetFieldLongAt(0, &rows);
  return rows;
}
