// The trip editor's commands that run a dialog of their own: a trip's validity periods, and in
// quadro mode a stop's details, a stop inserted into or deleted from every trip, a trip's head, the
// line, lengths and contract of the whole quadro, a trip moved to a quadro of its own, times cloned
// from another column. The data work is the quadro model's; the editor's panel is the editor's,
// which shows the selection again after a command that says so.

#include "common/Cp1252.h"
#include "dialogs/QuadroAssignDialogs.h"
#include "dialogs/StopDialogs.h"
#include "dialogs/TripCloneDialog.h"
#include "dialogs/TripHeadDialog.h"
#include "editors/PeriodDialog.h"
#include "editors/TimetableGrid.h"
#include "editors/TripDialog.h"
#include "editors/TripListGrid.h"

TripHead TripDialog::QuadroHead() {
  // The head of the selected trip, else of the trip whose quadro is open: what the assignments
  // to the whole quadro propose.
  TripHead head;
  const TripLeg* trip = timetable_->SelectedTrip();
  if (!trip) trip = currentTrip_;
  if (trip) store_.ReadHead(trip->id, head);
  return head;
}

void TripDialog::ShowHeadsInList(const std::vector<std::int32_t>& ids) {
  // The trip list, hidden under the quadro, shows the heads as now written, marked changed.
  for (std::int32_t id : ids) {
    TripHead head;
    if (store_.ReadHead(id, head)) rows_.ApplyHead(id, head);
  }
}

bool TripDialog::EditStopDetails() {
  const int row = timetable_->Selected();
  const TripStop* stop = quadro_.Row(row);
  if (IsEditing() || !stop || stop->deleted) return false;
  StopEditDialog dialog(this, *stop, kStopEditDialog);
  if (dialog.DoModal() == ui::IDOK) quadro_.WriteStopDetails(row, dialog.stop, stop);
  timetable_->Repaint();
  return true;
}

void TripDialog::DeleteStop() {
  const int row = timetable_->Selected();
  if (IsEditing() || !quadro_.Row(row)) return;
  if (ui::MessageBox("La fermata indicata stà per essere eliminata da tutte le corse del quadro.\n\n"
                     "Intendi confermare l'eliminazione della fermata?",
                     ui::MB_OKCANCEL | ui::MB_ICONQUESTION) == ui::IDOK)
    quadro_.DeleteStop(row);
  timetable_->Repaint();
}

void TripDialog::InsertStop() {
  if (IsEditing()) return;
  // The dialog stays open across insertions: only its "Fine" ends the command.
  for (;;) {
    bool anyEmptyColumn = quadro_.ColumnCount() == 0;
    for (int k = 0; k < quadro_.ColumnCount(); ++k) anyEmptyColumn = anyEmptyColumn || !quadro_.Column(k);
    const TripStop* current = timetable_->SelectedStop();
    StopDefinitionDialog dialog(this, kStopDefinitionDialog);
    // Without a stop to stand on (or a trip without stops) the stop can only go to the tail, with
    // its time; below the last stop is the tail too.
    dialog.timeEntry = !current || anyEmptyColumn ? 1 : 0;
    dialog.noCurrentStop = current && quadro_.PositionOf(current) == quadro_.RowCount() - 1 ? 1 : 0;
    const int result = dialog.DoModal();
    if (result == stop_dialog::kFinish) break;
    if (result != ui::IDOK) continue;
    QuadroTimetable::InsertAt where = QuadroTimetable::InsertAt::Below;
    if (dialog.insertion == StopDefinitionDialog::kHead) where = QuadroTimetable::InsertAt::Head;
    if (dialog.insertion == StopDefinitionDialog::kTail) where = QuadroTimetable::InsertAt::Tail;
    const int position = quadro_.InsertStop(where, timetable_->Selected(), dialog.stop, dialog.time,
                                            currentTrip_ ? currentTrip_->id : -1);
    timetable_->RowsChanged();
    if (position >= 0) timetable_->SelectCell(position, timetable_->SelectedColumn(), true);
  }
  timetable_->RowsChanged();
}

