#include "db/DbTable.h"

#include "common/Notices.h"
#include "db/DbDatabase.h"
#include "db/DbDdl.h"
#include "db/DbError.h"
#include "db/DbSelect.h"
#include "db/SqliteValue.h"

#include <strings.h>
#include <algorithm>
#include <cstring>
#include <regex>

namespace {

void Box(const std::string& text) { Notify(text, NoticeIcon::Stop); }

}  // namespace

DbTable::DbTable(DbDatabase* database, const char* name) : db(database) {
  if (!db || !db->isOpen) {
    isOpen = false;
    return;
  }
  tableName = name ? name : "";
  quotedName_ = SqlName(tableName);
  isOpen = true;
  std::string error;
  if (!LoadSchema(error)) {
    Box("Errore in fase di apertura della tavola (" + tableName + ")\n\n" + error);
    isOpen = false;
  }
}

DbTable::~DbTable() {
  FreeSavedRecord();
  sqlite3_finalize(insert_);
  sqlite3_finalize(delete_);
  for (auto& [k, st] : seeks_) sqlite3_finalize(st);
  for (auto& [k, st] : updates_) sqlite3_finalize(st);
  isOpen = false;
}

sqlite3_stmt* DbTable::Prepare(const std::string& sql, std::string& error) {
  sqlite3_stmt* st = nullptr;
  const std::string text = TextToEngine(sql);
  const int rc = sqlite3_prepare_v3(db->Handle(), text.c_str(), static_cast<int>(text.size()),
                                    SQLITE_PREPARE_PERSISTENT, &st, nullptr);
  if (rc != SQLITE_OK) {
    error = EngineErrorText(db->Handle(), rc);
    sqlite3_finalize(st);
    return nullptr;
  }
  return st;
}

