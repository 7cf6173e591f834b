#include "dialogs/TripCloneDialog.h"

#include "dialogs/EntryRules.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <string>

using namespace trip_clone;

TripCloneDialog::TripCloneDialog(QWidget* parent, int columnCount, int activeColumn, int idd)
    : ui::Dialog(parent, idd, "Clonazione Orario Corsa"), columnCount_(columnCount), activeColumn_(activeColumn) {
  auto* grid = new QGridLayout;
  grid->addWidget(MakeLabel("Colonna dell'orario di Origine"), 0, 0);
  grid->addWidget(MakeEdit(kOriginColumn, 0), 0, 1);
  grid->addWidget(MakeLabel("Orario di partenza"), 1, 0);
  grid->addWidget(MakeEdit(kDeparture, 0), 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeLabel("Alla corsa correntemente attiva verrà assegnato un orario di transito"));
  layout->addWidget(MakeLabel("modellato su quello della corsa che si trova nella colonna indicata."));
  layout->addLayout(grid);
  layout->addWidget(MakeOkCancel());
}

bool TripCloneDialog::OnInitDialog() {
  SetControlText(kOriginColumn, std::string());
  SetControlText(kDeparture, std::string());
  return true;
}

void TripCloneDialog::OnOK() {
  std::string text;
  if (!ReadControlText(kOriginColumn, text)) return;
  text.resize(text.find(' ') == std::string::npos ? text.size() : text.find(' '));
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
    Refuse(
        "ATTENZIONE La colonna di origine è espressa in modo illegale.\n\n"
        "La colonna di origine deve essere rappresentata da un numero.\n\n",
        kOriginColumn);
    return;
  }
  // However many digits were typed: a number too long for a column is above the count.
  long typed = 0;
  if (!ParseEntryNumber(text, 6, 0, typed)) typed = 1000000;
  const int column = static_cast<int>(typed);
  if (typed > columnCount_) {
    Refuse("ATTENZIONE E' stata indicata la colonna di origine " + text + "\n\nIl quadro orario contiene solamente" +
               std::to_string(columnCount_) + " colonne",
           kOriginColumn);
    return;
  }
  if (column == activeColumn_) {
    Refuse("ATTENZIONE La colonna di origine richiesta coincide\ncon la colonna di destinazione", kOriginColumn);
    return;
  }
  int hhmm = 0;
  if (!ReadControlText(kDeparture, text)) return;
  if (!ParseEntryTime(text, hhmm)) {
    Refuse(kTimeNotValid, kDeparture);
    return;
  }
  sourceColumn = column;
  departure = hhmm;
  EndDialog(ui::IDOK);
}
