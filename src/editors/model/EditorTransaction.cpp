#include "editors/model/EditorTransaction.h"

#include "db/DbDatabase.h"

EditorTransaction::EditorTransaction(DbDatabase* db) : db_(db) {
  db_->BeginTrans();
  open_ = true;
}

EditorTransaction::~EditorTransaction() {
  if (open_) db_->CommitTrans();
}

bool EditorTransaction::CommitAndBegin() {
  const bool stored = db_->CommitTrans() == 1;
  db_->BeginTrans();
  open_ = true;
  return stored;
}

void EditorTransaction::RollbackAndBegin() {
  db_->Rollback();
  db_->BeginTrans();
  open_ = true;
}

bool EditorTransaction::Commit() {
  if (!open_) return true;
  open_ = false;
  return db_->CommitTrans() == 1;
}
