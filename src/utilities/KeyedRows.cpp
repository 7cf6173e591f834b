#include "utilities/KeyedRows.h"

#include <charconv>

KeyedRows::KeyedRows(DbDatabase* db, const char* tableName) : table_(db, tableName) {
  ready_ = table_.isOpen && table_.SetIndex("codice");
}

bool KeyedRows::Seek(long id) {
  if (!ready_) return false;
  char key[24];
  *std::to_chars(key, key + sizeof key - 1, id).ptr = '\0';
  return table_.SeekEqual({key}) != 0;
}

bool KeyedRows::Seek(long id, int sub) {
  if (!ready_) return false;
  char first[24], second[24];
  *std::to_chars(first, first + sizeof first - 1, id).ptr = '\0';
  *std::to_chars(second, second + sizeof second - 1, sub).ptr = '\0';
  return table_.SeekEqual({first, second}) != 0;
}
