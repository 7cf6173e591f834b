#pragma once
// The trip editor: the list of every trip (list mode), from which trips are added and deleted,
// their validity periods edited and their quadro opened (quadro mode), all inside the editor's
// one transaction. Esc and the window's close button never end it: only "Fine" in list mode does.

#include "editors/EditorDialog.h"
#include "editors/model/TripRows.h"
#include "editors/model/TripStore.h"

class DbDatabase;
class QGroupBox;
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
    kSelectedBox = 1055,
    kTimeBox = 1046,
    kHeadDialog = 122,
    kPeriodDialog = 126,
  };
  enum class Mode { List, Quadro };

  TripRows& Rows() { return rows_; }
  TripListGrid* ListGrid() const { return grid_; }
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

  // GridOwner.
  void SelectionMoved(GridWindow*) override;
  void GridCommand(int id) override;
  void GridActivated(GridWindow*) override { ShowQuadro(); }
  std::unique_ptr<QMenu> PopupMenu(GridWindow*) override;

 protected:
  void OnOK() override {}
  void OnCancel() override;
  void LoadRows() override;
  void OnScriptEnd() override;
  void OnScriptCancel() override { OnScriptEnd(); }
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowCurrentTrip(TripLeg* trip);
  void ClearCurrentTrip();
  void SetLabel(int id, const std::string& text);

  DbDatabase* db_;
  TripStore store_;
  TripRows rows_;
  TripListGrid* grid_ = nullptr;
  QGroupBox* selectedBox_ = nullptr;
  QGroupBox* timeBox_ = nullptr;
  Mode mode_ = Mode::List;
  TripLeg* currentTrip_ = nullptr;
  std::int32_t quadroTripId_ = -1;  // the trip whose quadro is open
};
