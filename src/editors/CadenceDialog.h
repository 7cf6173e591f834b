#pragma once
// The day-type editor: the day types ("cadenze") in a grid, and a panel to add one, rename one or
// delete one, inside the editor's transaction.

#include "editing/CadenceRows.h"
#include "editors/RecordEditorDialog.h"

class DbDatabase;

class CadenceDialog : public RecordEditorDialog<CadenceRows> {
 public:
  CadenceDialog(QWidget* area, DbDatabase* db, EditorTransaction* transaction, int idd);

  // Control ids.
  enum : int {
    kCode = 1010,
    kName = 1011,
    kFinish = 1012,
    kNew = 1006,
    kModify = 1009,
    kDelete = 1007,
    kRefresh = 1008,
    kRestore = 1038,
    kGridId = 6003,
  };

  // Commands of the buttons and of the grid's popup: a new day type, a new name for the current one.
  void OnNew() override;
  void OnModify() override;

  // GridOwner.
  std::unique_ptr<QMenu> PopupMenu(GridWindow*) override;

 protected:
  void OnOK() override;
  void OnCancel() override;
  void LoadRows() override;

 private:
  // Empties the two fields and forgets the current row.
  void ClearFields();
  void ShowSelected() override;
};
