#include "editors/CadenceDialog.h"

#include "common/Cp1252.h"
#include "editors/ListGrid.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

namespace {

// The grid of the day types: code and name.
class CadenceGrid : public RecordListGrid<CadenceRows> {
 public:
  CadenceGrid(QWidget* parent, CadenceDialog* owner)
      : RecordListGrid(parent, owner, CadenceDialog::kGridId,
                       {{"Codice", std::string(10, 'V')}, {"Denominazione Cadenza", std::string(60, 'V')}},
                       owner->Rows()) {}

  std::string CellText(int row, int column) const override {
    const CadenceEntry* entry = rows_.At(row);
    return entry ? (column == 0 ? entry->code : entry->name) : std::string();
  }

 protected:
  // A script selects a day type by its code.
  bool FindScriptRow(const std::string& value, int& row, std::string& why) override {
    row = rows_.Find(value);
    if (row < 0) why = "la cadenza " + value + " non è nella griglia";
    return row >= 0;
  }
};

}  // namespace

CadenceDialog::CadenceDialog(QWidget* area, DbDatabase* db, EditorTransaction* transaction, int idd)
    : RecordEditorDialog(area, idd, "Gestione Cadenze", transaction, db) {
  {
    EditorWaitCursor wait;
    rows_.Load();
  }
  QGridLayout* fields = MakePanelBox(1015, QStringLiteral("Cadenza selezionata"));
  QLabel* codeLabel = MakePanelLabel(fields, 1013, "Codice");
  QLabel* nameLabel = MakePanelLabel(fields, 1014, "Denominazione");
  QLineEdit* code = MakeEdit(kCode, 10);
  QLineEdit* name = MakeEdit(kName, 60);
  code->setMinimumWidth(code->fontMetrics().horizontalAdvance(QString(12, QLatin1Char('W'))));
  name->setMinimumWidth(name->fontMetrics().horizontalAdvance(QString(50, QLatin1Char('n'))));
  fields->addWidget(codeLabel, 0, 0);
  fields->addWidget(nameLabel, 0, 1);
  fields->addWidget(code, 1, 0);
  fields->addWidget(name, 1, 1);
  AddPanelButtons(fields, 2);
  code->setEnabled(false);
  name->setEnabled(false);

  AddFinishButton(kFinish);
  connect(AddCommandButton(kNew, "Nuova Cadenza", 30), &QPushButton::clicked, this, [this] { OnNew(); });
  connect(AddCommandButton(kModify, "Modifica Cadenza", 5), &QPushButton::clicked, this, [this] { OnModify(); });
  connect(AddCommandButton(kDelete, "Elimina Cadenza", 5), &QPushButton::clicked, this, [this] { OnDelete(); });
  connect(AddCommandButton(kRefresh, "Aggiorna Vista", 30), &QPushButton::clicked, this, [this] { RefreshView(); });
  connect(AddCommandButton(kRestore, "Ripristina", 5), &QPushButton::clicked, this, [this] { Restore(); });

  grid_ = new CadenceGrid(this, this);
  SetGrid(grid_);
  ShowSelected();
}

void CadenceDialog::ClearFields() {
  SetControlText(kCode, {});
  SetControlText(kName, {});
  current_ = nullptr;
}

void CadenceDialog::ShowSelected() {
  CadenceEntry* row = rows_.At(grid_->Selected());
  if (!row) {
    ClearFields();
    return;
  }
  SetControlText(kCode, row->code);
  SetControlText(kName, row->name);
  Edit(kCode)->setEnabled(false);
  Edit(kName)->setEnabled(false);
  current_ = row;
}

void CadenceDialog::OnNew() {
  ClearFields();
  Edit(kCode)->setEnabled(true);
  Edit(kName)->setEnabled(true);
  mode_ = 0;
  SetEditing(true);
  Edit(kCode)->setFocus();
}

void CadenceDialog::OnModify() {
  if (!current_ || current_->deleted || IsEditing()) return;
  Edit(kCode)->setEnabled(false);  // the code cannot change
  Edit(kName)->setEnabled(true);
  mode_ = 1;
  SetEditing(true);
  Edit(kName)->setFocus();
}

void CadenceDialog::OnOK() {
  if (!IsEditing()) return;
  std::string code, name;
  if (!ReadControlText(kCode, code) || !ReadControlText(kName, name)) return;
  if (mode_ == 0) {
    CadenceEntry* row = rows_.Insert(code, name);
    // Refused: the panel keeps what was typed, for the user to correct.
    if (!row) return;
    grid_->SelectRow(rows_.PositionOf(row), false);
    OnNew();  // emptied and open for the next day type
    return;
  }
  // A name left as shown is not written back: it stays as stored.
  if (!LeftAsShown(kName) && !rows_.Rename(current_, name)) return;  // the panel stays open as it is
  Edit(kName)->setEnabled(false);
  SetEditing(false);
  grid_->Repaint();
  ShowSelected();
}

void CadenceDialog::OnCancel() {
  ClearFields();
  Edit(kCode)->setEnabled(false);
  Edit(kName)->setEnabled(false);
  SetEditing(false);
  ShowSelected();
}

void CadenceDialog::LoadRows() {
  current_ = nullptr;
  rows_.Load();
}

std::unique_ptr<QMenu> CadenceDialog::PopupMenu(GridWindow*) {
  auto menu = std::make_unique<QMenu>(grid_);
  const bool onRow = current_ && !current_->deleted;
  AddMenuCommand(*menu, kNew, "&Inserisci una Nuova Cadenza");
  AddMenuCommand(*menu, kModify, "&Modifica la Cadenza Selezionata", onRow);
  AddMenuCommand(*menu, kDelete, "&Elimina la Cadenza Selezionata", onRow);
  menu->addSeparator();
  AddMenuCommand(*menu, kRefresh, "&Aggiorna la Vista delle Cadenze");
  AddMenuCommand(*menu, kRestore, "&Ripristina (invalida le variazioni sospese)");
  return menu;
}