bool DbTable::LoadSchema(std::string& error) {
  sqlite3* h = db->Handle();
  if (tableName.empty()) {
    error = "Nome della tavola mancante";
    return false;
  }
  sqlite3_stmt* st = nullptr;
  std::string createSql;
  bool found = false;
  if (sqlite3_prepare_v2(h, "SELECT name, sql FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE", -1,
                         &st, nullptr) != SQLITE_OK) {
    error = EngineErrorText(h, sqlite3_errcode(h));
    return false;
  }
  const std::string engineName = TextToEngine(tableName);
  sqlite3_bind_text(st, 1, engineName.c_str(), -1, SQLITE_TRANSIENT);
  int rc = sqlite3_step(st);
  if (rc == SQLITE_ROW) {
    found = true;
    const unsigned char* s = sqlite3_column_text(st, 1);
    createSql = s ? reinterpret_cast<const char*>(s) : "";
  } else if (rc != SQLITE_DONE) {
    error = EngineErrorText(h, rc);
    sqlite3_finalize(st);
    return false;
  }
  sqlite3_finalize(st);
  if (!found) {
    error = "La tavola non esiste nel database";
    return false;
  }

  std::vector<std::pair<int, int>> pk;  // (position in key, column)
  if (sqlite3_prepare_v2(h, ("PRAGMA table_info(" + SqlName(engineName) + ")").c_str(), -1, &st, nullptr) !=
      SQLITE_OK) {
    error = EngineErrorText(h, sqlite3_errcode(h));
    return false;
  }
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    Column c;
    c.name = TextFromEngine(sqlite3_column_text(st, 1), sqlite3_column_bytes(st, 1));
    const unsigned char* decl = sqlite3_column_text(st, 2);
    c.type = FieldTypeFromDeclared(decl ? reinterpret_cast<const char*>(decl) : "");
    if (c.type.letter == 0) c.type.letter = 'M';  // a column of another program: free text
    if (const int pos = sqlite3_column_int(st, 5); pos > 0) pk.emplace_back(pos, static_cast<int>(columns_.size()));
    columns_.push_back(std::move(c));
  }
  sqlite3_finalize(st);
  if (columns_.empty()) {
    error = "La tavola non ha campi";
    return false;
  }
  static const std::regex kWithoutRowid(R"re(\)\s*WITHOUT\s+ROWID\s*$)re", std::regex::icase);
  withoutRowid_ = std::regex_search(createSql, kWithoutRowid);
  if (!pk.empty()) {
    std::sort(pk.begin(), pk.end());
    for (auto& [pos, col] : pk) primaryKey_.push_back(col);
    Index idx;
    std::smatch m;
    static const std::regex kPkName(R"re(CONSTRAINT\s+"?(\w+)"?\s+PRIMARY\s+KEY)re", std::regex::icase);
    idx.name = std::regex_search(createSql, m, kPkName) ? m[1].str() : "PrimaryKey";
    for (auto& [pos, col] : pk) idx.columns.push_back(col);
    indexes_.push_back(std::move(idx));
  }

  if (sqlite3_prepare_v2(h,
                         "SELECT name FROM sqlite_master WHERE type='index' AND tbl_name=?1 COLLATE NOCASE "
                         "AND sql IS NOT NULL ORDER BY name",
                         -1, &st, nullptr) != SQLITE_OK) {
    error = EngineErrorText(h, sqlite3_errcode(h));
    return false;
  }
  sqlite3_bind_text(st, 1, engineName.c_str(), -1, SQLITE_TRANSIENT);
  std::vector<std::string> names;
  while (sqlite3_step(st) == SQLITE_ROW) names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  const std::string prefix = SqlIndexName(engineName, "");
  for (const std::string& full : names) {
    Index idx;
    idx.name = strncasecmp(full.c_str(), prefix.c_str(), prefix.size()) == 0 ? full.substr(prefix.size()) : full;
    if (sqlite3_prepare_v2(h, ("PRAGMA index_info(" + SqlName(full) + ")").c_str(), -1, &st, nullptr) != SQLITE_OK)
      continue;
    std::vector<std::pair<int, int>> cols;
    while (sqlite3_step(st) == SQLITE_ROW) cols.emplace_back(sqlite3_column_int(st, 0), sqlite3_column_int(st, 1));
    sqlite3_finalize(st);
    std::sort(cols.begin(), cols.end());
    for (auto& [seq, cid] : cols)
      if (cid >= 0) idx.columns.push_back(cid);
    if (!idx.columns.empty()) indexes_.push_back(std::move(idx));
  }
  return true;
}

void DbTable::Fail(const std::string& text) { Box(text); }

void DbTable::RefuseAsDuplicate() {
  Fail("Errore aggiornamento tavola (" + tableName + ")\n\n" + EngineErrorText(SQLITE_CONSTRAINT_UNIQUE, {}));
}

int DbTable::FindColumn(const char* name) const {
  if (!name) return -1;
  for (size_t k = 0; k < columns_.size(); ++k)
    if (strcasecmp(columns_[k].name.c_str(), name) == 0) return static_cast<int>(k);
  return -1;
}

int DbTable::SetIndex(const char* indexName) {
  if (!isOpen) return 0;
  for (size_t k = 0; k < indexes_.size(); ++k) {
    if (indexName && strcasecmp(indexes_[k].name.c_str(), indexName) == 0) {
      currentIndex_ = static_cast<int>(k);
      return 1;
    }
  }
  Box("Errore selezione indice (" + std::string(indexName ? indexName : "") + ") tavola (" + tableName +
      ")\n\nL'indice non esiste nella tavola");
  return 0;
}

