#include "editors/PeriodDialog.h"

#include "common/Cp1252.h"
#include "dialogs/EntryRules.h"
#include "dialogs/ListFillers.h"
#include "editing/EditorFaults.h"
#include "editors/ListGrid.h"
#include "platform/Ui.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <algorithm>

namespace {

// The grid of the periods: start, end, kind, day-type code and name.
class PeriodGrid : public RecordListGrid<PeriodRows> {
 public:
  PeriodGrid(QWidget* parent, PeriodDialog* owner)
      : RecordListGrid(parent, owner, PeriodDialog::kGridId,
                       {{"Inizio", "99/99/9999"},
                        {"Fine", "99/99/9999"},
                        {"Tipo", "Escluso"},
                        {"Cadenza", "9999999999"},
                        {"Denominazione Cadenza", std::string(60, 'V')}},
                       owner->Rows()) {}

  std::string CellText(int row, int column) const override {
    const PeriodRecord* period = rows_.At(row);
    if (!period) return {};
    switch (column) {
      case 0: return period->start;
      case 1: return period->end;
      case 2: return period->excluded ? "Escluso" : "";
      case 3: return period->code;
      default: return period->name;
    }
  }

 protected:
  // A script selects a period by its start date.
  bool FindScriptRow(const std::string& value, int& row, std::string& why) override {
    row = rows_.FindStart(value);
    if (row < 0) why = "il periodo che inizia il " + value + " non è nella griglia";
    return row >= 0;
  }
};

const char* const kNotRecordedLine = "I dati immessi non saranno registrati !!!";

}  // namespace

PeriodDialog::PeriodDialog(QWidget* tripDialog, DbDatabase* db, EditorTransaction* transaction, std::int32_t tripId,
                           int idd)
    : RecordEditorDialog(tripDialog, idd, "Periodi Validità Corsa", transaction, db), tripDialog_(tripDialog) {
  {
    EditorWaitCursor wait;
    rows_.Load(tripId);
  }
  QGridLayout* fields = MakePanelBox(1099, QStringLiteral("Periodo di Validità/Esclusione"));
  const auto label = [&](int id, const char* text) { return MakePanelLabel(fields, id, text); };
  fields->addWidget(label(1089, "Dal"), 0, 0);
  fields->addWidget(label(1093, "Al"), 0, 1);
  fields->addWidget(label(1097, "Cadenza"), 0, 2);
  for (int id : {kStart, kEnd}) {
    QLineEdit* date = DateField::Typing(MakeEdit(id, DateField::kLength));
    date->setMinimumWidth(date->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")));
    fields->addWidget(date, 1, id == kStart ? 0 : 1);
  }
  QComboBox* cadence = MakeCombo(kCadence, true);
  cadence->setMinimumContentsLength(30);
  fields->addWidget(cadence, 1, 2);
  QRadioButton* running = MakeRadio(kRunning, "Periodo di effettuazione");
  QRadioButton* excluded = MakeRadio(kExcluded, "Periodo di esclusione");
  fields->addWidget(running, 0, 3);
  fields->addWidget(excluded, 1, 3);
  AddPanelButtons(fields, 4);
  // Either button switches the kind: a click on the kind already chosen chooses the other one.
  for (QRadioButton* kind : {running, excluded})
    connect(kind, &QRadioButton::clicked, this, [this] { SetKind(!excluded_); });
  cadences_ = FillCadenceCombo(cadence, db, "%-10s - %s");
  ui::ShowEntriesWhole(cadence);
  SetFieldsEnabled(false, false);

  AddFinishButton(kFinish);
  connect(AddCommandButton(kNew, "Nuovo Periodo", 30), &QPushButton::clicked, this, [this] { OnNew(); });
  connect(AddCommandButton(kModify, "Modifica Periodo", 5), &QPushButton::clicked, this, [this] { OnModify(); });
  connect(AddCommandButton(kDelete, "Elimina Periodo", 5), &QPushButton::clicked, this, [this] { OnDelete(); });
  connect(AddCommandButton(kRefresh, "Aggiorna Vista", 30), &QPushButton::clicked, this, [this] { RefreshView(); });
  connect(AddCommandButton(kRestore, "Ripristina", 5), &QPushButton::clicked, this, [this] { Restore(); });

  grid_ = new PeriodGrid(this, this);
  SetGrid(grid_);
  setMinimumWidth(LeastWidth());
  ShowSelected();
}

QRect PeriodDialog::Placement() const {
  // Seven tenths of the trip editor's width, half its height, in its middle; never so narrow that
  // the panel's labels or the buttons' are cut.
  if (!tripDialog_) return geometry();
  const QRect area(tripDialog_->mapToGlobal(QPoint(0, 0)), tripDialog_->size());
  const QSize size(std::max(7 * (area.width() + 1) / 10, LeastWidth()), (area.height() + 1) / 2);
  return QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size);
}

