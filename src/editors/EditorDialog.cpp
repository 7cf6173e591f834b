#include "editors/EditorDialog.h"

#include "common/Cp1252.h"
#include "common/Notices.h"
#include "editing/EditorTransaction.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QResizeEvent>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

const char* const kEditorChangesLostText =
    "ATTENZIONE: il database ha annullato le variazioni sospese, che non sono state registrate.\n\n"
    "La vista mostra i dati come sono nel database.";

EditorDialog::EditorDialog(QWidget* area, int idd, const std::string& caption, EditorTransaction* transaction)
    : ui::Dialog(area, idd, caption), area_(area), transaction_(transaction), panel_(new QWidget(this)) {
  panel_->setObjectName(QStringLiteral("panel"));
}

QPushButton* EditorDialog::AddFinishButton(int id) {
  QPushButton* button = AddCommandButton(id, "Fine", 0);
  connect(button, &QPushButton::clicked, this, [this] { Finish(); });
  return button;
}

QPushButton* EditorDialog::AddCommandButton(int id, const std::string& label, int gap, bool keepWhileEditing) {
  auto* button = new QPushButton(cp1252::ToQString(label), this);
  button->setAutoDefault(false);
  button->setObjectName(QString::number(id));
  commands_.push_back({button, gap, keepWhileEditing});
  return button;
}

QGridLayout* EditorDialog::MakePanelBox(int id, const QString& title) {
  auto* box = new QGroupBox(title, panel_);
  box->setObjectName(QString::number(id));
  auto* panelLayout = new QVBoxLayout(panel_);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  panelLayout->addWidget(box);
  return new QGridLayout(box);
}

QLabel* EditorDialog::MakePanelLabel(QGridLayout* fields, int id, const std::string& text) {
  auto* label = new QLabel(cp1252::ToQString(text), fields->parentWidget());
  label->setObjectName(QString::number(id));
  return label;
}

void EditorDialog::AddPanelButtons(QGridLayout* fields, int column) {
  fields->addWidget(MakePanelButton(kConferma, "Conferma"), 1, column);
  fields->addWidget(MakePanelButton(kAnnulla, "Annulla"), 1, column + 1);
  fields->setColumnStretch(column + 2, 1);
}

QPushButton* EditorDialog::CommandButton(int id) const {
  for (const Command& c : commands_)
    if (c.button->objectName() == QString::number(id)) return c.button;
  return nullptr;
}

QPushButton* EditorDialog::MakePanelButton(int id, const std::string& label) {
  auto* button = new QPushButton(cp1252::ToQString(label), panel_);
  button->setObjectName(QString::number(id));
  button->setEnabled(false);
  if (id == kConferma) {
    button->setDefault(true);
    connect(button, &QPushButton::clicked, this, [this] { OnOK(); });
  } else {
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this] { OnCancel(); });
  }
  return button;
}

void EditorDialog::SetEditing(bool editing) {
  SetEditingState(editing);
  for (const Command& c : commands_)
    if (!c.keepWhileEditing) c.button->setEnabled(!editing);
  for (int id : {kConferma, kAnnulla})
    if (QWidget* button = Control(id)) button->setEnabled(editing);
  if (grid_) grid_->EditStateChanged();
  // Once the panel closes the keyboard goes back to the grid, not to the next button.
  if (!editing && grid_ && !grid_->isHidden() && grid_->isEnabled()) grid_->setFocus(Qt::OtherFocusReason);
}

void EditorDialog::SetCommandText(int id, const QString& text) {
  QPushButton* button = CommandButton(id);
  if (!button || button->text() == text) return;
  button->setText(text);
  LayOut();
}

void EditorDialog::RefreshView() {
  transactionEnded_ = true;
  transaction_->CommitAndBegin();
  Reload();
}

void EditorDialog::Restore() {
  transactionEnded_ = true;
  transaction_->RollbackAndBegin();
  Reload();
}

void EditorDialog::CommandEnded() {
  if (!transaction_ || !transaction_->Lost()) return;
  Notify(kEditorChangesLostText, NoticeIcon::Exclamation);
  Restore();
}

void EditorDialog::Reload() {
  if (IsEditing()) OnCancel();
  {
    EditorWaitCursor wait;
    LoadRows();
  }
  // A value of another kind than its column's, written meanwhile by another program: nothing of
  // it is shown, and the editor ends.
  if (const EditorFault fault = LoadFault(); fault.Any()) {
    Notify(fault.Refusal(Undone::EditorClosed), NoticeIcon::Stop);
    Finish();
    return;
  }
  if (grid_) grid_->RowsChanged();
}

