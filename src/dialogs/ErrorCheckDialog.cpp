#include "dialogs/ErrorCheckDialog.h"

#include <QGroupBox>
#include <QVBoxLayout>

using namespace error_check_dialog;

ErrorCheckDialog::ErrorCheckDialog(QWidget* parent, int idd) : ReportOptionsDialog(parent, idd, "Verifica Errori") {
  auto* layout = new QVBoxLayout(this);
  auto* checks = new QGroupBox(QStringLiteral("Controlli facoltativi"), this);
  auto* boxes = new QVBoxLayout(checks);
  for (const Choice& c : std::vector<Choice>{{kTripCode, "Codice Corsa", &tripCode},
                                             {kLineCode, "Codice Linea", &lineCode},
                                             {kRouteCode, "Codice Percorso", &routeCode},
                                             {kTripName, "Descrizione Corsa", &tripName},
                                             {kStopCode, "Codice Fermata", &stopCode},
                                             {kStopPlace, "Ubicazione Fermata", &stopPlace},
                                             {kDistances, "Distanze Progressive", &distances},
                                             {kMode, "Tipo Mezzo Trasporto", &mode}})
    boxes->addWidget(AddPlainBox(c));
  layout->addWidget(checks);
  layout->addWidget(AddRadioGroup(
      "Output",
      {{kPreview, "Anteprima di stampa", &preview}, {kPrint, "Stampa", &print}, {kFile, "Report su file", &file}}));
  layout->addWidget(MakeOkCancel());
}