void DbTable::LoadCurrent(sqlite3_stmt* st) {
  currentRowid_ = withoutRowid_ ? 0 : sqlite3_column_int64(st, 0);
  current_.resize(columns_.size());
  wrongKind_.assign(columns_.size(), 0);
  for (size_t k = 0; k < columns_.size(); ++k) {
    const int at = static_cast<int>(k) + 1;
    const char letter = columns_[k].type.letter;
    const int type = sqlite3_column_type(st, at);
    const bool text = letter == 'A' || letter == 'M';
    // Bytes in a text column are read as bytes, never as a text.
    current_[k] = ColumnValue(st, at, text && type == SQLITE_BLOB ? 'O' : letter);
    wrongKind_[k] =
        type != SQLITE_NULL && ((text && type == SQLITE_BLOB) || ReadingLetter(letter, type) != letter ||
                                (letter == 'D' && current_[k].kind != DbValue::Kind::Date) ||
                                (type == SQLITE_INTEGER && DbSelect::OutsideColumnRange(letter, current_[k].i)));
  }
  currentKey_.clear();
  currentKeyStored_.clear();
  if (withoutRowid_)
    for (int col : primaryKey_) {
      currentKey_.push_back(current_[col]);
      // A text key that lost a character, or a date key stored with a time of day, is the row's
      // identity only as stored. A date key of a year the database does not keep as itself (read
      // as "00/00/0000" or "99/99/9999") keeps its own date, which is bound as it is stored.
      std::string& stored = currentKeyStored_.emplace_back();
      const DbValue::Kind kind = current_[col].kind;
      if ((kind != DbValue::Kind::Text && kind != DbValue::Kind::Date) ||
          sqlite3_column_type(st, col + 1) != SQLITE_TEXT)
        continue;
      const unsigned char* p = sqlite3_column_text(st, col + 1);
      const int bytes = sqlite3_column_bytes(st, col + 1);
      char32_t code = 0;
      int at = 0;
      if (kind == DbValue::Kind::Date ? bytes != 10 : FindLostCharacter(p, bytes, code, at))
        stored.assign(reinterpret_cast<const char*>(p), bytes);
    }
  hasCurrent_ = true;
}

std::string DbTable::RowCondition(int first) const {
  if (!withoutRowid_) return "rowid=?" + std::to_string(first);
  std::string condition;
  for (size_t k = 0; k < primaryKey_.size(); ++k) {
    if (k) condition += " AND ";
    condition += SqlName(columns_[primaryKey_[k]].name) + "=?" + std::to_string(first + static_cast<int>(k));
  }
  return condition;
}

void DbTable::BindCurrentRow(sqlite3_stmt* st, int first) {
  if (!withoutRowid_) {
    sqlite3_bind_int64(st, first, currentRowid_);
    return;
  }
  for (size_t k = 0; k < currentKey_.size(); ++k) {
    const std::string& stored = currentKeyStored_[k];  // made with currentKey_, one a key field
    if (stored.empty())
      BindValue(st, first + static_cast<int>(k), currentKey_[k]);
    else
      sqlite3_bind_text(st, first + static_cast<int>(k), stored.data(), static_cast<int>(stored.size()),
                        SQLITE_TRANSIENT);
  }
}

int DbTable::SeekEqual(const std::vector<DbText>& keys) {
  std::vector<const char*> texts;
  for (const DbText& key : keys) texts.push_back(key.text.c_str());
  return Seek(static_cast<int>(texts.size()), texts.data(), keys.data());
}

int DbTable::SeekEqual(std::initializer_list<const char*> keys) {
  return SeekEqual(static_cast<int>(keys.size()), keys.begin());
}

int DbTable::SeekEqual(int keyCount, const char* const* keys) { return Seek(keyCount, keys, nullptr); }

