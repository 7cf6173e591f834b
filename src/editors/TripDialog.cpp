#include "editors/TripDialog.h"

#include "common/Cp1252.h"
#include "common/Notices.h"
#include "dialogs/TripHeadDialog.h"
#include "editing/EditorTransaction.h"
#include "editors/TimetableGrid.h"
#include "editors/TripListGrid.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

namespace {

QLabel* MakeInfo(QWidget* parent, int id) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::number(id));
  return label;
}

}  // namespace

TripDialog::TripDialog(QWidget* area, DbDatabase* db, EditorTransaction* transaction, int idd)
    : EditorDialog(area, idd, "Gestione Corse", transaction), db_(db), store_(db), rows_(db), quadro_(db) {
  {
    EditorWaitCursor wait;
    rows_.Load(0);
  }
  // The selected trip (list mode).
  selectedBox_ = new QGroupBox(QStringLiteral("Corsa Selezionata"), Panel());
  selectedBox_->setObjectName(QString::number(kSelectedBox));
  auto* info = new QGridLayout(selectedBox_);
  info->addWidget(MakeInfo(selectedBox_, 1051), 0, 0);
  info->addWidget(MakeInfo(selectedBox_, 1052), 0, 1);
  info->addWidget(MakeInfo(selectedBox_, 1053), 0, 2);
  info->addWidget(MakeInfo(selectedBox_, 1056), 0, 3);
  info->addWidget(MakeInfo(selectedBox_, 1057), 0, 4);
  info->addWidget(MakeInfo(selectedBox_, 1058), 0, 5);
  info->addWidget(MakeInfo(selectedBox_, 1054), 1, 0, 1, 6);
  for (int c = 0; c < 6; ++c) info->setColumnMinimumWidth(c, 110);
  info->setColumnStretch(6, 1);

  // The transit time at a stop (quadro mode).
  timeBox_ = new QGroupBox(QStringLiteral("Orario di transito alla fermata"), Panel());
  timeBox_->setObjectName(QString::number(kTimeBox));
  auto* time = new QHBoxLayout(timeBox_);
  QLabel* stop = MakeInfo(timeBox_, 1050);
  stop->setMinimumWidth(stop->fontMetrics().horizontalAdvance(QString(40, QLatin1Char('n'))));
  stop->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  time->addWidget(stop);
  QLabel* arrive = MakeInfo(timeBox_, 1044);
  arrive->setText(QStringLiteral("Arriva"));
  time->addWidget(arrive);
  for (int id : {1045, 1049}) {
    QLineEdit* edit = MakeEdit(id, 5);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00:000")) + 12);
    edit->setAlignment(Qt::AlignRight);
  }
  time->addWidget(Edit(1045));
  QLabel* leave = MakeInfo(timeBox_, 1048);
  leave->setText(QStringLiteral("Parte"));
  time->addWidget(leave);
  time->addWidget(Edit(1049));
  time->addWidget(MakePanelButton(kConferma, "Conferma"));
  time->addWidget(MakePanelButton(kAnnulla, "Annulla"));
  time->addStretch();
  Edit(1045)->setEnabled(false);
  Edit(1049)->setEnabled(false);
  timeBox_->hide();

  auto* panel = new QHBoxLayout(Panel());
  panel->setContentsMargins(0, 0, 0, 0);
  panel->addWidget(selectedBox_);
  panel->addWidget(timeBox_);

  connect(AddCommandButton(kFinish, "Fine", 0), &QPushButton::clicked, this, [this] { OnFine(); });
  connect(AddCommandButton(kInsert, "Nuova Corsa", 45), &QPushButton::clicked, this, [this] { OnInsert(); });
  connect(AddCommandButton(kDetails, "Dettagli Corsa", 5), &QPushButton::clicked, this, [this] { OnDetails(); });
  connect(AddCommandButton(kDelete, "Elimina Corsa", 5), &QPushButton::clicked, this, [this] { OnDelete(); });
  connect(AddCommandButton(kRefresh, "Aggiorna Vista", 45), &QPushButton::clicked, this, [this] { RefreshView(); });
  connect(AddCommandButton(kRestore, "Ripristina", 5), &QPushButton::clicked, this, [this] { Restore(); });

  timetable_ = new TimetableGrid(this, this, &quadro_, [this](char pointed) { PointedAt(pointed); });
  timetable_->hide();
  grid_ = new TripListGrid(this, this, &rows_);
  SetGrid(grid_);
  ShowCurrentTrip(rows_.At(0));
}

