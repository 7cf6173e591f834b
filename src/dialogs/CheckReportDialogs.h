#pragma once
// The options of the contract check and of the days-of-operation check: whether the report is
// previewed or printed, trips and totals or totals only, every trip or a range of trip ids.

#include "dialogs/ReportOptionsDialog.h"

// Control ids.
namespace check_dialog {
constexpr int kContractPreview = 1110;
constexpr int kContractPrint = 1111;
constexpr int kTripsAndTotals = 1206;
constexpr int kTotalsOnly = 1207;
constexpr int kAllTrips = 1150;
constexpr int kFromId = 1151;
constexpr int kToId = 1152;
constexpr int kDaysPreview = 1153;
constexpr int kDaysPrint = 1154;
}  // namespace check_dialog

// "Verifica Contratti": "Anteprima di stampa" / "Stampa", "Stampa Corse+Totali" / "Stampa Solo Totali".
class ContractCheckDialog : public ReportOptionsDialog {
 public:
  ContractCheckDialog(QWidget* parent, int idd);

  int preview = 1, print = 0;
  int tripsAndTotals = 1, totalsOnly = 0;
};

// "Verifica Giorni Effettuazione Corse": "Stampo tutte le corse" or the ids "Da ID corsa" /
// "A ID corsa", "Anteprima di stampa" / "Stampa".
class OperatingDaysCheckDialog : public ReportOptionsDialog {
 public:
  OperatingDaysCheckDialog(QWidget* parent, int idd);

  int allTrips = 1;
  // After IDOK with allTrips 0: the two ids (an empty field reads 0).
  long fromId = 0, toId = 0;
  int preview = 1, print = 0;

 protected:
  // Without every trip, each id is a whole number of digits only; anything else is refused,
  // naming its field.
  void OnOK() override;
  friend struct NumberEntry;
};