void PeriodDialog::SetFieldsEnabled(bool dates, bool rest) {
  Edit(kStart)->setEnabled(dates);
  Edit(kEnd)->setEnabled(dates);
  Combo(kCadence)->setEnabled(rest);
  Button(kRunning)->setEnabled(rest);
  Button(kExcluded)->setEnabled(rest);
}

void PeriodDialog::SetKind(bool excluded) {
  excluded_ = excluded;
  Button(kRunning)->setChecked(!excluded);
  Button(kExcluded)->setChecked(excluded);
}

void PeriodDialog::ClearFields() {
  SetControlText(kStart, {});
  SetControlText(kEnd, {});
  Combo(kCadence)->setCurrentIndex(-1);
  Combo(kCadence)->setEditText(QString());
  // Neither kind shown: the buttons of an exclusive group cannot both be unchecked otherwise.
  for (int id : {kRunning, kExcluded}) {
    Button(id)->setAutoExclusive(false);
    Button(id)->setChecked(false);
    Button(id)->setAutoExclusive(true);
  }
  current_ = nullptr;
}

void PeriodDialog::ShowSelected() {
  ClearFields();
  PeriodRecord* period = rows_.At(grid_->Selected());
  if (!period) return;
  SetControlText(kStart, period->start);
  SetControlText(kEnd, period->end);
  // The entry of the day type as stored: of two codes read alike, its own.
  QComboBox* combo = Combo(kCadence);
  const auto listed = std::find(cadences_.begin(), cadences_.end(), DbText{period->code, period->storedCode});
  const int index = listed == cadences_.end() ? -1 : static_cast<int>(listed - cadences_.begin());
  combo->setCurrentIndex(index < combo->count() ? index : -1);
  if (index < 0) combo->setEditText(cp1252::ToQString(period->code));
  RememberShown(kCadence);
  SetKind(period->excluded != 0);
  SetFieldsEnabled(false, false);
  current_ = period;
}

void PeriodDialog::OnNew() {
  ClearFields();
  // A new period proposes the reporting period.
  std::string start, end;
  if (rows_.MasterPeriod(start, end)) {
    SetControlText(kStart, start);
    SetControlText(kEnd, end);
  }
  SetFieldsEnabled(true, true);
  SetKind(false);
  mode_ = 0;
  SetEditing(true);
  Edit(kStart)->setFocus();
}

void PeriodDialog::OnModify() {
  if (IsEditing() || !current_ || current_->deleted) return;
  SetFieldsEnabled(false, true);  // the dates are the key and stay
  mode_ = 1;
  SetEditing(true);
  Combo(kCadence)->setFocus();
}

void PeriodDialog::OnOK() {
  if (!IsEditing()) return;
  std::string start, end, cadence;
  // A period modified keeps its dates, its key, as they are stored: only a new one's are read.
  if (mode_ != 1 && !DateField::ReadPeriod(*this, kStart, kEnd, kNotRecordedLine, start, end)) return;
  if (!ReadControlText(kCadence, cadence)) return;
  // The code is the entry's first ten characters (the entry chosen as stored), the name what
  // follows " - ".
  const DbText code = ChosenCode(Combo(kCadence), cadences_, std::string(WithoutTrailingBlanks(cadence.substr(0, 10))));
  const std::string name = cadence.size() >= 13 ? cadence.substr(13) : std::string();
  if (!ui::ShowOutcome(WritableDayType(code))) return;  // the panel keeps what was chosen
  if (mode_ == 1) {
    // A day type left as shown is not written back: it stays as stored.
    if (!rows_.Modify(current_, code, name, excluded_, !LeftAsShown(kCadence))) return;  // the panel stays as it is
    SetFieldsEnabled(false, false);
    SetEditing(false);
    grid_->Repaint();
    ShowSelected();
    return;
  }
  PeriodRecord* period = rows_.Insert(start, end, code, name, excluded_);
  // Refused by the database: the panel keeps what was typed.
  if (!period) return;
  grid_->SelectRow(rows_.PositionOf(period), false);
  OnNew();
}

void PeriodDialog::OnCancel() {
  ClearFields();
  SetFieldsEnabled(false, false);
  SetEditing(false);
  ShowSelected();
}

void PeriodDialog::LoadRows() {
  current_ = nullptr;
  rows_.Load(rows_.TripId());
}

std::unique_ptr<QMenu> PeriodDialog::PopupMenu(GridWindow*) {
  auto menu = std::make_unique<QMenu>(grid_);
  const bool onRow = current_ && !current_->deleted;
  AddMenuCommand(*menu, kNew, "&Inserisci un Nuovo Periodo");
  AddMenuCommand(*menu, kModify, "&Modifica il Periodo Selezionato", onRow);
  AddMenuCommand(*menu, kDelete, "&Elimina il Periodo Selezionato", onRow);
  menu->addSeparator();
  AddMenuCommand(*menu, kRefresh, "&Aggiorna la Vista dei Periodi");
  AddMenuCommand(*menu, kRestore, "&Ripristina (invalida le variazioni sospese)");
  return menu;
}
