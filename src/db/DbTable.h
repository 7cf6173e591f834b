#pragma once
// One table of the open database: rows found by an index and a key, added, edited and deleted,
// read and written field by field, every value as text. Each operation tells its own failure
// through the notice sink (common/Notices.h) and returns 0; an engine that gathers the failures
// rather than have them shown collects them into its Outcome (common/Outcome.h).

#include "db/DbSelect.h"
#include "db/FieldType.h"
#include "db/FieldValue.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class DbDatabase;
struct sqlite3_stmt;

class DbTable {
 public:
  DbTable(DbDatabase* db, const char* tableName);
  virtual ~DbTable();
  DbTable(const DbTable&) = delete;
  DbTable& operator=(const DbTable&) = delete;

  int SetIndex(const char* indexName);
  // Finds the first row, in index order, whose first `keyCount` fields of the current index
  // equal the keys (texts; a null key counts as the empty text).
  int SeekEqual(int keyCount, const char* const* keys);
  int SeekEqual(std::initializer_list<const char*> keys);
  // The same with keys read from the database (DbSelect::TrimmedTextAt, DateKeyAt): a text that
  // lost a character Windows-1252 lacks is sought as stored, bytes as bytes, and so is a date whose
  // text read would not find it ("99/99/9999" for 9999-12-31). A row found so (or by any seek) whose
  // key lost a character is edited and deleted by its stored key.
  int SeekEqual(const std::vector<DbText>& keys);
  int Edit();
  int AddNew();
  int Update();
  // Refuses a row whose key the caller found stored in another form (a date with a time of day),
  // with the box the engine's refusal of a key already stored gives.
  void RefuseAsDuplicate();
  int Delete();
  int SetFieldText(const char* field, const char* text);
  int SetFieldText(const char* field, const std::string& text) { return SetFieldText(field, text.c_str()); }
  int SetFieldBinary(const char* field, const unsigned char* bytes, int length);
  // Fields by position, for callers that write many rows: FieldIndex once per table (-1 when the
  // table has no such field), then these setters, with the checks and messages of SetFieldText
  // but without finding the field by name for every value or passing a number through its text.
  int FieldIndex(const char* field) const { return FindColumn(field); }
  int SetFieldTextAt(int position, std::string_view text);
  int SetFieldNumberAt(int position, std::int64_t value);
  int GetFieldText(const char* field, std::string& out);
  int GetFieldDisplayText(const char* field, std::string& out);
  int GetFieldBinary(const char* field, std::string& out, int* length);
  int GetFieldBinarySize(const char* field);
  // The first value read from the table (by the field readers above, or SaveRecord) that its
  // column cannot hold as its kind: a text or bytes in a number column, bytes in a text column,
  // anything but a date in a date column. Such a value reads as no value (the reader gives 0 and
  // the empty text) and is told through the notice sink unless told by the caller (set before
  // reading). A command that writes what it reads stops at it, naming its row and this field.
  const DbSelect::ValueFault& Fault() const { return fault_; }
  bool Faulted() const { return fault_.position >= 0; }
  std::string FaultText(const char* name = nullptr, const char* label = nullptr) const {
    return DbSelect::FaultText(fault_, name, label);
  }
  void SetFaultsToldByCaller(bool on) { faultsToCaller_ = on; }
  // 0 when a field of the row cannot be read as its kind (see Fault).
  int SaveRecord();
  int RestoreRecord();
  void FreeSavedRecord();

  const std::string& TableName() const { return tableName; }
  int FieldCount() const { return static_cast<int>(columns_.size()); }

  // 1 when the table opened.
  bool isOpen = false;

 private:
  struct Column {
    std::string name;
    FieldType type;
  };
  struct Index {
    std::string name;
    std::vector<int> columns;
  };
  enum class Mode { None, Adding, Editing };

  bool LoadSchema(std::string& error);
  // SeekEqual, with each key as read (DbText: as stored when it lost a character, bytes as bytes)
  // when `stored` is not null.
  int Seek(int keyCount, const char* const* keys, const DbText* stored);
  int FindColumn(const char* name) const;
  // The value of a field of the row: false when there is none (`value` left null) or when it is not
  // of its column's kind (`value` set, the fault noted).
  bool ReadField(const char* field, const DbValue*& value);
  // False, with the fault noted and told, when the value read at `col` is not of its column's kind.
  bool OfItsKind(int col, const DbValue& value);
  void ReportField(const char* field, const std::string& text, bool withValue, const std::string& description);
  sqlite3_stmt* Prepare(const std::string& sql, std::string& error);
  void Fail(const std::string& text);
  void LoadCurrent(sqlite3_stmt* st);
  // Binds the identity of the current row (its row id, or its primary key in a table stored by
  // key) from parameter `first` on; the matching condition is RowCondition(first).
  void BindCurrentRow(sqlite3_stmt* st, int first);
  std::string RowCondition(int first) const;

  DbDatabase* db = nullptr;
  std::string tableName;
  std::string quotedName_;
  std::vector<Column> columns_;
  std::vector<Index> indexes_;
  int currentIndex_ = -1;

  bool withoutRowid_ = false;  // stored in primary-key order: rows are found by their key
  std::vector<int> primaryKey_;

  bool hasCurrent_ = false;
  std::int64_t currentRowid_ = 0;
  std::vector<DbValue> current_;
  // By field, whether the current row's value is of another kind than its column's (read as what
  // it is: a text, a number, bytes).
  std::vector<char> wrongKind_;
  DbSelect::ValueFault fault_;
  bool faultsToCaller_ = false;
  std::vector<DbValue> currentKey_;  // the primary key of the current row, as stored
  // By key field, the stored UTF-8 of a text key that lost a character (empty for the others).
  std::vector<std::string> currentKeyStored_;

  Mode mode_ = Mode::None;
  std::vector<DbValue> pending_;
  std::vector<char> dirty_;

  sqlite3_stmt* insert_ = nullptr;
  sqlite3_stmt* delete_ = nullptr;
  std::map<std::pair<int, int>, sqlite3_stmt*> seeks_;
  std::map<std::vector<char>, sqlite3_stmt*> updates_;

  // The saved row: per field its name and canonical text, or bytes for a long-binary field.
  struct SavedField {
    std::string name;
    std::string value;
    int length = -1;  // -1: text; else the byte count
  };
  std::vector<SavedField> saved_;
};
