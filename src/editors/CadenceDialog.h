#pragma once
// The day-type editor: the day types ("cadenze") in a grid, and a panel to add one, rename one or
// delete one, inside the editor's transaction.

#include "editing/CadenceRows.h"
#include "editors/EditorDialog.h"

class DbDatabase;
class ListGrid;

class CadenceDialog : public EditorDialog {
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

  CadenceRows& Rows() { return rows_; }
  ListGrid* GridWindowOf() const { return grid_; }
  // The row shown in the panel, or null.
  CadenceEntry* Current() const { return current_; }

  // Commands of the buttons and of the grid's popup.
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

 private:
  // Empties the two fields and forgets the current row.
  void ClearFields();
  // Shows the selected row in the panel (browsing).
  void ShowSelected();

  CadenceRows rows_;
  ListGrid* grid_ = nullptr;
  CadenceEntry* current_ = nullptr;
  int mode_ = 0;  // 0 a new day type, 1 a new name for the current one
};
