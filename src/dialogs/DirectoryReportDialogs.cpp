#include "dialogs/DirectoryReportDialogs.h"

#include <QVBoxLayout>

using namespace directory_dialog;

namespace {

// The title of a directory and its two option ids.
struct DirectoryOptions {
  const char* caption;
  int previewId, printId;
};

DirectoryOptions OptionsOf(DirectoryList list) {
  switch (list) {
    case DirectoryList::Stops: return {"Rubrica Fermate (normalizzate)", kStopPreview, kStopPrint};
    case DirectoryList::StopLocalities: return {"Rubrica Fermate (Località)", kStopPreview, kStopPrint};
    case DirectoryList::Routes: return {"Rubrica Percorsi (normalizzati)", kListPreview, kListPrint};
    case DirectoryList::Lines: return {"Rubrica Linee (normalizzate)", kListPreview, kListPrint};
    case DirectoryList::Termini: return {"Rubrica Capolinea", kListPreview, kListPrint};
    case DirectoryList::TripChains: return {"Rubrica Concatenazioni Corse", kListPreview, kListPrint};
  }
  return {"", kListPreview, kListPrint};
}

}  // namespace

DirectoryOutputDialog::DirectoryOutputDialog(QWidget* parent, int idd, DirectoryList list)
    : ReportOptionsDialog(parent, idd, OptionsOf(list).caption) {
  const DirectoryOptions options = OptionsOf(list);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(AddRadioGroup(
      "Output", {{options.previewId, "Anteprima di stampa", &preview}, {options.printId, "Stampa", &print}}));
  layout->addWidget(MakeOkCancel());
}

PrimaryStopAnalysisDialog::PrimaryStopAnalysisDialog(QWidget* parent, int idd)
    : ReportOptionsDialog(parent, idd, "Analisi Fermate Primarie") {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(AddRadioGroup("Output", {{kStopPreview, "Anteprima di stampa", &preview},
                                             {kStopPrint, "Stampa", &print},
                                             {kTextReport, "Report Txt", &textReport}}));
  layout->addWidget(MakeOkCancel());
}
