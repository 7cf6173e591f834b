#include "editors/TripDialog.h"

#include "common/Cp1252.h"
#include "dialogs/TripHeadDialog.h"
#include "editors/PeriodDialog.h"
#include "editors/TripListGrid.h"
#include "editors/model/EditorTransaction.h"

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
    : EditorDialog(area, idd, "Gestione Corse", transaction), db_(db), store_(db), rows_(db) {
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
  time->addWidget(MakeEdit(1045, 5));
  QLabel* leave = MakeInfo(timeBox_, 1048);
  leave->setText(QStringLiteral("Parte"));
  time->addWidget(leave);
  time->addWidget(MakeEdit(1049, 5));
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

void TripDialog::SelectionMoved(GridWindow*) {
  // In quadro mode the current trip stays the one whose quadro is open.
  if (mode_ == Mode::List) ShowCurrentTrip(rows_.At(grid_->Selected()));
}

void TripDialog::LoadRows() {
  currentTrip_ = nullptr;
  rows_.Load(rows_.SortOrder());
  if (mode_ == Mode::Quadro) {
    const int position = rows_.FindId(quadroTripId_);
    currentTrip_ = rows_.At(position);
  }
}

void TripDialog::SelectSortOrder(int sortOrder) {
  {
    EditorWaitCursor wait;
    rows_.Load(sortOrder);
  }
  // The old rows are gone: the quadro's trip is found again among the new ones.
  currentTrip_ = mode_ == Mode::Quadro ? rows_.At(rows_.FindId(quadroTripId_)) : nullptr;
  // The selection keeps its place in the window, now on whatever trip sorts there.
  grid_->RowsChanged();
}

void TripDialog::OnInsert() {
  if (IsEditing()) return;
  TripHead head;
  std::int32_t quadro = -1;
  const bool inQuadro = mode_ == Mode::Quadro && currentTrip_;
  if (inQuadro) {
    store_.ReadHead(currentTrip_->id, head);
    head.tripCode.clear();
    quadro = currentTrip_->quadroNumber;
  }
  TripInsertResult result;
  for (;;) {
    TripHeadDialog dialog(this, db_, head, false, {}, kHeadDialog);
    if (dialog.DoModal() != ui::IDOK) {
      grid_->Repaint();
      return;
    }
    head = dialog.head;
    result = store_.Insert(head, quadro);
    if (!result.refusal.empty()) {
      ui::MessageBox(result.refusal, ui::MB_ICONSTOP);
      return;
    }
    if (result.stored) break;
    // Refused by the database, which said why: the head again, with what was typed.
  }
  if (inQuadro) store_.CopyStops(currentTrip_->id, result.id);
  TripLeg* trip = rows_.AppendNew(result.id, result.quadro, head);
  if (mode_ == Mode::List) grid_->SelectRow(rows_.PositionOf(trip), true);
}

void TripDialog::OnDelete() {
  if (IsEditing() || !currentTrip_ || currentTrip_->deleted) return;
  // No question: "Ripristina" brings the trip back until the next commit.
  if (!store_.Delete(currentTrip_->id)) return;
  rows_.MarkDeleted(currentTrip_->id);
  grid_->Repaint();
}

void TripDialog::OnDetails() {
  if (mode_ == Mode::List) ShowQuadro();
}

void TripDialog::OnFine() {
  if (mode_ == Mode::Quadro)
    ShowTripList();
  else
    Finish();
}

void TripDialog::ShowQuadro() {
  if (mode_ != Mode::List || !currentTrip_ || currentTrip_->deleted) return;
  quadroTripId_ = currentTrip_->id;
  mode_ = Mode::Quadro;
  grid_->hide();
  selectedBox_->hide();
  timeBox_->show();
  CommandButton(kInsert)->setText(QStringLiteral("Aggiungi Corsa"));
  CommandButton(kDetails)->setText(QStringLiteral("Modifica Orario"));
}

void TripDialog::ShowTripList() {
  OnCancel();
  timeBox_->hide();
  selectedBox_->show();
  CommandButton(kInsert)->setText(QStringLiteral("Nuova Corsa"));
  CommandButton(kDetails)->setText(QStringLiteral("Modifica Corsa"));
  CommandButton(kDelete)->setText(QStringLiteral("Elimina Corsa"));
  mode_ = Mode::List;
  quadroTripId_ = -1;
  grid_->show();
  grid_->Repaint();
  ShowCurrentTrip(rows_.At(grid_->Selected()));
}

void TripDialog::OnCancel() {
  // Closes the transit-time panel; never ends the editor.
  SetLabel(1050, {});
  SetControlText(1045, {});
  SetControlText(1049, {});
  Edit(1045)->setEnabled(false);
  Edit(1049)->setEnabled(false);
  SetEditing(false);
}

void TripDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  OnCancel();
}

void TripDialog::OnScriptEnd() {
  if (mode_ == Mode::Quadro) ShowTripList();
  Finish();
}

void TripDialog::OpenPeriods() {
  if (IsEditing() || !currentTrip_ || currentTrip_->deleted) return;
  PeriodDialog periods(this, db_, Transaction(), currentTrip_->id, kPeriodDialog);
  periods.DoModal();
  // Its "Aggiorna Vista" and "Ripristina" end this editor's transaction too: the list then shows
  // the database as it now is.
  if (periods.TransactionEnded()) Reload();
}

void TripDialog::GridCommand(int id) {
  const int sortOrder = TripListGrid::SortOrderOf(id);
  if (sortOrder >= 0)
    SelectSortOrder(sortOrder);
  else if (id == kPeriods)
    OpenPeriods();
  else
    EditorDialog::GridCommand(id);
}

std::unique_ptr<QMenu> TripDialog::PopupMenu(GridWindow*) {
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
