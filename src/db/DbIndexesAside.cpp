#include "db/DbIndexesAside.h"

#include "db/DbDatabase.h"
#include "db/DbError.h"
#include "db/DbFile.h"

#include <sqlite3.h>

namespace {

std::string Quoted(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  return out + "\"";
}

}  // namespace

DbIndexesAside::DbIndexesAside(DbDatabase* db, const char* table, long rowsToCome) : db_(db), table_(table) {
  if (!db_ || !db_->isOpen || db_->TransactionDepth() == 0 || !db_->MayWrite()) return;
  sqlite3* h = db_->Handle();
  std::string error;
  int present = 0;
  const std::string count = "SELECT count(*) FROM " + Quoted(table);
  if (!QueryInt(h, count.c_str(), present, error) || present > rowsToCome) return;
  // The indexes made by a definition of their own (origin 'c'), not unique; with their definitions.
  std::vector<std::pair<std::string, std::string>> plain;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(h,
                         "SELECT l.name, m.sql FROM pragma_index_list(?1) l JOIN sqlite_master m "
                         "ON m.type = 'index' AND m.name = l.name WHERE l.origin = 'c' AND l.\"unique\" = 0 "
                         "AND m.sql IS NOT NULL",
                         -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return;
  }
  sqlite3_bind_text(st, 1, table, -1, SQLITE_TRANSIENT);
  while (sqlite3_step(st) == SQLITE_ROW)
    plain.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                       reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
  sqlite3_finalize(st);
  for (auto& index : plain) {
    const std::string drop = "DROP INDEX " + Quoted(index.first);
    if (sqlite3_exec(h, drop.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) break;
    definitions_.push_back(std::move(index));
  }
  depth_ = db_->TransactionDepth();
}

bool DbIndexesAside::Restore(std::string& error) {
  while (!definitions_.empty()) {
    if (!db_->MayWrite()) {
      error = "Errore aggiornamento tavola (" + table_ + ")\n\n" + kTransactionCancelledText;
      return false;
    }
    const int rc = sqlite3_exec(db_->Handle(), definitions_.back().second.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      error = "Errore aggiornamento tavola (" + table_ + ")\n\n" + db_->WriteRefusal(rc, DbOperation::Other);
      return false;
    }
    definitions_.pop_back();
  }
  return true;
}

DbIndexesAside::~DbIndexesAside() {
  if (definitions_.empty() || db_->TransactionDepth() < depth_ || !db_->MayWrite()) return;
  std::string error;
  Restore(error);
}