void TripDialog::SetLabel(int id, const std::string& text) {
  if (auto* label = qobject_cast<QLabel*>(Control(id))) label->setText(cp1252::ToQString(text));
}

void TripDialog::ClearCurrentTrip() {
  for (int id : {1051, 1052, 1053, 1054, 1056, 1057, 1058}) SetLabel(id, {});
  currentTrip_ = nullptr;
}

void TripDialog::ShowCurrentTrip(TripLeg* trip) {
  ClearCurrentTrip();
  if (!trip) return;
  SetLabel(1051, "ID: " + std::to_string(trip->id));
  SetLabel(1052, "Corsa: " + trip->tripCode);
  SetLabel(1053, "Linea: " + trip->lineCode);
  SetLabel(1054, trip->description);
  SetLabel(1056, "P: " + trip->departureText);
  SetLabel(1057, "A: " + trip->arrivalText);
  SetLabel(1058, "Km: " + trip->lengthText);
  currentTrip_ = trip;
}

void TripDialog::SelectionMoved(GridWindow* grid) {
  // In quadro mode the current trip stays the one whose quadro is open.
  if (grid == timetable_)
    ShowQuadroSelection();
  else if (mode_ == Mode::List)
    ShowCurrentTrip(rows_.At(grid_->Selected()));
}

void TripDialog::GridActivated(GridWindow* grid) {
  // A double click on a trip opens its quadro; in the quadro it acts on the area clicked.
  if (grid == timetable_)
    OnDetails();
  else
    ShowQuadro();
}

void TripDialog::ShowQuadroSelection() {
  const TripStop* stop = timetable_->SelectedStop();
  const TimeCell* cell = timetable_->SelectedCell();
  SetLabel(kStopName, stop ? stop->stopName : std::string());
  SetControlText(kArrival, cell && timetable_->Area() == ' ' ? cell->arrivalText : std::string());
  SetControlText(kDeparture, cell && timetable_->Area() == ' ' ? cell->departureText : std::string());
}

void TripDialog::PointedAt(char area) {
  if (mode_ != Mode::Quadro || timeEditing_) return;
  const bool stops = area == 'F';
  SetCommandText(kInsert, stops ? QStringLiteral("Aggiungi Fermata") : QStringLiteral("Aggiungi Corsa"));
  SetCommandText(kDetails, stops         ? QStringLiteral("Dettagli Fermata")
                           : area == 'H' ? QStringLiteral("Dati Testa Corsa ")
                                         : QStringLiteral("Modifica Orario"));
  SetCommandText(kDelete, stops ? QStringLiteral("Elimina Fermata") : QStringLiteral("Elimina Corsa"));
  ShowQuadroSelection();
}

void TripDialog::LoadRows() {
  currentTrip_ = nullptr;
  rows_.Load(rows_.SortOrder());
  if (mode_ == Mode::Quadro) {
    const int position = rows_.FindId(quadroTripId_);
    currentTrip_ = rows_.At(position);
    quadro_.Reload();
  }
}

EditorFault TripDialog::LoadFault() const {
  return rows_.Fault().Any() || mode_ != Mode::Quadro ? rows_.Fault() : quadro_.Fault();
}

void TripDialog::SelectSortOrder(int sortOrder) {
  // The trip selected stays selected wherever it sorts, so that the next command acts on it.
  const TripLeg* selected = rows_.At(grid_->Selected());
  const std::int32_t selectedId = selected ? selected->id : -1;
  {
    EditorWaitCursor wait;
    rows_.Load(sortOrder);
  }
  // The old rows are gone: the quadro's trip is found again among the new ones.
  currentTrip_ = mode_ == Mode::Quadro ? rows_.At(rows_.FindId(quadroTripId_)) : nullptr;
  grid_->RowsChanged();
  const int position = selectedId < 0 ? -1 : rows_.FindId(selectedId);
  if (position >= 0) grid_->SelectRow(position, true);
}