int DbTable::Seek(int keyCount, const char* const* keys, const DbText* stored) {
  if (!isOpen) return 0;
  // A seek drops a row being added or edited, as it moves off the current row.
  mode_ = Mode::None;
  hasCurrent_ = false;
  const std::string prefix = "Errore lettura tavola (" + tableName + ")\n\n";
  if (currentIndex_ < 0) {
    Box(prefix + "Nessun indice corrente per la ricerca");
    return 0;
  }
  const Index& idx = indexes_[currentIndex_];
  if (keyCount < 1 || keyCount > static_cast<int>(idx.columns.size()) || keyCount > 13) {
    Box(prefix + "Numero di chiavi non valido per l'indice (" + idx.name + ")");
    return 0;
  }
  std::vector<DbValue> values(static_cast<size_t>(keyCount));
  for (int k = 0; k < keyCount; ++k) {
    const char* key = keys[k] ? keys[k] : "";
    const FieldType type = columns_[idx.columns[k]].type;
    std::string error;
    if (type.letter == 'A' || type.letter == 'M') {
      values[k] = DbValue::Str(DbValue::Kind::Text, key);
    } else if (type.letter == 'D' && stored && stored[k].Lost()) {
      // A date read with its stored text (DbSelect::DateKeyAt), which its text read would not find.
      values[k] = DbValue::Str(DbValue::Kind::Text, stored[k].stored);
    } else if (type.letter == 'D' && (std::strcmp(key, "00/00/0000") == 0 || std::strcmp(key, "99/99/9999") == 0)) {
      Box(prefix + "Il valore della chiave <" + key + "> non è una data valida");
      return 0;
    } else if (*key == 0 || !ParseFieldText(type, key, values[k], error)) {
      Box(prefix + "Il valore della chiave <" + key + "> non è valido per il campo " + columns_[idx.columns[k]].name +
          (error.empty() ? "" : ": " + error));
      return 0;
    }
  }
  sqlite3_stmt*& st = seeks_[{currentIndex_, keyCount}];
  if (!st) {
    std::string sql =
        std::string(withoutRowid_ ? "SELECT NULL, * FROM " : "SELECT rowid, * FROM ") + quotedName_ + " WHERE ";
    for (int k = 0; k < keyCount; ++k) {
      if (k) sql += " AND ";
      sql += SqlName(columns_[idx.columns[k]].name) + "=?" + std::to_string(k + 1);
    }
    sql += " ORDER BY ";
    // In index order, ties in the order rows are stored.
    for (int col : idx.columns) sql += SqlName(columns_[col].name) + ", ";
    if (withoutRowid_) {
      for (int col : primaryKey_) sql += SqlName(columns_[col].name) + ", ";
      sql.resize(sql.size() - 2);
      sql += " LIMIT 1";
    } else {
      sql += "rowid LIMIT 1";
    }
    std::string error;
    st = Prepare(sql, error);
    if (!st) {
      Box(prefix + error);
      return 0;
    }
  }
  for (int k = 0; k < keyCount; ++k) {
    if (stored && stored[k].Lost() && values[k].kind == DbValue::Kind::Text)
      BindDbText(st, k + 1, stored[k]);
    else
      BindValue(st, k + 1, values[k]);
  }
  const int rc = sqlite3_step(st);
  int found = 0;
  if (rc == SQLITE_ROW) {
    LoadCurrent(st);
    found = 1;
  } else if (rc != SQLITE_DONE) {
    Box(prefix + EngineErrorText(db->Handle(), rc));
  }
  sqlite3_reset(st);
  sqlite3_clear_bindings(st);
  return found;
}

int DbTable::Edit() {
  if (!isOpen) return 0;
  if (!hasCurrent_) {
    Box("Errore editing tavola (" + tableName + ")\n\nNessuna riga corrente");
    return 0;
  }
  pending_ = current_;
  dirty_.assign(columns_.size(), 0);
  mode_ = Mode::Editing;
  return 1;
}

int DbTable::AddNew() {
  if (!isOpen) return 0;
  pending_.assign(columns_.size(), DbValue::Null());
  dirty_.assign(columns_.size(), 0);
  mode_ = Mode::Adding;
  return 1;
}

