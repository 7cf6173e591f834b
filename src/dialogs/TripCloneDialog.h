#pragma once
// The timetable of the active trip of a quadro modelled on another trip's: the column of that
// trip and the departure time of the active one. The creator copies the running times after IDOK.

#include "platform/Dialog.h"

class TripCloneDialog : public ui::Dialog {
 public:
  // `columnCount` columns in the quadro; `activeColumn` is the trip that gets the timetable.
  TripCloneDialog(QWidget* parent, int columnCount, int activeColumn, int idd);

  // After IDOK: the column of the model trip and the departure as HHMM.
  int sourceColumn = 0;
  int departure = 0;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  int columnCount_;
  int activeColumn_;
};

// Control ids of the dialog.
namespace trip_clone {
constexpr int kOriginColumn = 1155;
constexpr int kDeparture = 1156;
}  // namespace trip_clone