void EditorDialog::GridCommand(int id) {
  // The popup is there only while browsing, when the buttons are enabled.
  if (QPushButton* button = CommandButton(id)) button->click();
}

void EditorDialog::Finish() {
  if (!Ended()) EndDialog(ui::IDOK);
}

QRect EditorDialog::Placement() const {
  return area_ ? QRect(area_->mapToGlobal(QPoint(0, 0)), area_->size()) : geometry();
}

namespace {

// The action of a command id in a menu or its submenus, or null.
QAction* FindAction(const QMenu& menu, int id) {
  for (QAction* action : menu.actions()) {
    if (QMenu* sub = action->menu())
      if (QAction* found = FindAction(*sub, id)) return found;
    if (!action->isSeparator() && !action->menu() && action->data().toInt() == id) return action;
  }
  return nullptr;
}

}  // namespace

bool EditorDialog::RunMenuCommand(int id, std::string& why) {
  if (!grid_) return false;
  if (grid_->isHidden()) {
    why = "non si può scegliere: la griglia non è visibile";
    return false;
  }
  const std::unique_ptr<QMenu> menu = grid_->BuildPopupMenu();
  QAction* action = FindAction(*menu, id);
  if (!action) return false;
  if (IsEditing()) {
    why = "non si può scegliere mentre è aperta una modifica";
    return false;
  }
  if (!action->isEnabled()) {
    why = "è disabilitato";
    return false;
  }
  GridCommand(id);
  CommandEnded();
  return true;
}

bool EditorDialog::OnInitDialog() {
  if (const EditorFault fault = LoadFault(); fault.Any()) {
    Notify(fault.Refusal(), NoticeIcon::Stop);
    return false;
  }
  // Every button's own work is connected by now: the check runs after it.
  for (QAbstractButton* button : findChildren<QAbstractButton*>())
    connect(button, &QAbstractButton::clicked, this, &EditorDialog::CommandEnded, Qt::UniqueConnection);
  setGeometry(ui::InsideScreen(*this, Placement()));
  LayOut();
  if (grid_) grid_->MeasureColumns();
  return true;
}

void EditorDialog::LayOut() {
  const QRect client = rect();
  // The command buttons in one row, their bottoms 5 pixels above the bottom.
  int x = 15;
  int rowTop = client.bottom();
  for (size_t i = 0; i < commands_.size(); ++i) {
    QPushButton* button = commands_[i].button;
    const QSize size = button->sizeHint();
    if (i > 0) x += commands_[i].gap;
    button->setGeometry(x, client.bottom() - 5 - size.height(), size.width(), size.height());
    rowTop = std::min(rowTop, button->y());
    x += size.width();
  }
  // The panel 10 pixels above the row, the grid 10 pixels from the edges down to the panel.
  const int panelHeight = panel_->sizeHint().height();
  const int panelTop = rowTop - 10 - panelHeight;
  panel_->setGeometry(10, panelTop, std::max(0, client.width() - 20), panelHeight);
  if (grid_) grid_->setGeometry(10, 10, std::max(0, client.width() - 20), std::max(0, panelTop - 20));
}

int EditorDialog::LeastWidth() const {
  // The button row as LayOut places it, from 15 pixels in, with as much room after it.
  int row = 30;
  for (const Command& c : commands_) row += c.gap + c.button->sizeHint().width();
  return std::max(row, panel_->minimumSizeHint().width() + 20);
}

void EditorDialog::resizeEvent(QResizeEvent* event) {
  ui::Dialog::resizeEvent(event);
  LayOut();
}

void EditorDialog::showEvent(QShowEvent* event) {
  ui::Dialog::showEvent(event);
  // The arrow keys move through the rows from the first press, never through the buttons (the
  // delete buttons stand a few presses from "Fine").
  if (grid_ && !grid_->isHidden()) grid_->setFocus(Qt::OtherFocusReason);
}

void EditorDialog::closeEvent(QCloseEvent* event) {
  // The window's close button ends the editor as "Fine" does; the opener commits.
  event->accept();
  Finish();
}

void EditorDialog::AddMenuCommand(QMenu& menu, int id, const std::string& label, bool enabled) {
  QAction* action = menu.addAction(cp1252::ToQString(label));
  action->setData(id);
  action->setObjectName(QString::number(id));
  action->setEnabled(enabled);
}

EditorWaitCursor::EditorWaitCursor() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::setOverrideCursor(Qt::WaitCursor);
}

EditorWaitCursor::~EditorWaitCursor() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::restoreOverrideCursor();
}
