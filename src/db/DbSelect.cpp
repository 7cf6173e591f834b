#include "db/DbSelect.h"

#include "common/Formatters.h"
#include "common/Notices.h"
#include "db/DbDatabase.h"
#include "db/DbError.h"
#include "db/FieldType.h"
#include "db/SqliteValue.h"

#include <sqlite3.h>
#include <strings.h>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The bytes of a date as the layer writes it (2024-03-05).
constexpr int kIsoDateLength = 10;

int SetClause(std::string& member, const char* text) {
  member.clear();
  if (!text || !*text) return 0;
  member = text;
  return 1;
}

// Binds ?1, ?2, ... as BindDbText does.
int BindTexts(sqlite3_stmt* st, const std::vector<DbText>& values) {
  int rc = SQLITE_OK;
  for (size_t i = 0; i < values.size() && rc == SQLITE_OK; ++i) rc = BindDbText(st, static_cast<int>(i + 1), values[i]);
  return rc;
}

constexpr char kHex[] = "0123456789ABCDEF";

// Bytes as SQL writes them: X'4181'.
std::string BytesLiteral(std::string_view bytes) {
  std::string literal = "X'";
  for (const unsigned char c : bytes) {
    literal += kHex[c >> 4];
    literal += kHex[c & 15];
  }
  return literal + "'";
}

int HexDigit(char c) {
  const char* at = std::strchr(kHex, c);
  return c != 0 && at ? static_cast<int>(at - kHex) : -1;
}

// The bytes of a literal X'4181' (IsBytesLiteral).
std::string LiteralBytes(std::string_view literal) {
  std::string bytes;
  for (size_t k = 2; k + 2 < literal.size(); k += 2)
    bytes += static_cast<char>(HexDigit(literal[k]) << 4 | HexDigit(literal[k + 1]));
  return bytes;
}

std::string BytesLiteral(sqlite3_value* value) {
  return BytesLiteral(std::string_view(static_cast<const char*>(sqlite3_value_blob(value)),
                                       static_cast<size_t>(sqlite3_value_bytes(value))));
}

}  // namespace

bool DbText::IsBytesLiteral(std::string_view stored) {
  if (stored.size() < 3 || stored.size() % 2 == 0 || stored.substr(0, 2) != "X'" || stored.back() != '\'') return false;
  for (size_t k = 2; k + 1 < stored.size(); ++k)
    if (HexDigit(stored[k]) < 0) return false;
  return true;
}

int BindDbText(sqlite3_stmt* st, int param, const DbText& value) {
  if (value.Bytes()) {
    const std::string bytes = LiteralBytes(value.stored);
    return sqlite3_bind_blob(st, param, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  }
  const std::string bound = value.Lost() ? value.stored : TextToEngine(value.text);
  return sqlite3_bind_text(st, param, bound.data(), static_cast<int>(bound.size()), SQLITE_TRANSIENT);
}

long DbExecute(DbDatabase* db, const char* table, const std::string& sql, const std::vector<DbText>& values) {
  if (!db || !db->isOpen || !db->MayWrite()) return -1;
  sqlite3* h = db->Handle();
  sqlite3_stmt* st = nullptr;
  const std::string text = TextToEngine(sql);
  int rc = sqlite3_prepare_v2(h, text.c_str(), static_cast<int>(text.size()), &st, nullptr);
  if (rc == SQLITE_OK) rc = BindTexts(st, values);
  if (rc == SQLITE_OK) rc = sqlite3_step(st);
  const std::string description = rc == SQLITE_DONE ? std::string() : db->WriteRefusal(rc, DbOperation::Update);
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) {
    Notify("Errore aggiornamento tavola (" + std::string(table) + ")\n\n" + description, NoticeIcon::Stop);
    return -1;
  }
  return sqlite3_changes(h);
}

DbSelect::DbSelect(DbDatabase* database) : db(database) {}

