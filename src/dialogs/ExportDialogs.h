#pragma once
// The options of the three exports of the regional exchange files: the choice of the granting
// authority (every one, or one from the list), the date range of the period export, and the
// first id of the renumbered export. The creator reads the members after IDOK.

#include "platform/Dialog.h"

#include <string>

class DbDatabase;

// Control ids of the export dialogs.
namespace export_dialog {
constexpr int kAnyAuthority = 1123;
constexpr int kAuthority = 1124;
constexpr int kRangeStart = 1209;
constexpr int kRangeEnd = 1210;
constexpr int kFirstId = 1211;
}  // namespace export_dialog

// "Esportazione Dati Orari Corse": "Qualsiasi Ente" and the authority list.
class TimetableExportDialog : public ui::Dialog {
 public:
  TimetableExportDialog(QWidget* parent, DbDatabase* db, int idd);

  // 1: every authority; else the trips of `authority`.
  bool anyAuthority = true;
  int authority = 0;

 protected:
  TimetableExportDialog(QWidget* parent, DbDatabase* db, int idd, const std::string& caption);
  bool OnInitDialog() override;
  void OnOK() override;
  // The authority by the code-from-list rule (whatever the check box says); false after its
  // stop message.
  bool ReadAuthority(int& code);
  // The rows of the dialog's grid used so far.
  int rows_ = 0;
  class QGridLayout* grid_ = nullptr;

 private:
  DbDatabase* db_;
};

// "Esportazione Dati Orari Corse (Periodo)": the authority as above and the range "Data Inizio"
// / "Data Fine", which must lie inside the given earliest and latest dates (the reporting period).
class PeriodTimetableExportDialog : public TimetableExportDialog {
 public:
  PeriodTimetableExportDialog(QWidget* parent, DbDatabase* db, std::string periodStart, std::string periodEnd, int idd);

  // Initial texts on entry; after IDOK the range in normal form "GG/MM/AAAA".
  std::string rangeStart;
  std::string rangeEnd;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  friend struct DateField;
  std::string earliest_, latest_;
};

// "Esportazione Orari (Rinumerazione)": "Valore ID iniziale".
class RenumberedExportDialog : public ui::Dialog {
 public:
  RenumberedExportDialog(QWidget* parent, int idd);

  long firstId = 0;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  friend struct NumberEntry;
};
