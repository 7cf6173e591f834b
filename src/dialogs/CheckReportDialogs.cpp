#include "dialogs/CheckReportDialogs.h"

#include "dialogs/EntryRules.h"

#include <QVBoxLayout>

using namespace check_dialog;

namespace {
// Trip ids are 32-bit numbers of the database: nine digits always fit.
constexpr int kIdDigits = 9;
}  // namespace

ContractCheckDialog::ContractCheckDialog(QWidget* parent, int idd)
    : ReportOptionsDialog(parent, idd, "Verifica Contratti") {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(AddRadioGroup(
      "Output", {{kContractPreview, "Anteprima di stampa", &preview}, {kContractPrint, "Stampa", &print}}));
  layout->addWidget(AddRadioGroup("Dettaglio", {{kTripsAndTotals, "Stampa Corse+Totali", &tripsAndTotals},
                                                {kTotalsOnly, "Stampa Solo Totali", &totalsOnly}}));
  layout->addWidget(MakeOkCancel());
}

OperatingDaysCheckDialog::OperatingDaysCheckDialog(QWidget* parent, int idd)
    : ReportOptionsDialog(parent, idd, "Verifica Giorni Effettuazione Corse") {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(AddRangeBox({kAllTrips, "Stampo tutte le corse", &allTrips},
                                {{kFromId, "Da ID corsa"}, {kToId, "A ID corsa"}}, kIdDigits));
  layout->addWidget(
      AddRadioGroup("Output", {{kDaysPreview, "Anteprima di stampa", &preview}, {kDaysPrint, "Stampa", &print}}));
  layout->addWidget(MakeOkCancel());
}

void OperatingDaysCheckDialog::OnOK() {
  long from = 0, to = 0;
  if (allTrips != 1 && (!NumberEntry::Read(*this, kFromId, "Da ID corsa", kIdDigits, from) ||
                        !NumberEntry::Read(*this, kToId, "A ID corsa", kIdDigits, to)))
    return;
  fromId = from;
  toId = to;
  EndDialog(ui::IDOK);
}
