#pragma once
// The walk that every batch utility shares: the rows of one selection, read whole when it opens
// (so that the rows it walks can be written), each handed to a writer inside one batch
// transaction. A row the writer does not manage is skipped and not counted; a batch the commit
// refuses counts nothing, and a run that does not reach its end leaves every row as it was. A
// value read that its column cannot hold as its kind (DbSelect::Fault) stops the walk: nothing of
// the batch is kept, and the result's one message names the row, the field and the value.

#include "common/Outcome.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/StoredValueRefusal.h"

// `ok`: the batch is in the database (when not, nothing of it is and the counts are 0).
struct AssignmentResult : Outcome {
  int read = 0;     // rows of the selection
  int updated = 0;  // rows written (or deleted)
  // A value its column cannot hold stopped the run: the result's message says which, nothing is
  // written.
  bool refused = false;
};

// The stop message of a batch the database did not take.
std::string AssignmentNotStoredText();

// The rows a walk reads: trips, their id first ("id, ..."), or stops, their trip and stop number
// first ("id, sub, ...").
enum class Walked { Trips, Stops };

// The result of a walk stopped at the selection's fault, on the row it stands on.
AssignmentResult RefusedWalk(DbSelect& select, Walked rows);
// The result of a walk stopped at a value its writer read through `table` (a trip's or a stop's
// row), on the table's current row.
AssignmentResult RefusedRead(DbTable& table);

// A batch whose transaction could not begin (DbBatch::Active): nothing done, told with the stop
// message above.
template <class Result = AssignmentResult>
Result NotStored() {
  Result result;
  result.Fail(AssignmentNotStoredText());
  return result;
}

// The batch's result told: `text(result)`, composed from the counts, as an information once the
// batch is stored, else the stop message of a batch the database did not take.
template <class Text>
AssignmentResult Told(AssignmentResult result, Text text) {
  if (result.ok)
    result.Inform(text(result));
  else if (!result.refused)
    result.Fail(AssignmentNotStoredText());
  return result;
}

// Walks `select` (not yet opened) inside `batch`; `write` works on the row the selection stands
// on and returns the rows the database took for it (a bool counts one), and after the last row
// `finish` writes what the walk still holds and returns its count too. The walk stops at the
// write that lost the batch's transaction (DbBatch::Lost: its refusal told why, and nothing more
// can be stored), and at the row whose value read its column cannot hold (`refused`, the message
// naming that row as `rows` says). With `read`, a table whose rows the writer reads, a value read
// there that its column cannot hold stops the walk alike, the message naming the table's row; the
// writer writes nothing of a row it could not read. The batch is left open for the caller to
// commit, or to roll back when the walk was refused.
template <class Write, class Finish>
AssignmentResult WalkRows(DbBatch& batch, DbSelect& select, Walked rows, WorkProgress* progress, Write write,
                          Finish finish, DbTable* read = nullptr) {
  AssignmentResult result;
  select.SetFaultsToldByCaller(true);
  if (read) read->SetFaultsToldByCaller(true);
  const auto faulted = [&] { return select.Faulted() || (read && read->Faulted()); };
  select.Open();
  if (select.WalkFailed()) return result;
  result.read = select.RowCount();
  if (progress) progress->Begin({});
  long done = 0;
  bool more = select.hasRow;
  for (; more && !batch.Lost(); more = select.MoveNext()) {
    if (progress) progress->Step(++done, result.read);
    result.updated += static_cast<int>(write());
    if (faulted()) break;
  }
  if (!faulted() && !select.WalkFailed() && !batch.Lost()) result.updated += static_cast<int>(finish());
  if (progress) progress->End();
  if (select.Faulted()) return RefusedWalk(select, rows);
  return read && read->Faulted() ? RefusedRead(*read) : result;
}

template <class Write>
AssignmentResult WalkRows(DbBatch& batch, DbSelect& select, Walked rows, WorkProgress* progress, Write write) {
  return WalkRows(batch, select, rows, progress, write, [] { return 0; });
}

// Commits the batch and tells the result so: a refused commit counts nothing.
inline AssignmentResult Committed(DbBatch& batch, AssignmentResult result) {
  result.ok = batch.Commit() != 0;
  if (!result.ok) result.updated = 0;
  return result;
}

// The walk above inside `batch` (open, and what the caller read in it still holds), committed
// at its end, rolled back when it was refused; nothing is walked when the batch could not begin.
template <class Write, class Finish>
AssignmentResult WriteRows(DbBatch& batch, DbSelect& select, Walked rows, WorkProgress* progress, Write write,
                           Finish finish, DbTable* read = nullptr) {
  if (!batch.Active()) return {};
  AssignmentResult result = WalkRows(batch, select, rows, progress, write, finish, read);
  if (result.refused) {
    batch.Rollback();
    return result;
  }
  if (select.WalkFailed()) {
    batch.Rollback();
    return {};
  }
  return Committed(batch, result);
}

template <class Write>
AssignmentResult WriteRows(DbBatch& batch, DbSelect& select, Walked rows, WorkProgress* progress, Write write) {
  return WriteRows(batch, select, rows, progress, write, [] { return 0; });
}

// The walk above in a batch of its own, committed at its end.
template <class Write, class Finish>
AssignmentResult WriteRows(DbDatabase* db, DbSelect& select, Walked rows, WorkProgress* progress, Write write,
                           Finish finish, DbTable* read = nullptr) {
  DbBatch batch(db);
  return WriteRows(batch, select, rows, progress, write, finish, read);
}

template <class Write>
AssignmentResult WriteRows(DbDatabase* db, DbSelect& select, Walked rows, WorkProgress* progress, Write write) {
  return WriteRows(db, select, rows, progress, write, [] { return 0; });
}
