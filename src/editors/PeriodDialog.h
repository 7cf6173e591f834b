#pragma once
// The validity periods of one trip: a grid of its periods and a panel to add a period, change
// its day type and kind, or delete it. It works inside the trip editor's transaction: its
// "Aggiorna Vista" and "Ripristina" commit or undo the trip editor's pending changes too.

#include "editing/PeriodRows.h"
#include "editors/EditorDialog.h"

class DbDatabase;
class ListGrid;

class PeriodDialog : public EditorDialog {
 public:
  // `tripDialog` is the trip editor, over which the period editor stands.
  PeriodDialog(QWidget* tripDialog, DbDatabase* db, EditorTransaction* transaction, std::int32_t tripId, int idd);

  // Control ids.
  enum : int {
    kStart = 1091,
    kEnd = 1095,
    kCadence = 1098,
    kRunning = 1100,
    kExcluded = 1101,
    kFinish = 1102,
    kNew = 1103,
    kModify = 1104,
    kDelete = 1105,
    kRefresh = 1106,
    kRestore = 1107,
    kGridId = 6007,
  };

  PeriodRows& Rows() { return rows_; }
  ListGrid* GridWindowOf() const { return grid_; }
  PeriodRecord* Current() const { return current_; }
  // True once "Aggiorna Vista" or "Ripristina" ended the transaction it shares.
  bool TransactionEnded() const { return transactionEnded_; }

  void OnNew();
  void OnModify();
  void OnDelete();

  // GridOwner.
  void SelectionMoved(GridWindow*) override;
  void GridActivated(GridWindow*) override { OnModify(); }
  std::unique_ptr<QMenu> PopupMenu(GridWindow*) override;

 protected:
  void OnOK() override;
  void OnCancel() override;
  void LoadRows() override;
  QRect Placement() const override;

 private:
  void ClearFields();
  void ShowSelected();
  void SetKind(bool excluded);
  void SetFieldsEnabled(bool dates, bool rest);

  PeriodRows rows_;
  QWidget* tripDialog_;
  ListGrid* grid_ = nullptr;
  PeriodRecord* current_ = nullptr;
  int mode_ = 0;  // 0 a new period, 1 the current one changed
  bool excluded_ = false;
  bool transactionEnded_ = false;
};
