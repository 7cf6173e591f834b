#include "db/DbIndexesAside.h"

#include "db/DbDatabase.h"
#include "db/DbDdl.h"
#include "db/DbError.h"
#include "db/DbFile.h"

#include <sqlite3.h>

DbIndexesAside::DbIndexesAside(DbDatabase* db, const char* table, long rowsToCome) : db_(db), table_(table) {
  if (!db_ || !db_->isOpen || db_->TransactionDepth() == 0 || !db_->MayWrite()) return;
  sqlite3* h = db_->Handle();
  std::string error;
  int present = 0;
  const std::string count = "SELECT count(*) FROM " + SqlName(table_);
  if (!QueryInt(h, count.c_str(), present, error) || present > rowsToCome) return;
  // The indexes made by a definition of their own (origin 'c'), not unique; with their definitions.
  std::vector<std::pair<std::string, std::string>> plain;
  const std::string list = "SELECT l.name, m.sql FROM pragma_index_list(" + SqlQuote(table_) +
                           ") l JOIN sqlite_master m ON m.type = 'index' AND m.name = l.name "
                           "WHERE l.origin = 'c' AND l.\"unique\" = 0 AND m.sql IS NOT NULL";
  const auto take = [&](sqlite3_stmt* st) {
    plain.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                       reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
  };
  if (!EachRow(h, list.c_str(), take, error)) return;
  for (auto& index : plain) {
    const std::string drop = "DROP INDEX " + SqlName(index.first);
    if (sqlite3_exec(h, drop.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) break;
    definitions_.push_back(std::move(index));
  }
  depth_ = db_->TransactionDepth();
}

bool DbIndexesAside::Restore(std::string& error) {
  const std::string heading = "Errore aggiornamento tavola (" + table_ + ")\n\n";
  while (!definitions_.empty()) {
    if (!db_->MayWrite()) {
      error = heading + kTransactionCancelledText;
      return false;
    }
    const int rc = sqlite3_exec(db_->Handle(), definitions_.back().second.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      error = heading + db_->WriteRefusal(rc, DbOperation::Other);
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