int DbTable::Update() {
  if (!isOpen) return 0;
  const std::string prefix = "Errore aggiornamento tavola (" + tableName + ")\n\n";
  if (mode_ == Mode::None) {
    Fail(prefix + "Nessuna riga in inserimento o in modifica");
    return 0;
  }
  std::string error;
  sqlite3_stmt* st = nullptr;
  if (mode_ == Mode::Adding) {
    if (!insert_) {
      std::string cols, params;
      for (size_t k = 0; k < columns_.size(); ++k) {
        if (k) {
          cols += ", ";
          params += ", ";
        }
        cols += SqlName(columns_[k].name);
        params += "?" + std::to_string(k + 1);
      }
      insert_ = Prepare("INSERT INTO " + quotedName_ + " (" + cols + ") VALUES (" + params + ")", error);
      if (!insert_) {
        Fail(prefix + error);
        return 0;
      }
    }
    st = insert_;
    for (size_t k = 0; k < columns_.size(); ++k) BindValue(st, static_cast<int>(k) + 1, pending_[k]);
  } else {
    if (std::find(dirty_.begin(), dirty_.end(), 1) == dirty_.end()) {
      mode_ = Mode::None;
      return 1;
    }
    sqlite3_stmt*& cached = updates_[dirty_];
    if (!cached) {
      std::string sql = "UPDATE " + quotedName_ + " SET ";
      bool first = true;
      for (size_t k = 0; k < columns_.size(); ++k) {
        if (!dirty_[k]) continue;
        if (!first) sql += ", ";
        first = false;
        sql += SqlName(columns_[k].name) + "=?" + std::to_string(k + 1);
      }
      sql += " WHERE " + RowCondition(static_cast<int>(columns_.size()) + 1);
      cached = Prepare(sql, error);
      if (!cached) {
        Fail(prefix + error);
        return 0;
      }
    }
    st = cached;
    for (size_t k = 0; k < columns_.size(); ++k)
      if (dirty_[k]) BindValue(st, static_cast<int>(k) + 1, pending_[k]);
    BindCurrentRow(st, static_cast<int>(columns_.size()) + 1);
  }
  // Inside a transaction the engine ended, the row would be stored on its own: it stays pending.
  if (!db->MayWrite()) {
    sqlite3_clear_bindings(st);
    return 0;
  }
  const int rc = sqlite3_step(st);
  bool ok = rc == SQLITE_DONE;
  if (!ok) error = db->WriteRefusal(rc, mode_ == Mode::Adding ? DbOperation::Insert : DbOperation::Update);
  // An edit of a row that another table or program has deleted or re-keyed meanwhile stores nothing.
  if (ok && mode_ == Mode::Editing && sqlite3_changes(db->Handle()) == 0) {
    ok = false;
    error = "La riga non esiste più: è stata eliminata o modificata da un altro utente";
  }
  sqlite3_reset(st);
  sqlite3_clear_bindings(st);
  if (!ok) {
    // The row stays pending, as the engine leaves it, until the next AddNew, Edit or seek.
    Fail(prefix + error);
    return 0;
  }
  if (mode_ == Mode::Editing) {
    current_ = pending_;
    // A new key is the row's new identity.
    for (size_t k = 0; k < dirty_.size() && k < wrongKind_.size(); ++k)
      if (dirty_[k]) wrongKind_[k] = 0;  // a value set is of its column's kind
    for (size_t k = 0; k < currentKey_.size(); ++k) {
      currentKey_[k] = current_[primaryKey_[k]];
      if (dirty_[static_cast<size_t>(primaryKey_[k])]) currentKeyStored_[k].clear();
    }
  }
  mode_ = Mode::None;
  return 1;
}

int DbTable::Delete() {
  if (!isOpen) return 0;
  const std::string prefix = "Errore eliminazione tavola (" + tableName + ")\n\n";
  if (!hasCurrent_) {
    Box(prefix + "Nessuna riga corrente");
    return 0;
  }
  std::string error;
  if (!delete_) {
    delete_ = Prepare("DELETE FROM " + quotedName_ + " WHERE " + RowCondition(1), error);
    if (!delete_) {
      Box(prefix + error);
      return 0;
    }
  }
  if (!db->MayWrite()) return 0;
  BindCurrentRow(delete_, 1);
  const int rc = sqlite3_step(delete_);
  if (rc != SQLITE_DONE) error = db->WriteRefusal(rc, DbOperation::Delete);
  sqlite3_reset(delete_);
  if (rc != SQLITE_DONE) {
    Box(prefix + error);
    return 0;
  }
  if (sqlite3_changes(db->Handle()) == 0) {
    Box(prefix + "La riga non esiste più: è stata eliminata da un altro utente");
    hasCurrent_ = false;
    return 0;
  }
  hasCurrent_ = false;
  mode_ = Mode::None;
  return 1;
}

