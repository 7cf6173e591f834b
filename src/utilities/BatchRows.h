#pragma once
// The walk of the batch utilities: a selection read whole when it opens (so that the rows it walks
// can be written) inside one batch, all or nothing.

#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "utilities/CodeAssignment.h"

// Walks the rows of `select` inside one batch; `write` seeks and writes what the row the selection
// stands on asks for and returns the rows the database took; after the last row `finish` writes
// what is left and returns its count too. A batch the commit refuses counts nothing.
template <class Write, class Finish>
AssignmentResult WriteRows(DbDatabase* db, DbSelect& select, WorkProgress* progress, Write write, Finish finish) {
  AssignmentResult result;
  DbBatch batch(db);
  select.Open();
  if (select.WalkFailed()) {
    batch.Rollback();
    return result;
  }
  result.read = select.RowCount();
  if (progress) progress->Begin({});
  long done = 0;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    if (progress) progress->Step(++done, result.read);
    result.updated += write();
  }
  result.updated += finish();
  if (progress) progress->End();
  result.stored = batch.Commit() != 0;
  if (!result.stored) result.updated = 0;
  return result;
}

template <class Write>
AssignmentResult WriteRows(DbDatabase* db, DbSelect& select, WorkProgress* progress, Write write) {
  return WriteRows(db, select, progress, write, [] { return 0; });
}
