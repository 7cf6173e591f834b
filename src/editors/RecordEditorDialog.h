#pragma once
// An editor of one list of records (the day types, a trip's validity periods): the records in a
// list grid, the selected one shown in the panel, and the commands on it: a new record, a change
// of the one shown, its deletion (marked until the transaction ends). A selection moved while
// the panel is open (only the wheel can move it then) ends the edit unwritten.

#include "editors/EditorDialog.h"
#include "editors/ListGrid.h"

#include <string>
#include <type_traits>
#include <utility>

class DbDatabase;

template <class RowsT>
class RecordEditorDialog : public EditorDialog {
 public:
  using Record = std::remove_pointer_t<decltype(std::declval<const RowsT&>().At(0))>;

  RowsT& Rows() { return rows_; }
  ListGrid* GridWindowOf() const { return grid_; }
  // The record shown in the panel, or null.
  Record* Current() const { return current_; }

  // Commands of the buttons and of the grid's popup.
  virtual void OnNew() = 0;
  virtual void OnModify() = 0;
  void OnDelete() {
    if (IsEditing() || !current_ || current_->deleted) return;
    if (rows_.Remove(current_)) grid_->Repaint();
  }

  // GridOwner.
  void SelectionMoved(GridWindow*) override {
    if (IsEditing()) OnCancel();
    ShowSelected();
  }
  void GridActivated(GridWindow*) override { OnModify(); }

 protected:
  RecordEditorDialog(QWidget* area, int idd, const std::string& caption, EditorTransaction* transaction, DbDatabase* db)
      : EditorDialog(area, idd, caption, transaction), rows_(db) {}

  // Shows the selected record in the panel (browsing).
  virtual void ShowSelected() = 0;
  EditorFault LoadFault() const override { return rows_.Fault(); }

  RowsT rows_;
  ListGrid* grid_ = nullptr;
  Record* current_ = nullptr;
  int mode_ = 0;  // 0 a new record, 1 the one shown changed
};