DbSelect::DbSelect(DbDatabase* database, const DbQuery& query) : db(database) {
  SetClause(columns, query.columns);
  SetClause(from, query.from);
  SetClause(where, query.where);
  SetClause(groupBy, query.groupBy);
  SetClause(orderBy, query.orderBy);
  streaming_ = query.streaming;
}

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
  storedLost_.clear();
  storedDates_.clear();
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
  fault_ = {};
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
  rc = BindTexts(st, parameters_);
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
  mismatchTold_.assign(static_cast<size_t>(n) * 3, false);
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
        FindLostCharacter(sqlite3_value_text(value), sqlite3_value_bytes(value), lost.code, lost.at)) {
      lost_.emplace(cellCount_ - 1, lost);
      storedLost_.emplace(cellCount_ - 1, std::string(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                                      static_cast<size_t>(sqlite3_value_bytes(value))));
    }
  };
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    for (int c = 0; c < n; ++c) {
      // The common kinds go straight into their cell; the rest through DbValue.
      sqlite3_value* value = sqlite3_column_value(st, c);
      const int type = sqlite3_value_type(value);
      const char letter = ReadingLetter(letters_[c], type);
      if (type == SQLITE_BLOB && (letter == 'A' || letter == 'M')) {
        // Bytes where a text should be: read as SQL writes them, marked, never as a text.
        Cell& cell = NewCell();
        cell.kind = DbValue::Kind::Text;
        StoreBytes(cell, BytesLiteral(value));
        lost_.emplace(cellCount_ - 1, LostCharacter{LostCharacter::kBytes, 0});
        continue;
      }
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
        if (v.kind == DbValue::Kind::Date && sqlite3_value_bytes(value) != kIsoDateLength)
          storedDates_.emplace(cellCount_ - 1, std::string(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                                           static_cast<size_t>(sqlite3_value_bytes(value))));
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

const DbSelect::Cell* DbSelect::CurrentCell(int position) const {
  if (streaming_ || !hasRow || position < 0 || static_cast<size_t>(position) >= names_.size() || row_ >= rows_)
    return nullptr;
  const size_t index = row_ * names_.size() + static_cast<size_t>(position);
  return &cells_[index / kCellChunk][index % kCellChunk];
}

// Inline, as the next: the readers of a streaming walk ask them for every value.
inline sqlite3_value* DbSelect::StreamedValue(int position) const {
  if (!streaming_ || !stmt_ || !hasRow || position < 0 || static_cast<size_t>(position) >= names_.size())
    return nullptr;
  return sqlite3_column_value(stmt_, position);
}

const DbSelect::Cell* DbSelect::CurrentCellOrTell(int position) const {
  const Cell* cell = CurrentCell(position);
  if (!cell) ReportPosition(position);
  return cell;
}

inline sqlite3_value* DbSelect::StreamedValueOrTell(int position) const {
  sqlite3_value* v = StreamedValue(position);
  if (!v) ReportPosition(position);
  return v;
}

const DbValue* DbSelect::Value(int position) {
  if (streaming_) {
    sqlite3_value* v = StreamedValue(position);
    if (!v) return nullptr;
    ValueInto(v, letters_[static_cast<size_t>(position)], value_);
    return &value_;
  }
  const Cell* cell = CurrentCell(position);
  if (!cell) return nullptr;
  value_.kind = cell->kind;
  if (cell->kind == DbValue::Kind::Text || cell->kind == DbValue::Kind::Blob)
    value_.s.assign(bytes_[cell->offset >> 32], cell->offset & 0xFFFFFFFFu, cell->length);
  else if (cell->kind == DbValue::Kind::Double)
    value_.d = cell->d;
  else
    value_.i = cell->i;
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

// A text column reads whatever it holds as its text (ReadingLetter keeps 'A' and 'M').
bool IsTextLetter(char letter) { return letter == 'A' || letter == 'M'; }

// The text read from a text of a text column, with the mark of the character it lost: one
// conversion gives both.
void MarkedText(const unsigned char* p, int bytes, std::string& out, DbSelect::LostCharacter& lost) {
  size_t at = 0;
  if (!TextFromEngineMarked(p, bytes, out, lost.code, at))
    lost.at = static_cast<int>(at);
  else
    lost = {};
}

// A value as SQL writes it, in the text of a fault: 'abc', X'4181', 12, 1.5.
std::string ValueLiteral(const DbValue& v) {
  switch (v.kind) {
    case DbValue::Kind::Text: return "'" + v.s + "'";
    case DbValue::Kind::Blob: return BytesLiteral(v.s);
    case DbValue::Kind::Double: return Format("%.15g", v.d);
    default: return VariantToDisplayText(v);
  }
}

ReadingMismatchTally& Mismatches() {
  static ReadingMismatchTally tally;
  return tally;
}

// What a value of this kind is, in the text of a refused reading.
const char* KindName(DbValue::Kind kind) {
  switch (kind) {
    case DbValue::Kind::Int16:
    case DbValue::Kind::Int32:
    case DbValue::Kind::Byte:
    case DbValue::Kind::Integer: return "un numero intero";
    case DbValue::Kind::Bool: return "un sì/no";
    case DbValue::Kind::Double: return "un numero con decimali";
    case DbValue::Kind::Currency: return "un importo";
    case DbValue::Kind::Date: return "una data";
    case DbValue::Kind::Text: return "un testo";
    case DbValue::Kind::Blob: return "un dato binario";
    default: return "un valore di tipo sconosciuto";
  }
}

}  // namespace

const ReadingMismatchTally& ReadingMismatches() { return Mismatches(); }

void TellReadingMismatch(const std::string& text, bool toldByCaller) {
  if (toldByCaller) return;
  ReadingMismatchTally& tally = Mismatches();
  ++tally.count;
  tally.lastText = text;
  Notify(text, NoticeIcon::Stop);
}

bool DbSelect::OutsideColumnRange(char letter, std::int64_t number) {
  if (letter == 'I') return number < INT16_MIN || number > INT16_MAX;
  if (letter == 'L') return number < INT32_MIN || number > INT32_MAX;
  return false;
}

DbSelect::ValueFault DbSelect::KindFault(int position, std::string column, const DbValue& value, char letter) {
  ValueFault fault;
  fault.position = position;
  fault.column = std::move(column);
  fault.value = ValueLiteral(value);
  fault.is = KindName(value.kind);
  fault.wanted = KindName(ValueKindOf(letter));
  const bool whole =
      value.kind == DbValue::Kind::Int16 || value.kind == DbValue::Kind::Int32 || value.kind == DbValue::Kind::Integer;
  if (whole && OutsideColumnRange(letter, value.i)) fault.wanted += letter == 'I' ? " di 16 bit" : " di 32 bit";
  return fault;
}

void DbSelect::ReportPosition(int position) const {
  const bool columnExists = position >= 0 && static_cast<size_t>(position) < names_.size();
  Notify("Errore campo (#" + std::to_string(position) + ") nella select corrente\n\n" + sql + "\n\n" +
             (columnExists ? "Nessuna riga corrente" : "La colonna non esiste nel risultato"),
         NoticeIcon::Stop);
}

std::string DbSelect::FaultText(const ValueFault& fault, const char* name, const char* label) {
  std::string text = "il campo ";
  text += name && *name ? name : fault.column.c_str();
  if (label && *label) text += std::string(" (") + label + ")";
  text += " vale " + fault.value + ",\nche è " + fault.is + " e non " + fault.wanted + " come richiede la sua colonna.";
  return text;
}

void DbSelect::NoteFault(int position, std::string literal, const char* is, const char* wanted) {
  if (Faulted()) return;
  fault_.position = position;
  fault_.column = static_cast<size_t>(position) < names_.size() ? names_[static_cast<size_t>(position)] : std::string();
  fault_.value = std::move(literal);
  fault_.is = is;
  fault_.wanted = std::string(std::strcmp(wanted, "data") == 0 ? "una " : "un ") + wanted;
}

const char* DbSelect::Wanted(int position, DbValue::Kind kind, const char* reader) const {
  return kind != DbValue::Kind::Date && letters_[static_cast<size_t>(position)] == 'D' ? "data" : reader;
}

void DbSelect::ReportMismatch(int position, Reader reader, DbValue::Kind kind, const char* wanted) {
  if (!Faulted()) {
    const DbValue* v = Value(position);
    NoteFault(position, v ? ValueLiteral(*v) : std::string(), KindName(kind), wanted);
  }
  const std::string text = "Errore campo (#" + std::to_string(position) + ") nella select corrente\n\n" + sql +
                           "\n\nIl valore è " + KindName(kind) + " e non si legge come " + wanted;
  // Once a column, reader and run: a walk of a million rows shows one box, not a million.
  const size_t told = static_cast<size_t>(position) * 3 + static_cast<size_t>(reader);
  const bool toldBefore = told < mismatchTold_.size() && mismatchTold_[told];
  if (told < mismatchTold_.size()) mismatchTold_[told] = true;
  TellReadingMismatch(text, faultsToCaller_ || toldBefore);
}

// Each reader fetches its cell once and takes the kind from the value itself: a streaming walk
// reads the engine's value straight into the caller's variable, a whole result its packed cell.
int DbSelect::GetFieldTextAt(int position, std::string& out) {
  LostCharacter lost;
  return GetFieldTextAt(position, out, lost);
}

int DbSelect::GetFieldTextAt(int position, std::string& out, LostCharacter& lost) {
  lost = {};
  DbValue::Kind kind = DbValue::Kind::Null;
  std::int64_t number = 0;
  if (streaming_) {
    sqlite3_value* v = StreamedValueOrTell(position);
    if (!v) return 0;
    const int type = sqlite3_value_type(v);
    const char letter = letters_[static_cast<size_t>(position)];
    if (type == SQLITE_BLOB && IsTextLetter(letter)) {
      out = BytesLiteral(v);
      lost = {LostCharacter::kBytes, 0};
      NoteFault(position, out, "un dato binario", "testo");
      return 1;
    }
    if (type != SQLITE_NULL && IsTextLetter(letter)) {
      const unsigned char* p = sqlite3_value_text(v);
      MarkedText(p, sqlite3_value_bytes(v), out, lost);
      return 1;
    }
    ValueInto(v, letter, value_);
    if (value_.kind == DbValue::Kind::Text && letter != 'D') {
      out.swap(value_.s);
      if (type != SQLITE_TEXT || !FindLostCharacter(sqlite3_value_text(v), sqlite3_value_bytes(v), lost.code, lost.at))
        lost = {};
      return 1;
    }
    kind = value_.kind;
    number = value_.i;
  } else {
    const Cell* cell = CurrentCellOrTell(position);
    if (!cell) return 0;
    if (cell->kind == DbValue::Kind::Text && letters_[static_cast<size_t>(position)] != 'D') {
      out.assign(bytes_[cell->offset >> 32], cell->offset & 0xFFFFFFFFu, cell->length);
      if (!lost_.empty()) {
        const auto it = lost_.find(row_ * names_.size() + static_cast<size_t>(position));
        if (it != lost_.end()) lost = it->second;
        if (lost.code == LostCharacter::kBytes) NoteFault(position, out, "un dato binario", "testo");
      }
      return 1;
    }
    kind = cell->kind;
    if (kind == DbValue::Kind::Date) number = cell->i;
  }
  if (kind == DbValue::Kind::Date) {
    out = FormatDateYmd(number);
    return 1;
  }
  out.clear();
  if (kind != DbValue::Kind::Null) ReportMismatch(position, Reader::Text, kind, Wanted(position, kind, "testo"));
  return 0;
}

int DbSelect::GetFieldTextAt(int position, std::string_view& text, std::string& buffer, LostCharacter& lost) {
  if (sqlite3_value* v = StreamedValue(position)) {
    const int type = sqlite3_value_type(v);
    if (type == SQLITE_TEXT && IsTextLetter(letters_[static_cast<size_t>(position)])) {
      const unsigned char* p = sqlite3_value_text(v);
      const int bytes = sqlite3_value_bytes(v);
      if (IsAsciiText(p, bytes)) {
        lost = {};
        text = std::string_view(reinterpret_cast<const char*>(p), static_cast<size_t>(bytes));
      } else {
        MarkedText(p, bytes, buffer, lost);  // the cell found once, not looked up again below
        text = buffer;
      }
      return 1;
    }
  }
  const int read = GetFieldTextAt(position, buffer, lost);
  text = buffer;
  return read;
}

bool DbSelect::StreamedWholeNumber(int position, std::int64_t& out) const {
  if (!streaming_ || !stmt_ || !hasRow || position < 0 || static_cast<size_t>(position) >= names_.size()) return false;
  sqlite3_value* v = sqlite3_column_value(stmt_, position);
  const char letter = letters_[static_cast<size_t>(position)];
  if (sqlite3_value_type(v) != SQLITE_INTEGER || (letter != 'I' && letter != 'L' && letter != 'B' && letter != 0))
    return false;
  out = sqlite3_value_int64(v);
  if (letter == 'B') out = out != 0 ? -1 : 0;  // yes/no as -1 or 0
  return !OutsideColumnRange(letter, out);
}

int DbSelect::WholeNumberAt(int position, Reader reader, std::int64_t& out) {
  out = 0;
  DbValue::Kind kind = DbValue::Kind::Null;
  std::int64_t number = 0;
  if (streaming_) {
    sqlite3_value* v = StreamedValueOrTell(position);
    if (!v) return -1;
    const int type = sqlite3_value_type(v);
    const char letter = letters_[static_cast<size_t>(position)];
    if (type == SQLITE_NULL) return 0;
    if (type == SQLITE_INTEGER && (letter == 'I' || letter == 'L' || letter == 'B' || letter == 0)) {
      number = sqlite3_value_int64(v);
      kind = letter == 'B' ? DbValue::Kind::Bool : DbValue::Kind::Integer;
    } else {
      ValueInto(v, letter, value_);
      kind = value_.kind;
      number = value_.i;
    }
  } else {
    const Cell* cell = CurrentCellOrTell(position);
    if (!cell) return -1;
    kind = cell->kind;
    // Texts, bytes and numbers with decimals hold no whole number in the cell.
    if (kind != DbValue::Kind::Text && kind != DbValue::Kind::Blob && kind != DbValue::Kind::Double) number = cell->i;
  }
  if (kind != DbValue::Kind::Null && letters_[static_cast<size_t>(position)] == 'D') {
    ReportMismatch(position, reader, kind, Wanted(position, kind, "numero intero"));
    return -1;
  }
  switch (kind) {
    case DbValue::Kind::Null: return 0;
    case DbValue::Kind::Int16:
    case DbValue::Kind::Int32:
    case DbValue::Kind::Byte:
    case DbValue::Kind::Integer:
      if (const char letter = letters_[static_cast<size_t>(position)]; OutsideColumnRange(letter, number)) {
        ReportMismatch(position, reader, DbValue::Kind::Integer,
                       letter == 'I' ? "numero intero di 16 bit" : "numero intero di 32 bit");
        return -1;
      }
      out = number;
      return 1;
    case DbValue::Kind::Bool: out = number != 0 ? -1 : 0; return 1;
    default: ReportMismatch(position, reader, kind, "numero intero"); return -1;
  }
}

int DbSelect::GetFieldIntAt(int position, int* out) {
  std::int64_t number = 0;
  if (StreamedWholeNumber(position, number) && number >= INT32_MIN && number <= INT32_MAX) {
    if (out) *out = static_cast<int>(number);
    return 1;
  }
  int r = WholeNumberAt(position, Reader::Int, number);
  if (r == 1 && (number < INT32_MIN || number > INT32_MAX)) {
    ReportMismatch(position, Reader::Int, DbValue::Kind::Integer, "numero intero di 32 bit");
    number = 0;
    r = 0;
  }
  if (out) *out = static_cast<int>(number);
  return r == 1;
}

int DbSelect::GetFieldLongAt(int position, long* out) {
  std::int64_t number = 0;
  if (StreamedWholeNumber(position, number)) {
    if (out) *out = static_cast<long>(number);
    return 1;
  }
  const int r = WholeNumberAt(position, Reader::Long, number);
  if (out) *out = static_cast<long>(number);
  return r == 1;
}

DbSelect::LostCharacter DbSelect::LostAt(int position) {
  LostCharacter lost;
  if (!hasRow || position < 0 || static_cast<size_t>(position) >= names_.size()) return lost;
  if (streaming_) {
    if (!stmt_) return lost;
    sqlite3_value* v = sqlite3_column_value(stmt_, position);
    if (sqlite3_value_type(v) == SQLITE_BLOB && IsTextLetter(letters_[static_cast<size_t>(position)]))
      return {LostCharacter::kBytes, 0};
    if (sqlite3_value_type(v) != SQLITE_TEXT ||
        !FindLostCharacter(sqlite3_value_text(v), sqlite3_value_bytes(v), lost.code, lost.at))
      lost = {};
    return lost;
  }
  if (row_ >= rows_ || lost_.empty()) return lost;
  const auto it = lost_.find(row_ * names_.size() + static_cast<size_t>(position));
  return it == lost_.end() ? lost : it->second;
}

void DbSelect::SetParameters(std::vector<std::string> texts) {
  parameters_.clear();
  parameters_.reserve(texts.size());
  for (std::string& text : texts) parameters_.push_back({std::move(text), {}});
}

DbText DbSelect::TrimmedTextAt(int position) {
  DbText out{TrimmedAt(position), {}};
  const char32_t lost = LostAt(position).code;
  if (lost == 0) return out;
  if (lost == LostCharacter::kBytes) {
    out.stored = out.text;  // the literal, which stands for the bytes
    return out;
  }
  if (streaming_) {
    sqlite3_value* v = sqlite3_column_value(stmt_, position);
    out.stored.assign(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                      static_cast<size_t>(sqlite3_value_bytes(v)));
  } else {
    const auto it = storedLost_.find(row_ * names_.size() + static_cast<size_t>(position));
    if (it != storedLost_.end()) out.stored = it->second;
  }
  const size_t end = out.stored.find_last_not_of(' ');
  out.stored.erase(end == std::string::npos ? 0 : end + 1);
  return out;
}

DbText DbSelect::DateKeyAt(int position) {
  DbText key;
  if (!GetFieldTextAt(position, key.text)) {
    key.text.clear();
    return key;
  }
  const DbValue* value = Value(position);
  if (!value || value->kind != DbValue::Kind::Date) return key;
  if (sqlite3_value* v = StreamedValue(position); v && sqlite3_value_bytes(v) != kIsoDateLength) {
    key.stored.assign(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                      static_cast<size_t>(sqlite3_value_bytes(v)));
  } else if (const auto it = storedDates_.find(row_ * names_.size() + static_cast<size_t>(position));
             !streaming_ && it != storedDates_.end()) {
    key.stored = it->second;
  } else if (const std::int64_t ymd = value->i; !IsKeptDate(
                 static_cast<int>(ymd / 10000), static_cast<int>(ymd / 100 % 100), static_cast<int>(ymd % 100))) {
    key.stored = IsoDate(ymd);
  }
  return key;
}

bool DbSelect::ReadTrimmedText(int position, std::string& out, LostCharacter& lost) {
  const bool read = GetFieldTextAt(position, out, lost) != 0;
  if (!read) out.clear();
  out.resize(out.find_last_not_of(' ') + 1);
  return read;
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
