#pragma once
// The rows of the day-type editor: the day types of `cadenz` in code order as loaded, those added
// since at the end, each with its changed and deleted marks, and the three writes of the editor.
// A write goes to the database at once (inside the editor's transaction); when the database
// refuses it, the table layer has shown why and the rows stay as they were.

#include "common/EditorLists.h"
#include "db/DbTable.h"
#include "editing/EditorFaults.h"

#include <string>
#include <vector>

class DbDatabase;

class CadenceRows {
 public:
  explicit CadenceRows(DbDatabase* db);

  // (Re)reads the day types: codes and names without trailing blanks, in code order, no marks.
  // A stored value its column cannot hold as its kind ends the reading: Fault names it.
  void Load();
  const EditorFault& Fault() const { return fault_; }

  int Count() const { return static_cast<int>(index_.size()); }
  // The row at a position from 0, null outside the rows.
  CadenceEntry* At(int position) const;
  // The position of a row, -1 when it is not one of these rows.
  int PositionOf(const CadenceEntry* row) const;
  // The first row whose code, without trailing blanks, equals `code` without trailing blanks.
  int Find(const std::string& code) const;

  // Adds the day type as typed; on success the new row is appended, marked changed, and returned.
  CadenceEntry* Insert(const std::string& code, const std::string& name);
  // Writes the new name of a row's day type; on success the row takes it and is marked changed.
  // A row that is deleted, or whose code is no longer in the table, is not written (false).
  bool Rename(CadenceEntry* row, const std::string& name);
  // Deletes a row's day type; on success the row is marked deleted. Refused for a deleted row.
  bool Remove(CadenceEntry* row);

 private:
  DbDatabase* db_;
  DbTable table_;
  CadenceList rows_;
  std::vector<CadenceEntry*> index_;  // the rows by position
  EditorFault fault_;
};
