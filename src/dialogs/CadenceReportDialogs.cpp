#include "dialogs/CadenceReportDialogs.h"

#include "dialogs/EntryRules.h"

#include <QVBoxLayout>

using namespace report_dialog;

CadenceListDialog::CadenceListDialog(QWidget* parent, int idd) : ReportOptionsDialog(parent, idd, "Rubrica Cadenze") {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      AddRadioGroup("Ordinamento", {{kByCode, "Per codice", &byCode}, {kByName, "Per denominazione", &byName}}));
  layout->addWidget(
      AddRadioGroup("Output", {{kCadencePreview, "Anteprima di stampa", &preview}, {kCadencePrint, "Stampa", &print}}));
  layout->addWidget(MakeOkCancel());
}

CalendarListDialog::CalendarListDialog(QWidget* parent, int idd)
    : ReportOptionsDialog(parent, idd, "Rubrica Calendario") {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(AddRangeBox({kWholeCalendar, "Stampa calendario completo", &wholeCalendar},
                                {{kFromDate, "Dalla data"}, {kToDate, "Alla data"}}, DateField::kLength));
  for (int id : {kFromDate, kToDate}) DateField::Typing(Edit(id));
  layout->addWidget(AddRadioGroup(
      "Output", {{kCalendarPreview, "Anteprima di stampa", &preview}, {kCalendarPrint, "Stampa", &print}}));
  layout->addWidget(MakeOkCancel());
}

void CalendarListDialog::OnOK() {
  if (wholeCalendar != 1) {
    std::string from, to;
    if (!DateField::ReadPeriod(*this, kFromDate, kToDate, "", from, to)) return;
    fromDate = from;
    toDate = to;
  } else {
    fromDate.clear();
    toDate.clear();
  }
  EndDialog(ui::IDOK);
}
