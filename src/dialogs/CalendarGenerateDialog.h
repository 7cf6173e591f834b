#pragma once
// The choices of the automatic generation of the calendar: the day type (cadence), the period,
// the days of the week it concerns, and whether its days are added or deleted. The creator
// runs the generation after IDOK.

#include "db/DbSelect.h"
#include "platform/Dialog.h"

#include <string>
#include <vector>

class DbDatabase;

class CalendarGenerateDialog : public ui::Dialog {
 public:
  // The dates are "GG/MM/AAAA" texts shown as given.
  CalendarGenerateDialog(QWidget* parent, DbDatabase* db, std::string startText, std::string endText, int idd);

  // After IDOK: the day type code (the entry chosen as stored), the period in normal form.
  DbText cadence;
  std::string startText, endText;
  // Monday to Sunday, 1 for a chosen day.
  int weekdays[7] = {};
  // 0 adds the days, 1 deletes them.
  int operation = 0;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  friend struct DateField;
  DbDatabase* db_;
  std::vector<DbText> cadences_;  // of the list's entries
};

// Control ids of the dialog.
namespace calendar_generate {
constexpr int kAdd = 1016;
constexpr int kDelete = 1017;
constexpr int kCadence = 1020;
constexpr int kStart = 1029;
constexpr int kEnd = 1030;
constexpr int kMonday = 1031;  // to 1037, Sunday
}  // namespace calendar_generate
