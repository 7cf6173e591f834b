#include "dialogs/ExportDialogs.h"

#include "dialogs/EntryRules.h"
#include "dialogs/ListFillers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QVBoxLayout>

using namespace export_dialog;

namespace {

const char* const kAuthorityFault =
    "ATTENZIONE: Il Codice Ente Concedente non è valido.\n\n"
    "Occorre selezionare un Codice Regionale Ente presente nella lista.\n\n"
    "L'esportazione dei dati risulta impossibile.";

}  // namespace

// ---- Authority choice ------------------------------------------------------------------------

TimetableExportDialog::TimetableExportDialog(QWidget* parent, DbDatabase* db, int idd)
    : TimetableExportDialog(parent, db, idd, "Esportazione Dati Orari Corse") {}

TimetableExportDialog::TimetableExportDialog(QWidget* parent, DbDatabase* db, int idd, const std::string& caption)
    : ui::Dialog(parent, idd, caption), db_(db) {
  grid_ = new QGridLayout;
  QCheckBox* any = MakeCheck(kAnyAuthority, "Qualsiasi Ente");
  QComboBox* list = MakeCombo(kAuthority, true);
  list->setMinimumContentsLength(36);
  grid_->addWidget(any, rows_++, 0, 1, 2);
  grid_->addWidget(MakeLabel("Ente"), rows_, 0);
  grid_->addWidget(list, rows_++, 1);
  // The check box covers the list: checked, the list is disabled (its text stays).
  connect(any, &QCheckBox::toggled, this, [this](bool checked) {
    anyAuthority = checked;
    Combo(kAuthority)->setEnabled(!checked);
  });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid_);
  layout->addWidget(MakeOkCancel());
}

bool TimetableExportDialog::OnInitDialog() {
  QComboBox* list = Combo(kAuthority);
  list->clear();
  FillAuthorityCombo(list, db_);
  SelectCodeInCombo(list, authority);
  static_cast<QCheckBox*>(Button(kAnyAuthority))->setChecked(anyAuthority);
  list->setEnabled(!anyAuthority);
  return true;
}

bool TimetableExportDialog::ReadAuthority(int& code) {
  std::string text;
  if (!ReadControlText(kAuthority, text)) return false;
  if (!CodeFromCombo(Combo(kAuthority), text, code)) {
    Refuse(CodeNotValid(text, kAuthorityFault), kAuthority);
    return false;
  }
  return true;
}

void TimetableExportDialog::OnOK() {
  int code = 0;
  if (!ReadAuthority(code)) return;
  authority = code;
  EndDialog(ui::IDOK);
}

// ---- Date range ------------------------------------------------------------------------------

PeriodTimetableExportDialog::PeriodTimetableExportDialog(QWidget* parent, DbDatabase* db, std::string periodStart,
                                                         std::string periodEnd, int idd)
    : TimetableExportDialog(parent, db, idd, "Esportazione Dati Orari Corse (Periodo)"),
      rangeStart(periodStart),
      rangeEnd(periodEnd),
      earliest_(std::move(periodStart)),
      latest_(std::move(periodEnd)) {
  grid_->addWidget(MakeLabel("Data Inizio"), rows_, 0);
  grid_->addWidget(DateField::Typing(MakeEdit(kRangeStart, DateField::kLength)), rows_++, 1);
  grid_->addWidget(MakeLabel("Data Fine"), rows_, 0);
  grid_->addWidget(DateField::Typing(MakeEdit(kRangeEnd, DateField::kLength)), rows_++, 1);
}

bool PeriodTimetableExportDialog::OnInitDialog() {
  TimetableExportDialog::OnInitDialog();
  SetControlText(kRangeStart, rangeStart);
  SetControlText(kRangeEnd, rangeEnd);
  return true;
}

void PeriodTimetableExportDialog::OnOK() {
  int code = 0;
  if (!ReadAuthority(code)) return;
  std::string start, end, bound;
  if (!DateField::Read(*this, kRangeStart, kStartDateField, "", start)) return;
  // The bounds are the reporting period; one that is no date bounds nothing.
  if (ParseEntryDate(earliest_, bound) && CompareEntryDates(start, bound) < 0) {
    Refuse("ATTENZIONE: la data di inizio periodo è inferiore alla data minima.", kRangeStart);
    return;
  }
  if (!DateField::Read(*this, kRangeEnd, kEndDateField, "", end)) return;
  if (ParseEntryDate(latest_, bound) && CompareEntryDates(end, bound) > 0) {
    Refuse("ATTENZIONE: la data di fine periodo supera la data massima.", kRangeEnd);
    return;
  }
  if (CompareEntryDates(start, end) > 0) {
    Refuse(kStartAfterEnd, kRangeEnd);
    return;
  }
  authority = code;
  rangeStart = start;
  rangeEnd = end;
  EndDialog(ui::IDOK);
}

// ---- First id ------------------------------------------------------------------------------

RenumberedExportDialog::RenumberedExportDialog(QWidget* parent, int idd)
    : ui::Dialog(parent, idd, "Esportazione Orari (Rinumerazione)") {
  auto* grid = new QGridLayout;
  grid->addWidget(MakeLabel("Valore ID iniziale"), 0, 0);
  grid->addWidget(MakeEdit(kFirstId, 6), 0, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(MakeOkCancel());
}

bool RenumberedExportDialog::OnInitDialog() {
  SetControlText(kFirstId, "0");
  return true;
}

void RenumberedExportDialog::OnOK() {
  long value = 0;
  if (!NumberEntry::Read(*this, kFirstId, 6, "ATTENZIONE: Il valore ID iniziale deve essere numerico !!!\n\n", value))
    return;
  firstId = value;
  EndDialog(ui::IDOK);
}
