#pragma once
// An editor: a modal window laid over the main window's client area, with its grid on top, its
// edit panel below the grid and one row of command buttons along the bottom ("Fine" first). It
// works inside the editor's one transaction: every change reaches the database at once,
// "Aggiorna Vista" commits and reloads, "Ripristina" rolls back and reloads, and the opener
// commits when the editor closes, however it closes.
//
// Two states: browsing (the panel shows the selected row, its fields and Conferma/Annulla are
// disabled, the command buttons enabled) and editing (the panel open for a new row or a change,
// the command buttons and "Fine" disabled). "Annulla" and Esc close the panel only; "Fine" and the
// window's close button end the editor.

#include "editing/EditorFaults.h"
#include "editors/GridWindow.h"
#include "platform/Dialog.h"

#include <QPushButton>
#include <string>
#include <vector>

class EditorTransaction;
class QCloseEvent;

// Told when the engine ended an editor's transaction by itself (EditorDialog::CommandEnded).
extern const char* const kEditorChangesLostText;
class QGridLayout;
class QLabel;
class QMenu;
class QResizeEvent;

class EditorDialog : public ui::Dialog, public GridOwner {
 public:
  // `area` is the main window's client area, which the editor covers.
  EditorDialog(QWidget* area, int idd, const std::string& caption, EditorTransaction* transaction);

  // A popup command of the grid: that of the command button with the same id, as if clicked.
  void GridCommand(int id) override;

  // A script chooses a command of the grid's popup menu as the user would: refused while the
  // panel is open (the grid takes no right click then) and when the menu shows it disabled.
  bool RunMenuCommand(int id, std::string& why) override;

  // The command buttons: "Fine" and the editor's own, in the order they stand.
  QPushButton* CommandButton(int id) const;

  static constexpr int kConferma = 1;
  static constexpr int kAnnulla = 2;

 protected:
  // Adds "Fine", the first button of the bottom row.
  QPushButton* AddFinishButton(int id);
  // Adds a command button to the bottom row, `gap` pixels right of the previous one; the caller
  // connects it. With `keepWhileEditing` it stays enabled while the panel is open.
  QPushButton* AddCommandButton(int id, const std::string& label, int gap, bool keepWhileEditing = false);
  // Makes the panel's Conferma (1) and Annulla (2) buttons.
  QPushButton* MakePanelButton(int id, const std::string& label);
  // The panel's framed box of fields, titled and named by its id, filling the panel; its fields
  // are laid out in the grid returned.
  QGridLayout* MakePanelBox(int id, const QString& title);
  // A label of the panel's box, named by its id (`text` in the program's encoding).
  QLabel* MakePanelLabel(QGridLayout* fields, int id, const std::string& text);
  // Conferma and Annulla in the second row of the box, at `column` and the next; the columns after
  // them take the spare width.
  void AddPanelButtons(QGridLayout* fields, int column);
  // The widget holding the edit panel: the subclass fills it with a layout of its controls.
  QWidget* Panel() const { return panel_; }
  // Sets the grid laid out on top (the editor owns it as a child); an editor with two grids
  // switches between them.
  void SetGrid(GridWindow* grid) {
    grid_ = grid;
    LayOut();
  }
  GridWindow* Grid() const { return grid_; }
  EditorTransaction* Transaction() const { return transaction_; }

  // Opens or closes the edit panel: Conferma/Annulla, the command buttons and the grid's scroll
  // bars follow; the panel's fields are the subclass's to enable.
  void SetEditing(bool editing);

  // "Aggiorna Vista": commits, begins the next transaction and reloads.
  void RefreshView();
  // "Ripristina": rolls back, begins the next transaction and reloads.
  void Restore();
  // True once this editor ended the transaction (RefreshView, Restore): an editor beneath it
  // that shares the transaction reloads.
  bool TransactionEnded() const { return transactionEnded_; }
  // After every command (a button, a grid's command): when the engine ended the transaction by
  // itself (a full disk, a failing file), says once that the changes not yet stored are lost and
  // puts the editor back on the database as it is, in a new transaction, as "Ripristina" does.
  void CommandEnded() override;
  // Reads the rows again from the database and shows them (the panel is closed first).
  void Reload();
  // Forgets the row shown in the panel and reads the rows again.
  virtual void LoadRows() = 0;
  // The stored value the last reading of the rows could not take as its column's kind, if any:
  // the editor then does not open (OnInitDialog), or ends after a reload, with the refusal.
  virtual EditorFault LoadFault() const { return {}; }
  // "Fine": ends the editor.
  void Finish();

  // Places the editor (Placement, inside the screen with its frame) and lays it out; measures the
  // grid. Refused (told, false) when the rows hold a value of another kind than its column's.
  bool OnInitDialog() override;
  // Where the editor stands, in global coordinates: the base covers the main window's client area.
  virtual QRect Placement() const;
  void OnScriptEnd() override { Finish(); }
  void OnScriptCancel() override { Finish(); }

  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The editor opens with the keyboard in its grid.
  void showEvent(QShowEvent* event) override;

  // Places the buttons, the panel and the grid in the editor.
  void LayOut();
  // The narrowest the editor can be with its panel and its row of command buttons whole.
  int LeastWidth() const;
  // Gives a command button another label, the row laid out again so that every label is whole.
  void SetCommandText(int id, const QString& text);

  // Adds a popup command to a grid's menu.
  static void AddMenuCommand(QMenu& menu, int id, const std::string& label, bool enabled = true);

 private:
  QWidget* area_;
  EditorTransaction* transaction_;
  QWidget* panel_;
  GridWindow* grid_ = nullptr;
  struct Command {
    QPushButton* button;
    int gap;
    bool keepWhileEditing;
  };
  std::vector<Command> commands_;
  bool transactionEnded_ = false;
};

// The wait cursor while a long step of an editor runs (loading its rows, a generation).
class EditorWaitCursor {
 public:
  EditorWaitCursor();
  ~EditorWaitCursor();
  EditorWaitCursor(const EditorWaitCursor&) = delete;
  EditorWaitCursor& operator=(const EditorWaitCursor&) = delete;
};
