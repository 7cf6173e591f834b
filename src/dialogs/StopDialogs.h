#pragma once
// The stop of a quadro: "Definizione Fermata" edits the code, name, location, progressive
// distance and the three flags of a stop row (StopEditDialog), or defines a new stop to insert,
// with where it goes and, when the creator asks for it, its time (StopDefinitionDialog).

#include "common/EditorLists.h"
#include "platform/Dialog.h"

// Control ids of both dialogs.
namespace stop_dialog {
constexpr int kCode = 1060;
constexpr int kName = 1061;
constexpr int kLocation = 1062;
constexpr int kPrimary = 1063;
constexpr int kOptional = 1064;
constexpr int kNoStop = 1065;
constexpr int kDistance = 1066;
constexpr int kFinish = 1108;  // "Fine": StopDefinitionDialog ends with this result
constexpr int kTime = 1109;
constexpr int kAtHead = 1131;
constexpr int kBelowCurrent = 1132;
constexpr int kAtTail = 1133;
}  // namespace stop_dialog

struct StopForm;  // the fields both dialogs share

class StopEditDialog : public ui::Dialog {
 public:
  StopEditDialog(QWidget* parent, const TripStopValues& initial, int idd);

  // The initial values on entry; after IDOK what was confirmed (code, name, location, distance
  // and the three flags; the other fields are kept as given).
  TripStopValues stop;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  friend struct StopForm;
  friend struct NumberEntry;
};

class StopDefinitionDialog : public ui::Dialog {
 public:
  enum Insertion { kHead = 0, kBelow = 1, kTail = 2 };

  StopDefinitionDialog(QWidget* parent, int idd);

  // Set by the creator before DoModal. `timeEntry` 1: the new stop needs its time, and it can
  // only go to the tail. `noCurrentStop` 1 (without `timeEntry`): it cannot go below a current
  // stop, only to the head or the tail.
  int timeEntry = 0;
  int noCurrentStop = 0;

  // After IDOK: the new stop, its time as HHMM (-1 when no time was asked) and where it goes.
  TripStopValues stop;
  int time = -1;
  Insertion insertion = kBelow;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  friend struct StopForm;
  friend struct NumberEntry;
  // Sets every option button from the members.
  void ShowOptions();
};
