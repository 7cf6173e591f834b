#include "editors/CalendarDialog.h"

#include "common/Cp1252.h"
#include "dialogs/CalendarGenerateDialog.h"
#include "dialogs/EntryRules.h"
#include "dialogs/ListFillers.h"
#include "editing/CalendarGeneration.h"
#include "editors/CalendarGrid.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>

namespace {

QDate FromNormalDate(const std::string& normal) {
  return QDate::fromString(cp1252::ToQString(normal), QStringLiteral("dd/MM/yyyy"));
}

// The code of a combo text: its first 10 characters ("FER        - Feriale" gives the padded code).
std::string ComboCode(const std::string& text) { return text.substr(0, 10); }

}  // namespace

CalendarDialog::CalendarDialog(QWidget* area, DbDatabase* db, EditorTransaction* transaction, WorkProgress* progress,
                               int idd)
    : EditorDialog(area, idd, "Gestione Calendario", transaction), db_(db), progress_(progress), rows_(db) {
  {
    EditorWaitCursor wait;
    rows_.Load();
  }
  QGridLayout* fields = MakePanelBox(1024, QStringLiteral("Cadenza/Giorno selezionata"));
  const auto label = [&](int id, const char* text) { return MakePanelLabel(fields, id, text); };
  QLineEdit* date = DateField::Typing(MakeEdit(kDate, DateField::kLength));
  date->setMinimumWidth(date->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")));
  QComboBox* cadence = MakeCombo(kCadence, true);
  cadence->setMinimumContentsLength(30);
  QLineEdit* note = MakeEdit(kNote, 20);
  note->setMinimumWidth(note->fontMetrics().horizontalAdvance(QString(24, QLatin1Char('n'))));
  fields->addWidget(label(1022, "Data"), 0, 0);
  QLabel* weekday = label(kWeekday, "");
  weekday->setMinimumWidth(weekday->fontMetrics().horizontalAdvance(QStringLiteral("Mercoledi ")));
  fields->addWidget(weekday, 0, 1);
  fields->addWidget(label(1023, "Cadenza"), 0, 2);
  fields->addWidget(date, 1, 0);
  fields->addWidget(cadence, 1, 2);
  fields->addWidget(label(1025, "Note"), 0, 3);
  fields->addWidget(note, 1, 3);
  AddPanelButtons(fields, 4);
  cadences_ = FillCadenceCombo(cadence, db_, "%-10s - %s");
  ui::ShowEntriesWhole(cadence);
  cadence->setCurrentIndex(-1);
  SetFieldsEnabled(false, false, false);

  AddFinishButton(kFinish);
  connect(AddCommandButton(kNewEntry, "Nuova Voce", 15), &QPushButton::clicked, this, [this] { NewEntry(); });
  connect(AddCommandButton(kDeleteEntry, "Elimina Voce", 5), &QPushButton::clicked, this, [this] { DeleteEntry(); });
  connect(AddCommandButton(kEditNote, "Note", 15, true), &QPushButton::clicked, this, [this] { EditNote(); });
  connect(AddCommandButton(kGenerate, "Generazione", 15), &QPushButton::clicked, this, [this] { Generate(); });
  connect(AddCommandButton(kRefresh, "Aggiorna Vista", 15), &QPushButton::clicked, this, [this] { RefreshView(); });
  connect(AddCommandButton(kRestore, "Ripristina", 5, true), &QPushButton::clicked, this, [this] { Restore(); });

  grid_ = new CalendarGrid(this, this, &rows_);
  SetGrid(grid_);
  ShowSelected();
}

void CalendarDialog::SetFieldsEnabled(bool date, bool cadence, bool note) {
  Edit(kDate)->setEnabled(date);
  Combo(kCadence)->setEnabled(cadence);
  Edit(kNote)->setEnabled(note);
}

void CalendarDialog::ClearPanel(bool all) {
  Combo(kCadence)->setCurrentIndex(-1);
  Combo(kCadence)->setEditText(QString());
  currentEntry_ = nullptr;
  if (!all) return;
  SetControlText(kDate, {});
  SetControlText(kNote, {});
  qobject_cast<QLabel*>(Control(kWeekday))->clear();
}

void CalendarDialog::ShowSelected() {
  ClearPanel(true);
  CadenceNote* row = rows_.At(grid_->Selected());
  if (!row) return;
  SetControlText(kDate, row->Format());
  SetControlText(kNote, row->name);
  qobject_cast<QLabel*>(Control(kWeekday))->setText(cp1252::ToQString(WeekdayName(row->weekday)));
  SetFieldsEnabled(false, false, false);
  NoteText* entry = grid_->SelectedEntry();
  if (!entry) return;
  // The entry of the list whose code is the day type's as stored (of two read alike, its own); a
  // code the list lacks is shown as it is.
  QComboBox* combo = Combo(kCadence);
  const auto listed = std::find(cadences_.begin(), cadences_.end(), DbText{entry->text, entry->stored});
  if (listed != cadences_.end() && listed - cadences_.begin() < combo->count())
    combo->setCurrentIndex(static_cast<int>(listed - cadences_.begin()));
  if (combo->currentIndex() < 0) combo->setEditText(cp1252::ToQString(entry->text));
  currentEntry_ = entry;
}

void CalendarDialog::SelectionMoved(GridWindow*) {
  // Only the wheel moves the selection while the panel is open: the edit ends unwritten.
  if (IsEditing()) OnCancel();
  ShowSelected();
}

QDate CalendarDialog::PanelDate() const {
  std::string normal;
  const std::string text = cp1252::FromQStringLossy(Edit(kDate)->text());
  return ParseEntryDate(text, normal) ? FromNormalDate(normal) : QDate();
}

void CalendarDialog::NewEntry() {
  if (!PanelDate().isValid()) return;
  ClearPanel(false);
  SetFieldsEnabled(false, true, false);
  editMode_ = 0;
  SetEditing(true);
  Combo(kCadence)->setFocus();
}

void CalendarDialog::EditNote() {
  if (!PanelDate().isValid()) return;
  ClearPanel(false);
  SetFieldsEnabled(false, false, true);
  editMode_ = 1;
  SetEditing(true);
  Edit(kNote)->setFocus();
}

void CalendarDialog::OnOK() {
  if (!IsEditing()) return;
  std::string normal;
  const std::string typed = cp1252::FromQStringLossy(Edit(kDate)->text());
  std::string refusal = EntryDateRefusal(typed, "la data del giorno", kNotRecorded, normal);
  // A note goes to the day shown, whose date nobody typed (the field is disabled): any year the
  // calendar holds.
  if (editMode_ == 1 && ParseEntryDate(typed, normal)) refusal.clear();
  if (!refusal.empty()) {
    Refuse(refusal);
    return;
  }
  const QDate date = FromNormalDate(normal);
  if (editMode_ == 1) {
    std::string note;
    if (!ReadControlText(kNote, note)) return;
    // A note lives on the day types of its date: without one it would be lost.
    const CadenceNote* row = rows_.Find(date);
    bool anyCadence = false;
    if (row)
      for (const NoteText& e : row->texts) anyCadence = anyCadence || !e.deleted;
    if (!anyCadence) {
      Refuse("ATTENZIONE: al giorno " + CalendarDateText(date) +
                 " non è associata nessuna cadenza.\n\n"
                 "La nota si registra insieme alle cadenze del giorno: occorre prima inserire una cadenza.\n\n"
                 "La nota non è stata registrata.",
             kNote);
      return;
    }
    // A note left as shown is not written back: it stays as stored.
    if (!LeftAsShown(kNote)) rows_.WriteNote(date, note);
    OnCancel();
    grid_->Repaint();
    return;
  }
  std::string text;
  if (!ReadControlText(kCadence, text)) return;
  // The entry chosen as stored; a code typed as typed.
  const DbText code = ChosenCode(Combo(kCadence), cadences_, std::string(WithoutTrailingBlanks(ComboCode(text))));
  if (!ui::ShowOutcome(WritableDayType(code))) return;
  NoteText* entry = rows_.AddEntry(date, code);
  // Refused: the panel keeps what was typed, for the user to correct.
  if (!entry) return;
  CadenceNote* row = rows_.Find(date);
  int column = 0;
  for (const NoteText& e : row->texts) {
    if (&e == entry) break;
    ++column;
  }
  SetFieldsEnabled(false, false, false);
  SetEditing(false);
  grid_->SelectCell(rows_.PositionOf(row), column, false);
  ShowSelected();
}

void CalendarDialog::OnCancel() {
  ClearPanel(true);
  SetFieldsEnabled(false, false, false);
  SetEditing(false);
  ShowSelected();
}

void CalendarDialog::DeleteEntry() {
  if (IsEditing() || !currentEntry_ || currentEntry_->deleted) return;
  if (rows_.RemoveEntry(rows_.At(grid_->Selected()), currentEntry_)) grid_->Repaint();
}

void CalendarDialog::ClearDay() {
  const QDate date = PanelDate();
  if (IsEditing() || !date.isValid()) return;
  rows_.ClearDay(date);
  grid_->Repaint();
}

void CalendarDialog::Generate() {
  if (IsEditing()) return;
  CalendarGenerateDialog dialog(this, db_, CalendarDateText(rows_.PeriodFirst()), CalendarDateText(rows_.PeriodLast()),
                                kGenerateDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  CalendarGeneration options;
  options.cadence = dialog.cadence;
  options.first = FromNormalDate(dialog.startText);
  options.last = FromNormalDate(dialog.endText);
  for (int d = 0; d < 7; ++d) options.weekdays[static_cast<size_t>(d)] = dialog.weekdays[d] != 0;
  options.operation =
      dialog.operation == 1 ? CalendarGeneration::Operation::Remove : CalendarGeneration::Operation::Add;
  GenerationResult result;
  {
    EditorWaitCursor wait;
    result = RunCalendarGeneration(rows_, options, progress_);
  }
  ui::ShowOutcome(result);
  // New dates and new columns may have come: the bars and the panel follow.
  grid_->RowsChanged();
}

void CalendarDialog::LoadRows() {
  currentEntry_ = nullptr;
  rows_.Load();
}

void CalendarDialog::GridCommand(int id) {
  // The one popup command without a button.
  if (id == kClearDay)
    ClearDay();
  else
    EditorDialog::GridCommand(id);
}

std::unique_ptr<QMenu> CalendarDialog::PopupMenu(GridWindow*) {
  auto menu = std::make_unique<QMenu>(grid_);
  AddMenuCommand(*menu, kNewEntry, "&Inserisci una Nuova Cadenza/Giorno");
  AddMenuCommand(*menu, kDeleteEntry, "&Elimina la Cadenza/Giorno Selezionata",
                 currentEntry_ && !currentEntry_->deleted);
  menu->addSeparator();
  AddMenuCommand(*menu, kClearDay, "&Pulisce tutte le Cadenze del giorno");
  menu->addSeparator();
  AddMenuCommand(*menu, kRefresh, "&Aggiorna la Vista del Calendario");
  AddMenuCommand(*menu, kRestore, "&Ripristina (invalida le variazioni sospese)");
  return menu;
}
