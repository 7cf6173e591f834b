#include "dialogs/DirectoryReportDialogs.h"

#include <QVBoxLayout>

using namespace directory_dialog;

DirectoryOutputDialog::DirectoryOutputDialog(QWidget* parent, int idd, const char* caption, int previewId, int printId)
    : ReportOptionsDialog(parent, idd, caption) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      AddRadioGroup("Output", {{previewId, "Anteprima di stampa", &preview}, {printId, "Stampa", &print}}));
  layout->addWidget(MakeOkCancel());
}

StopListDialog::StopListDialog(QWidget* parent, int idd)
    : DirectoryOutputDialog(parent, idd, "Rubrica Fermate (normalizzate)", kStopPreview, kStopPrint) {}

StopLocalityListDialog::StopLocalityListDialog(QWidget* parent, int idd)
    : DirectoryOutputDialog(parent, idd, "Rubrica Fermate (Località)", kStopPreview, kStopPrint) {}

RouteListDialog::RouteListDialog(QWidget* parent, int idd)
    : DirectoryOutputDialog(parent, idd, "Rubrica Percorsi (normalizzati)", kListPreview, kListPrint) {}

LineListDialog::LineListDialog(QWidget* parent, int idd)
    : DirectoryOutputDialog(parent, idd, "Rubrica Linee (normalizzate)", kListPreview, kListPrint) {}

TerminusListDialog::TerminusListDialog(QWidget* parent, int idd)
    : DirectoryOutputDialog(parent, idd, "Rubrica Capolinea", kListPreview, kListPrint) {}

TripChainListDialog::TripChainListDialog(QWidget* parent, int idd)
    : DirectoryOutputDialog(parent, idd, "Rubrica Concatenazioni Corse", kListPreview, kListPrint) {}

PrimaryStopAnalysisDialog::PrimaryStopAnalysisDialog(QWidget* parent, int idd)
    : ReportOptionsDialog(parent, idd, "Analisi Fermate Primarie") {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(AddRadioGroup("Output", {{kStopPreview, "Anteprima di stampa", &preview},
                                             {kStopPrint, "Stampa", &print},
                                             {kTextReport, "Report Txt", &textReport}}));
  layout->addWidget(MakeOkCancel());
}
