#pragma once
// The options of the day-type and calendar directories: the order of the day types, the dates of
// the calendar, and whether the report is previewed or printed.

#include "dialogs/ReportOptionsDialog.h"

#include <string>

// Control ids.
namespace report_dialog {
constexpr int kByCode = 1077;
constexpr int kByName = 1078;
constexpr int kCadencePreview = 1079;
constexpr int kCadencePrint = 1080;
constexpr int kWholeCalendar = 1081;
constexpr int kFromDate = 1082;
constexpr int kToDate = 1083;
constexpr int kCalendarPreview = 1084;
constexpr int kCalendarPrint = 1086;
}  // namespace report_dialog

// "Rubrica Cadenze": "Per codice" / "Per denominazione", "Anteprima di stampa" / "Stampa".
class CadenceListDialog : public ReportOptionsDialog {
 public:
  CadenceListDialog(QWidget* parent, int idd);

  int byCode = 1, byName = 0;
  int preview = 1, print = 0;
};

// "Rubrica Calendario": "Stampa calendario completo" or the dates "Dalla data" / "Alla data",
// "Anteprima di stampa" / "Stampa".
class CalendarListDialog : public ReportOptionsDialog {
 public:
  CalendarListDialog(QWidget* parent, int idd);

  int wholeCalendar = 1;
  // After IDOK with wholeCalendar 0: the two dates in normal form "GG/MM/AAAA".
  std::string fromDate, toDate;
  int preview = 1, print = 0;

 protected:
  void OnOK() override;

 private:
  friend struct DateField;
};