void DbTable::ReportField(const char* field, const std::string& text, bool withValue, const std::string& description) {
  std::string msg = "Errore campo (" + std::string(field ? field : "") + ") della tavola (" + tableName + ")";
  if (withValue) msg += " <" + text + ">";
  Fail(msg + "\n\n" + description);
}

int DbTable::SetFieldText(const char* field, const char* text) {
  if (!isOpen) return 0;
  const std::string original = text ? text : "";
  const bool empty = original.empty();
  const int col = FindColumn(field);
  if (col < 0) {
    ReportField(field, empty ? "NULL" : original, true, "Il campo non esiste nella tavola");
    return 0;
  }
  if (mode_ == Mode::None) {
    ReportField(field, empty ? "NULL" : original, true, "Nessuna riga in inserimento o in modifica");
    return 0;
  }
  DbValue value;
  std::string error;
  if (!ParseFieldText(columns_[col].type, original, value, error)) {
    ReportField(field, original, true, error);
    return 0;
  }
  pending_[col] = std::move(value);
  dirty_[col] = 1;
  return 1;
}

int DbTable::SetFieldTextAt(int position, std::string_view text) {
  if (!isOpen) return 0;
  if (position < 0 || position >= static_cast<int>(columns_.size())) {
    ReportField(("#" + std::to_string(position)).c_str(), text.empty() ? "NULL" : std::string(text), true,
                "Il campo non esiste nella tavola");
    return 0;
  }
  const Column& column = columns_[position];
  if (mode_ == Mode::None) {
    ReportField(column.name.c_str(), text.empty() ? "NULL" : std::string(text), true,
                "Nessuna riga in inserimento o in modifica");
    return 0;
  }
  DbValue& slot = pending_[position];
  const char letter = column.type.letter;
  if (!text.empty() && (letter == 'M' || (letter == 'A' && (column.type.size <= 0 ||
                                                            text.size() <= static_cast<size_t>(column.type.size))))) {
    // A text that fits goes in as it is (into the storage the slot already has).
    slot.kind = DbValue::Kind::Text;
    slot.s.assign(text);
  } else {
    DbValue value;
    std::string error;
    if (!ParseFieldText(column.type, text, value, error)) {
      ReportField(column.name.c_str(), std::string(text), true, error);
      return 0;
    }
    slot = std::move(value);
  }
  dirty_[position] = 1;
  return 1;
}

int DbTable::SetFieldNumberAt(int position, std::int64_t value) {
  if (isOpen && position >= 0 && position < static_cast<int>(columns_.size()) && mode_ != Mode::None) {
    DbValue::Kind kind = DbValue::Kind::Null;
    switch (columns_[position].type.letter) {
      case 'I':
        if (value >= -32768 && value <= 32767) kind = DbValue::Kind::Int16;
        break;
      case 'L':
        if (value >= INT32_MIN && value <= INT32_MAX) kind = DbValue::Kind::Int32;
        break;
      case 'B':
        kind = DbValue::Kind::Bool;
        value = value != 0;
        break;
      default: break;
    }
    if (kind != DbValue::Kind::Null) {
      DbValue& slot = pending_[position];
      slot.kind = kind;
      slot.i = value;
      dirty_[position] = 1;
      return 1;
    }
  }
  // Any other case as its text, which says what is wrong.
  return SetFieldTextAt(position, std::to_string(value));
}