void TripDialog::OnInsert() {
  if (IsEditing()) return;
  if (mode_ == Mode::Quadro && timetable_->Area() == 'F') {
    InsertStop();
    return;
  }
  TripHead head;
  std::int32_t quadro = -1;
  // In the quadro: the quadro shown, and a trip of it still there to take the head and stops of.
  const TripLeg* model = nullptr;
  if (mode_ == Mode::Quadro) {
    for (int k = 0; k < quadro_.ColumnCount() && !model; ++k)
      if (const TripLeg* column = quadro_.Column(k); column && !column->deleted) model = column;
    // A quadro without stops shows no trip: the one it was opened on stands for it.
    if (!model && currentTrip_ && !currentTrip_->deleted) model = currentTrip_;
  }
  const bool inQuadro = mode_ == Mode::Quadro;
  const std::int32_t modelId = model ? model->id : -1;
  if (inQuadro) {
    if (model) store_.ReadHead(modelId, head);
    head.tripCode.clear();
    quadro = quadro_.QuadroNumber();
  }
  const TripHead shown = head;
  TripInsertResult result;
  for (;;) {
    TripHeadDialog dialog(this, db_, head, false, {}, kHeadDialog);
    if (dialog.DoModal() != ui::IDOK) {
      grid_->Repaint();
      return;
    }
    head = dialog.head;
    result = store_.Insert(head, quadro);
    if (ui::ShowOutcome(result)) break;
    if (!result.messages.empty()) return;  // refused before anything was written
    // Refused by the database, which said why: the head again, with what was typed.
  }
  if (inQuadro && modelId >= 0) {
    // The texts left as the model showed them are the model's, as stored.
    store_.KeepStoredTexts(modelId, result.id, shown, head);
    store_.CopyStops(modelId, result.id);
  }
  TripLeg* trip = rows_.AppendNew(result.id, result.quadro, head);
  if (mode_ == Mode::List) {
    grid_->SelectRow(rows_.PositionOf(trip), true);
    return;
  }
  // The new trip is the quadro's last column; the others keep their places (and numbers) until the
  // quadro is loaded again.
  quadro_.AppendTrip(result.id);
  timetable_->RowsChanged();
}

void TripDialog::OnDelete() {
  if (IsEditing()) return;
  if (mode_ == Mode::Quadro) {
    if (timetable_->Area() == 'F') {
      DeleteStop();
      return;
    }
    TripLeg* trip = timetable_->SelectedTrip();
    if (!trip || trip->deleted) return;
    DeleteTrip(trip->id);
    return;
  }
  if (!currentTrip_ || currentTrip_->deleted) return;
  DeleteTrip(currentTrip_->id);
}

void TripDialog::DeleteTrip(std::int32_t id) {
  // No question: "Ripristina" brings the trip back until the next commit. A stop or period of the
  // trip that cannot be read keeps it whole, with one refusal naming it.
  if (!store_.Delete(id)) {
    if (store_.Fault().Any()) Notify(store_.Fault().Refusal(Undone::TripKept), NoticeIcon::Stop);
    return;
  }
  rows_.MarkDeleted(id);
  for (int k = 0; k < quadro_.ColumnCount(); ++k)
    if (TripLeg* column = quadro_.Column(k); column && column->id == id) column->deleted = 1;
  grid_->Repaint();
  timetable_->Repaint();
}

void TripDialog::OnDetails() {
  if (mode_ == Mode::List) {
    ShowQuadro();
    return;
  }
  switch (timetable_->Area()) {
    case 'F':
      if (EditStopDetails()) ShowQuadroSelection();
      break;
    case 'H': EditTripHead(); break;
    default: BeginTimeEdit(); break;
  }
}

