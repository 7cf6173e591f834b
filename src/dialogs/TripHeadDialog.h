#pragma once
// The head of a trip: its code, the trips before and after it, line, direction and route, the
// granting authority and the contract, lengths and durations, the note and the transport mode.
// The button "Cadenze/Periodi" opens the trip's periods through the creator.

#include "editing/TripStore.h"
#include "platform/Dialog.h"

#include <functional>

class DbDatabase;

class TripHeadDialog : public ui::Dialog {
 public:
  // `openPeriods` is called by "Cadenze/Periodi", which is disabled when `periodsEnabled` is false.
  TripHeadDialog(QWidget* parent, DbDatabase* db, const TripHead& initial, bool periodsEnabled,
                 std::function<void()> openPeriods, int idd);

  // The initial values on entry; after IDOK what was confirmed.
  TripHead head;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  friend struct NumberEntry;

  // Checks the radio button of the mode and clears the others.
  void ShowMode();

  DbDatabase* db_;
  bool periodsEnabled_;
  std::function<void()> openPeriods_;
  char mode_ = ' ';  // the mode chosen while the dialog is open
};

// Control ids of the dialog.
namespace trip_head {
constexpr int kTripCode = 1067;
constexpr int kLine = 1068;
constexpr int kAuthority = 1069;
constexpr int kContract = 1070;
constexpr int kLength = 1071;
constexpr int kDuration = 1072;
constexpr int kContractLength = 1073;
constexpr int kContractDuration = 1074;
constexpr int kPeriods = 1075;
constexpr int kNote = 1076;
constexpr int kRoute = 1126;
constexpr int kDirection = 1134;
constexpr int kUrbanBus = 1186;  // to 1191, the ferry: one per letter of kModes
constexpr int kPreviousTrip = 1192;
constexpr int kNextTrip = 1193;
// The mode letters of the radio buttons from kUrbanBus on.
constexpr char kModes[] = "UXWFTN";
}  // namespace trip_head