int DbTable::SetFieldBinary(const char* field, const unsigned char* bytes, int length) {
  if (!isOpen) return 0;
  if (length <= 0 || !bytes) return SetFieldText(field, "");
  std::string shown;
  for (int k = 0; k < length && bytes[k]; ++k) shown.push_back(static_cast<char>(bytes[k]));
  const int col = FindColumn(field);
  if (col < 0 || mode_ == Mode::None || columns_[col].type.letter != 'O') {
    ReportField(field, shown, true,
                col < 0 ? "Il campo non esiste nella tavola"
                        : (mode_ == Mode::None ? "Nessuna riga in inserimento o in modifica"
                                               : "Il campo non accetta dati binari"));
    return 0;
  }
  pending_[col] = DbValue::Str(DbValue::Kind::Blob, std::string(reinterpret_cast<const char*>(bytes), length));
  dirty_[col] = 1;
  return 1;
}

bool DbTable::ReadField(const char* field, const DbValue*& value) {
  const int col = FindColumn(field);
  if (col < 0) {
    ReportField(field, {}, false, "Il campo non esiste nella tavola");
    return false;
  }
  if (mode_ != Mode::None) {
    value = &pending_[col];
    // A field not set since the row was put in editing holds what was read.
    return mode_ != Mode::Editing || dirty_[static_cast<size_t>(col)] || OfItsKind(col, *value);
  }
  if (!hasCurrent_) {
    ReportField(field, {}, false, "Nessuna riga corrente");
    return false;
  }
  value = &current_[col];
  return OfItsKind(col, *value);
}

bool DbTable::OfItsKind(int col, const DbValue& value) {
  if (!wrongKind_[static_cast<size_t>(col)]) return true;
  const Column& column = columns_[static_cast<size_t>(col)];
  const DbSelect::ValueFault fault = DbSelect::KindFault(col, column.name, value, column.type.letter);
  if (!Faulted()) fault_ = fault;
  TellReadingMismatch("Errore campo (" + column.name + ") della tavola (" + tableName + ") <" + fault.value +
                          ">\n\nIl valore è " + fault.is + " e non " + fault.wanted + " come richiede la sua colonna",
                      faultsToCaller_);
  return false;
}

int DbTable::GetFieldText(const char* field, std::string& out) {
  if (!isOpen) return 0;
  const DbValue* v = nullptr;
  if (!ReadField(field, v)) {
    if (v) out.clear();  // a value not of its column's kind: none
    return 0;
  }
  return VariantToText(*v, out);
}

int DbTable::GetFieldDisplayText(const char* field, std::string& out) {
  if (!isOpen) return 0;
  const DbValue* v = nullptr;
  if (!ReadField(field, v)) {
    if (v) out.clear();  // a value not of its column's kind: none
    return 0;
  }
  return VariantToDisplayText(*v, out);
}

int DbTable::GetFieldBinary(const char* field, std::string& out, int* length) {
  if (!isOpen) return 0;
  const DbValue* v = nullptr;
  if (!ReadField(field, v)) return 0;
  return VariantBlobCopy(*v, out, length);
}

int DbTable::GetFieldBinarySize(const char* field) {
  if (!isOpen) return 0;
  const DbValue* v = nullptr;
  if (!ReadField(field, v)) return 0;
  return VariantBlobSize(*v);
}

int DbTable::SaveRecord() {
  FreeSavedRecord();
  if (!isOpen) return 1;
  saved_.resize(columns_.size());
  int whole = 1;
  for (size_t k = 0; k < columns_.size(); ++k) {
    SavedField& f = saved_[k];
    f.name = columns_[k].name;
    if (columns_[k].type.letter == 'O') {
      int length = 0;
      GetFieldBinary(f.name.c_str(), f.value, &length);
      f.length = length;
    } else if (!GetFieldText(f.name.c_str(), f.value)) {
      f.value.clear();
      if (wrongKind_.size() == columns_.size() && wrongKind_[k]) whole = 0;
    }
  }
  return whole;
}

int DbTable::RestoreRecord() {
  for (const SavedField& f : saved_) {
    if (f.length < 0)
      SetFieldText(f.name.c_str(), f.value.c_str());
    else
      SetFieldBinary(f.name.c_str(), reinterpret_cast<const unsigned char*>(f.value.data()), f.length);
  }
  return 1;
}

void DbTable::FreeSavedRecord() { saved_.clear(); }
