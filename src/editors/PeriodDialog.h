#pragma once
// The validity periods of one trip: a grid of its periods and a panel to add a period, change
// its day type and kind, or delete it. It works inside the trip editor's transaction: its
// "Aggiorna Vista" and "Ripristina" commit or undo the trip editor's pending changes too.

#include "editing/PeriodRows.h"
#include "editors/RecordEditorDialog.h"

#include <vector>

class DbDatabase;

class PeriodDialog : public RecordEditorDialog<PeriodRows> {
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

  // True once "Aggiorna Vista" or "Ripristina" (or a transaction the engine ended) ended the
  // transaction it shares.
  using EditorDialog::TransactionEnded;

  // Commands of the buttons and of the grid's popup: a new period, a change of the current one's
  // day type and kind.
  void OnNew() override;
  void OnModify() override;

  // GridOwner.
  std::unique_ptr<QMenu> PopupMenu(GridWindow*) override;

 protected:
  void OnOK() override;
  void OnCancel() override;
  void LoadRows() override;
  QRect Placement() const override;

 private:
  friend struct DateField;
  void ClearFields();
  void ShowSelected() override;
  void SetKind(bool excluded);
  void SetFieldsEnabled(bool dates, bool rest);

  QWidget* tripDialog_;
  bool excluded_ = false;
  std::vector<DbText> cadences_;  // of the list's entries, as stored
};
