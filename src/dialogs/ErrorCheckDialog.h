#pragma once
// "Verifica Errori": the eight optional checks of the data error check and the output (preview,
// print or text report).

#include "dialogs/ReportOptionsDialog.h"

// Control ids.
namespace error_check_dialog {
constexpr int kTripCode = 1203;
constexpr int kLineCode = 1118;
constexpr int kRouteCode = 1202;
constexpr int kTripName = 1119;
constexpr int kStopCode = 1120;
constexpr int kStopPlace = 1121;
constexpr int kDistances = 1122;
constexpr int kMode = 1185;
constexpr int kPreview = 1116;
constexpr int kPrint = 1117;
constexpr int kFile = 1201;
}  // namespace error_check_dialog

class ErrorCheckDialog : public ReportOptionsDialog {
 public:
  ErrorCheckDialog(QWidget* parent, int idd);

  // The checks, in the order of their boxes.
  int tripCode = 1, lineCode = 1, routeCode = 1, tripName = 0;
  int stopCode = 1, stopPlace = 0, distances = 1, mode = 1;
  // The output.
  int preview = 1, print = 0, file = 0;
};
