#include "editing/EditorTransaction.h"

#include "db/DbDatabase.h"

#include <exception>

EditorTransaction::EditorTransaction(DbDatabase* db) : db_(db), exceptionsAtStart_(std::uncaught_exceptions()) {
  Begin();
}

EditorTransaction::~EditorTransaction() {
  if (!open_) return;
  // Left by an exception (a scripted run that could not go on): half a session is not kept.
  if (std::uncaught_exceptions() > exceptionsAtStart_)
    db_->Rollback();
  else
    db_->CommitTrans();
}

void EditorTransaction::Begin() {
  // Another program holding the database can refuse the start (the database layer says so).
  const int depth = db_->TransactionDepth();
  db_->BeginTrans();
  open_ = db_->TransactionDepth() > depth;
}

bool EditorTransaction::CommitAndBegin() {
  const bool stored = !open_ || db_->CommitTrans() == 1;
  Begin();
  return stored;
}

void EditorTransaction::RollbackAndBegin() {
  if (open_) db_->Rollback();
  Begin();
}

bool EditorTransaction::Lost() const { return open_ && db_->TransactionLost(); }

bool EditorTransaction::Commit() {
  if (!open_) return true;
  open_ = false;
  return db_->CommitTrans() == 1;
}
