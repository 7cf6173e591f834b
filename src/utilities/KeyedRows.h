#pragma once
// The rows of one table found by their primary key (index "codice") and changed field by field,
// for the batch utilities that write thousands of rows: the key is given as numbers and turned
// into its texts here, without a string made for every row.

#include "db/DbTable.h"

class DbDatabase;

class KeyedRows {
 public:
  KeyedRows(DbDatabase* db, const char* tableName);

  // The table opened and its key index chosen (the layer has said why when not).
  bool Ready() const { return ready_; }
  // The position of a field for the DbTable setters; -1 when the table has none.
  int Field(const char* name) const { return table_.FieldIndex(name); }

  // Finds the row of a trip (`tescor`, `period`) or of one stop of it (`detcor`); true when it is
  // there, and it becomes the current row.
  bool Seek(long id);
  bool Seek(long id, int sub);

  DbTable& Table() { return table_; }

 private:
  DbTable table_;
  bool ready_ = false;
};
