#pragma once
// A load of many rows into one table, inside a transaction, without the table's plain indexes:
// they are dropped at the start and made again from their stored definitions at the end, one sort
// of the whole table in place of a search and an insert into each index for every row (at millions
// of rows, the larger part of the load's time). Only an index that is neither unique nor the key is
// set aside, so every row is refused or taken exactly as with it; and only when the rows to come
// are at least as many as those already there, so that making it again never costs more than
// keeping it. A rollback of the transaction brings the indexes back as they were.

#include <string>
#include <vector>

class DbDatabase;

class DbIndexesAside {
 public:
  // Sets aside the plain indexes of `table` for `rowsToCome` new rows; nothing is done outside a
  // transaction, or when the engine will not drop them now (another statement still reading).
  DbIndexesAside(DbDatabase* db, const char* table, long rowsToCome);
  // Makes again, in the open transaction, what was set aside; false with the engine's reason when
  // it refused (the caller then rolls the transaction back: nothing may be committed without them).
  bool Restore(std::string& error);
  // Restores what is still aside while the transaction is open (an early return); quietly.
  ~DbIndexesAside();
  DbIndexesAside(const DbIndexesAside&) = delete;
  DbIndexesAside& operator=(const DbIndexesAside&) = delete;

 private:
  DbDatabase* db_;
  std::string table_;
  int depth_ = 0;                                                 // the transaction level it was made in
  std::vector<std::pair<std::string, std::string>> definitions_;  // name, stored CREATE INDEX
};
