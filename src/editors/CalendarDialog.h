#pragma once
// The service-calendar editor: every date of the reporting period with its day types, and a panel
// to add a day type to the selected date, delete one, delete all of a date, write the note of a
// date, and generate or delete a day type over a range of dates, inside the editor's transaction.

#include "editing/CalendarRows.h"
#include "editors/EditorDialog.h"

#include <vector>

class CalendarGrid;
class DbDatabase;
class WorkProgress;

class CalendarDialog : public EditorDialog {
 public:
  CalendarDialog(QWidget* area, DbDatabase* db, EditorTransaction* transaction, WorkProgress* progress, int idd);

  // Control ids.
  enum : int {
    kDate = 1019,
    kCadence = 1020,
    kNote = 1028,
    kWeekday = 1026,
    kFinish = 1021,
    kNewEntry = 1016,
    kDeleteEntry = 1017,
    kEditNote = 1125,
    kGenerate = 1027,
    kRefresh = 1018,
    kRestore = 1039,
    kClearDay = 5117,
    kGenerateDialog = 119,
  };

  CalendarRows& Rows() { return rows_; }
  CalendarGrid* GridWindowOf() const { return grid_; }
  // The day type shown in the panel, or null.
  NoteText* CurrentEntry() const { return currentEntry_; }

  // Commands of the buttons and of the grid's popup.
  void NewEntry();
  void EditNote();
  void DeleteEntry();
  void ClearDay();
  void Generate();

  // GridOwner.
  void SelectionMoved(GridWindow*) override;
  void GridCommand(int id) override;
  std::unique_ptr<QMenu> PopupMenu(GridWindow*) override;

 protected:
  void OnOK() override;
  void OnCancel() override;
  void LoadRows() override;
  EditorFault LoadFault() const override { return rows_.Fault(); }

 private:
  // Empties the combo box and forgets the entry; with `all` also the date, weekday and note.
  void ClearPanel(bool all);
  // Shows the selected cell: its date, and its day type when the cell holds one.
  void ShowSelected();
  // The date of the panel's date field, or an invalid date when the field holds none.
  QDate PanelDate() const;
  void SetFieldsEnabled(bool date, bool cadence, bool note);

  DbDatabase* db_;
  WorkProgress* progress_;
  CalendarRows rows_;
  CalendarGrid* grid_ = nullptr;
  NoteText* currentEntry_ = nullptr;
  std::vector<DbText> cadences_;  // of the list's entries, as stored
  int editMode_ = 0;              // 0 a new day type on the date, 1 the note of the date
};