void TripDialog::OpenPeriods() {
  // The periods of the selected column's trip in the quadro, else of the current trip.
  const TripLeg* trip = mode_ == Mode::Quadro ? timetable_->SelectedTrip() : currentTrip_;
  if (IsEditing() || !trip || trip->deleted) return;
  PeriodDialog periods(this, db_, Transaction(), trip->id, kPeriodDialog);
  periods.DoModal();
  // Its "Aggiorna Vista" and "Ripristina" end this editor's transaction too: the list then shows
  // the database as it now is.
  if (periods.TransactionEnded()) Reload();
}

void TripDialog::EditTripHead() {
  const TripLeg* trip = timetable_->SelectedTrip();
  if (IsEditing() || !trip || trip->deleted) return;
  const std::int32_t id = trip->id;
  TripHead head;
  if (!store_.ReadHead(id, head)) return;
  TripHeadDialog dialog(
      this, db_, head, true, [this] { OpenPeriods(); }, kHeadDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  // The periods opened from the dialog may have reloaded the quadro: the trip is found again.
  for (int k = 0; k < quadro_.ColumnCount(); ++k)
    if (const TripLeg* column = quadro_.Column(k); column && column->id == id && !column->deleted) {
      if (quadro_.WriteHead(k, dialog.head, &head)) ShowHeadsInList({id});
      break;
    }
  timetable_->Repaint();
}

void TripDialog::AssignLine() {
  if (IsEditing() || quadro_.ColumnCount() == 0) return;
  const TripHead head = QuadroHead();
  LineCodeAssignDialog dialog(this, head.lineCode, head.direction, head.routeCode, head.note, kLineAssignDialog);
  if (dialog.DoModal() == ui::IDOK)
    ShowHeadsInList(quadro_.AssignLine(dialog.line, dialog.direction, dialog.route, dialog.note, &head));
  timetable_->Repaint();
}

void TripDialog::AlignKm() {
  if (IsEditing() || quadro_.ColumnCount() == 0) return;
  const TripHead head = QuadroHead();
  LengthAssignDialog dialog(this, head.length, head.contractLength, head.contractDuration, kLengthAssignDialog);
  if (dialog.DoModal() == ui::IDOK)
    ShowHeadsInList(quadro_.AssignLengths(dialog.length, dialog.contractLength, dialog.contractDuration));
  timetable_->Repaint();
}

void TripDialog::AssignContract() {
  if (IsEditing() || quadro_.ColumnCount() == 0) return;
  const TripHead head = QuadroHead();
  ContractAssignDialog dialog(this, db_, head.authority, head.contract, kContractAssignDialog);
  if (dialog.DoModal() == ui::IDOK) quadro_.AssignContract(dialog.authority, dialog.contract);
  timetable_->Repaint();
}

bool TripDialog::CloneTimes() {
  const int target = timetable_->SelectedColumn();
  if (IsEditing() || !timetable_->SelectedTrip()) return false;
  TripCloneDialog dialog(this, quadro_.ColumnCount(), target + 1, kCloneDialog);
  if (dialog.DoModal() != ui::IDOK) return false;
  // Columns are numbered from 1: there is no column 0 to take the times from.
  if (dialog.sourceColumn < 1) {
    ui::MessageBox("ATTENZIONE La colonna di origine deve essere compresa tra 1 e " +
                       std::to_string(quadro_.ColumnCount()) + ".\n\nLa clonazione degli orari risulta impossibile.",
                   ui::MB_ICONSTOP);
    return false;
  }
  if (ui::ShowOutcome(quadro_.CloneTimes(dialog.sourceColumn - 1, target, dialog.departure)))
    if (const TripLeg* trip = quadro_.Column(target))
      if (TripLeg* row = rows_.At(rows_.FindId(trip->id))) row->changed = 1;
  timetable_->Repaint();
  return true;
}

void TripDialog::MoveToNewQuadro() {
  const TripLeg* trip = timetable_->SelectedTrip();
  if (IsEditing() || !trip) return;
  if (!ui::ShowOutcome(quadro_.MoveToNewQuadro(timetable_->SelectedColumn()))) return;
  // The trip leaves the quadro shown; the list shows its new quadro.
  {
    EditorWaitCursor wait;
    rows_.Load(rows_.SortOrder());
  }
  currentTrip_ = rows_.At(rows_.FindId(quadroTripId_));
  grid_->RowsChanged();
  timetable_->RowsChanged();
}
