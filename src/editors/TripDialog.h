#pragma once
// The trip editor: the list of every trip (list mode), from which trips are added and deleted,
// their validity periods edited and their quadro opened (quadro mode), all inside the editor's
// one transaction. Esc and the window's close button never end it: only "Fine" in list mode does.

#include "editing/QuadroTimetable.h"
#include "editing/TripRows.h"
#include "editing/TripStore.h"
#include "editors/EditorDialog.h"

class DbDatabase;
class QGroupBox;
class TimetableGrid;
class TripListGrid;

class TripDialog : public EditorDialog {
 public:
  TripDialog(QWidget* area, DbDatabase* db, EditorTransaction* transaction, int idd);

  // Control ids.
  enum : int {
    kFinish = 1043,
    kInsert = 1040,
    kDetails = 1059,
    kDelete = 1041,
    kRefresh = 1042,
    kRestore = 1047,
    kPeriods = 6101,
    kAssignLine = 6102,
    kAlignKm = 6103,
    kAssignContract = 6104,
    kCloneTimes = 6105,
    kMoveToNewQuadro = 6106,
    kArrival = 1045,
    kDeparture = 1049,
    kStopName = 1050,
    kSelectedBox = 1055,
    kTimeBox = 1046,
    // The dialogs it opens.
    kHeadDialog = 122,
    kPeriodDialog = 126,
    kStopEditDialog = 121,
    kStopDefinitionDialog = 127,
    kLineAssignDialog = 134,
    kLengthAssignDialog = 135,
    kContractAssignDialog = 136,
    kCloneDialog = 143,
  };
  enum class Mode { List, Quadro };

  TripRows& Rows() { return rows_; }
  TripListGrid* ListGrid() const { return grid_; }
  TimetableGrid* Timetable() const { return timetable_; }
  QuadroTimetable& Quadro() { return quadro_; }
  Mode CurrentMode() const { return mode_; }
  // The trip shown in the "Corsa Selezionata" box (list mode), or whose quadro is open.
  TripLeg* CurrentTrip() const { return currentTrip_; }

  // Commands.
  void OnInsert();
  void OnDelete();
  void OnDetails();
  void OnFine();
  void OpenPeriods();
  void SelectSortOrder(int sortOrder);
  void ShowQuadro();
  void ShowTripList();
  // Quadro mode: the transit time of the selected cell, the stop and head commands, and the
  // commands of the whole quadro.
  void BeginTimeEdit();
  // True when the stop's dialog ran (the panel is then to show the selection again).
  bool EditStopDetails();
  void InsertStop();
  void DeleteStop();
  void EditTripHead();
  void AssignLine();
  void AlignKm();
  void AssignContract();
  // True when the times were cloned or refused by the quadro (the panel is then to show the
  // selection again).
  bool CloneTimes();
  void MoveToNewQuadro();

  // GridOwner.
  void SelectionMoved(GridWindow*) override;
  void GridCommand(int id) override;
  void GridActivated(GridWindow* grid) override;
  std::unique_ptr<QMenu> PopupMenu(GridWindow*) override;

 protected:
  void OnOK() override;
  void OnCancel() override;
  void LoadRows() override;
  EditorFault LoadFault() const override;
  void OnScriptEnd() override;
  void OnScriptCancel() override { OnScriptEnd(); }
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowCurrentTrip(TripLeg* trip);
  void ClearCurrentTrip();
  void SetLabel(int id, const std::string& text);
  // The buttons named for the area pointed at in the quadro.
  void PointedAt(char area);
  // Shows the selected stop and cell of the quadro in the transit-time panel.
  void ShowQuadroSelection();
  // Ends a transit-time edit without writing.
  void EndTimeEdit();
  void DeleteTrip(std::int32_t id);
  std::unique_ptr<QMenu> QuadroMenu();
  TripHead QuadroHead();
  void ShowHeadsInList(const std::vector<std::int32_t>& ids);

  DbDatabase* db_;
  TripStore store_;
  TripRows rows_;
  TripListGrid* grid_ = nullptr;
  QuadroTimetable quadro_;
  TimetableGrid* timetable_ = nullptr;
  bool timeEditing_ = false;
  QGroupBox* selectedBox_ = nullptr;
  QGroupBox* timeBox_ = nullptr;
  Mode mode_ = Mode::List;
  TripLeg* currentTrip_ = nullptr;
  std::int32_t quadroTripId_ = -1;  // the trip whose quadro is open
};