void TripDialog::OnFine() {
  if (mode_ == Mode::Quadro)
    ShowTripList();
  else
    Finish();
}

void TripDialog::ShowQuadro() {
  if (mode_ != Mode::List || !currentTrip_ || currentTrip_->deleted) return;
  {
    EditorWaitCursor wait;
    if (currentTrip_->quadroNumber < 0)
      quadro_.LoadSingleTrip(currentTrip_->id);
    else
      quadro_.LoadQuadro(currentTrip_->quadroNumber);
  }
  // A value of another kind than its column's among the quadro's trips and stops: the quadro is
  // not shown, the list stays.
  if (quadro_.Fault().Any()) {
    Notify(quadro_.Fault().Refusal(Undone::QuadroHidden), NoticeIcon::Stop);
    return;
  }
  quadroTripId_ = currentTrip_->id;
  mode_ = Mode::Quadro;
  grid_->hide();
  selectedBox_->hide();
  timeBox_->show();
  SetCommandText(kInsert, QStringLiteral("Aggiungi Corsa"));
  SetCommandText(kDetails, QStringLiteral("Modifica Orario"));
  timetable_->SetArea(' ');
  SetGrid(timetable_);
  timetable_->show();
  timetable_->MeasureColumns();
  timetable_->ResetView();
}

void TripDialog::ShowTripList() {
  EndTimeEdit();
  timetable_->hide();
  SetGrid(grid_);
  grid_->RowsChanged();  // the list may have been reloaded while the quadro was shown
  timeBox_->hide();
  selectedBox_->show();
  SetCommandText(kInsert, QStringLiteral("Nuova Corsa"));
  SetCommandText(kDetails, QStringLiteral("Modifica Corsa"));
  SetCommandText(kDelete, QStringLiteral("Elimina Corsa"));
  mode_ = Mode::List;
  quadroTripId_ = -1;
  LayOut();  // the panel's height is the trip box's again
  grid_->show();
  grid_->Repaint();
  ShowCurrentTrip(rows_.At(grid_->Selected()));
}

void TripDialog::OnCancel() {
  // Closes the transit-time panel; never ends the editor.
  EndTimeEdit();
  if (mode_ == Mode::Quadro) ShowQuadroSelection();
}

void TripDialog::EndTimeEdit() {
  SetLabel(kStopName, {});
  SetControlText(kArrival, {});
  SetControlText(kDeparture, {});
  Edit(kArrival)->setEnabled(false);
  Edit(kDeparture)->setEnabled(false);
  timeEditing_ = false;
  timetable_->setEnabled(true);
  SetEditing(false);
}

void TripDialog::BeginTimeEdit() {
  if (mode_ != Mode::Quadro || timeEditing_) return;
  const TripLeg* trip = timetable_->SelectedTrip();
  const TripStop* stop = timetable_->SelectedStop();
  if (!trip || trip->deleted || !stop || stop->deleted || !timetable_->SelectedCell()) return;
  timetable_->SetArea(' ');
  ShowQuadroSelection();
  Edit(kArrival)->setEnabled(true);
  Edit(kDeparture)->setEnabled(true);
  timeEditing_ = true;
  SetEditing(true);
  timetable_->setEnabled(false);
  Edit(kArrival)->setFocus();
}

void TripDialog::OnOK() {
  if (!timeEditing_) return;
  std::string arrival, departure;
  if (!ReadControlText(kArrival, arrival) || !ReadControlText(kDeparture, departure)) return;
  const int column = timetable_->SelectedColumn();
  bool written = false;
  const std::string refusal = quadro_.WriteTime(timetable_->Selected(), column, arrival, departure, &written);
  if (!refusal.empty()) {
    Refuse(refusal, kArrival);
    return;
  }
  // A refusal of the database was said by it: the edit stays open.
  if (!written) return;
  if (const TripLeg* trip = quadro_.Column(column))
    if (TripLeg* row = rows_.At(rows_.FindId(trip->id))) row->changed = 1;
  EndTimeEdit();
  timetable_->Repaint();
  ShowQuadroSelection();
}

void TripDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  OnCancel();
}

