#include "app/commands/EditorCommands.h"

#include "editing/EditorTransaction.h"
#include "editors/CadenceDialog.h"
#include "editors/CalendarDialog.h"
#include "editors/TripDialog.h"
#include "platform/ClientArea.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"

void RunCadenceEditor(MainFrame& frame) {
  DbDatabase* db = frame.Database();
  if (!db) return;
  EditorTransaction transaction(db);
  if (!transaction.Active()) return;
  CadenceDialog dialog(frame.Client(), db, &transaction, 116);
  dialog.DoModal();
  transaction.Commit();
}

void RunCalendarEditor(MainFrame& frame) {
  DbDatabase* db = frame.Database();
  if (!db) return;
  FrameProgress progress(&frame);
  EditorTransaction transaction(db);
  if (!transaction.Active()) return;
  CalendarDialog dialog(frame.Client(), db, &transaction, &progress, 118);
  dialog.DoModal();
  transaction.Commit();
}

void RunTripEditor(MainFrame& frame) {
  DbDatabase* db = frame.Database();
  if (!db) return;
  EditorTransaction transaction(db);
  if (!transaction.Active()) return;
  TripDialog dialog(frame.Client(), db, &transaction, 120);
  dialog.DoModal();
  transaction.Commit();
}
