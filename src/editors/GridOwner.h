#pragma once
// What a grid needs of the dialog that owns it: the grid calls its owner only through this, so
// that the grid knows no dialog and every editor dialog can own grids.

#include <QMenu>
#include <memory>

class GridWindow;

class GridOwner {
 public:
  virtual ~GridOwner() = default;
  // True while the owner's edit panel is open.
  bool IsEditing() const { return editing_; }
  // The selection has moved to another row or cell (or the rows were reloaded).
  virtual void SelectionMoved(GridWindow* grid) = 0;
  // A command chosen in the grid's popup menu.
  virtual void GridCommand(int id) = 0;
  // A double click (or Enter) on a row, after it was selected.
  virtual void GridActivated(GridWindow* /*grid*/) {}
  // Called after each command a grid passes on (a popup command, a double click, Enter).
  virtual void CommandEnded() {}
  // The grid's popup menu as it would open now; each action carries its command id as data.
  virtual std::unique_ptr<QMenu> PopupMenu(GridWindow* grid) = 0;

 protected:
  // The owner opened or closed its edit panel.
  void SetEditingState(bool editing) { editing_ = editing; }

 private:
  bool editing_ = false;
};