void TripDialog::OnScriptEnd() {
  if (mode_ == Mode::Quadro) ShowTripList();
  Finish();
}

void TripDialog::GridCommand(int id) {
  const int sortOrder = TripListGrid::SortOrderOf(id);
  if (sortOrder >= 0) {
    SelectSortOrder(sortOrder);
    return;
  }
  switch (id) {
    case kPeriods: OpenPeriods(); break;
    case kAssignLine: AssignLine(); break;
    case kAlignKm: AlignKm(); break;
    case kAssignContract: AssignContract(); break;
    case kCloneTimes:
      if (CloneTimes()) ShowQuadroSelection();
      break;
    case kMoveToNewQuadro: MoveToNewQuadro(); break;
    default: EditorDialog::GridCommand(id); break;
  }
}

std::unique_ptr<QMenu> TripDialog::PopupMenu(GridWindow* grid) {
  if (grid == timetable_) return QuadroMenu();
  auto menu = std::make_unique<QMenu>(grid_);
  const bool onTrip = currentTrip_ && !currentTrip_->deleted;
  AddMenuCommand(*menu, kInsert, "&Inserisci un Nuovo Orario Corsa");
  AddMenuCommand(*menu, kDelete, "&Elimina l'Orario Corsa Selezionato", onTrip);
  AddMenuCommand(*menu, kDetails, "&Dettagli Orario Corsa Selezionato", onTrip);
  AddMenuCommand(*menu, kPeriods, "&Periodi Validità Corsa Selezionata", onTrip);
  menu->addSeparator();
  QMenu* sort = menu->addMenu(QStringLiteral("&Ordinamento"));
  for (int sortOrder : TripListGrid::kMenuOrder)
    AddMenuCommand(*sort, TripListGrid::SortCommand(sortOrder), TripListGrid::SortLabel(sortOrder));
  menu->addSeparator();
  AddMenuCommand(*menu, kRefresh, "&Aggiorna la Vista delle Corse");
  AddMenuCommand(*menu, kRestore, "&Ripristina (invalida le variazioni sospese)");
  return menu;
}

std::unique_ptr<QMenu> TripDialog::QuadroMenu() {
  // No item is ever disabled: each command refuses what it cannot do.
  auto menu = std::make_unique<QMenu>(timetable_);
  switch (timetable_->Area()) {
    case 'H':
      AddMenuCommand(*menu, kInsert, "&Inserisci una Nuova Corsa");
      AddMenuCommand(*menu, kDelete, "&Elimina la Corsa Selezionata");
      AddMenuCommand(*menu, kDetails, "&Dati Testa Corsa Selezionata");
      AddMenuCommand(*menu, kPeriods, "&Periodicità Corsa Selezionata");
      menu->addSeparator();
      AddMenuCommand(*menu, kAssignLine, "Assegnazione &Linea (Quadro)");
      AddMenuCommand(*menu, kAssignContract, "Assegnazione &Contratto (Quadro)");
      AddMenuCommand(*menu, kAlignKm, "Allineamento &Km (Quadro)");
      break;
    case 'F':
      AddMenuCommand(*menu, kInsert, "&Inserisci una Nuova Fermata");
      AddMenuCommand(*menu, kDelete, "&Elimina la Fermata Selezionata");
      AddMenuCommand(*menu, kDetails, "&Dettagli Fermata Selezionata");
      break;
    default:
      AddMenuCommand(*menu, kInsert, "&Inserisci una Nuova Corsa");
      AddMenuCommand(*menu, kDetails, "&Modifica Tempo di Transito");
      menu->addSeparator();
      AddMenuCommand(*menu, kCloneTimes, "&Clonazione Orari");
      AddMenuCommand(*menu, kMoveToNewQuadro, "&Sposta la corsa in un quadro vergine");
      menu->addSeparator();
      AddMenuCommand(*menu, kRefresh, "&Aggiorna la Vista del Quadro Orario");
      AddMenuCommand(*menu, kRestore, "&Ripristina (invalida le variazioni sospese)");
      break;
  }
  return menu;
}
