#include "dialogs/StopLocalityAssignDialog.h"

#include "common/Cp1252.h"
#include "utilities/Normalisation.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <tuple>

using namespace locality_assign;

StopLocalityAssignDialog::StopLocalityAssignDialog(QWidget* parent, DbDatabase* db, int idd)
    : ui::Dialog(parent, idd, "Assegnazione Località alle Fermate"), db_(db) {
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  QComboBox* stops = MakeCombo(kStops, false);
  stops->setMinimumContentsLength(30);
  QComboBox* localities = MakeCombo(kLocalities, false);
  localities->setMinimumContentsLength(30);
  int row = 0;
  grid->addWidget(MakeLabel("Lista Fermate"), row, 0);
  grid->addWidget(stops, row++, 1);
  for (const auto& [id, limit, label] : {std::tuple{kCode, 10, "Codice"}, std::tuple{kName, 40, "Denominazione"},
                                         std::tuple{kPlace, 40, "Ubicazione"}}) {
    grid->addWidget(MakeLabel(label), row, 0);
    grid->addWidget(MakeEdit(id, limit), row++, 1);
    Edit(id)->setEnabled(false);
  }
  grid->addWidget(MakeLabel("Lista Località"), row, 0);
  grid->addWidget(localities, row++, 1);
  for (const auto& [id, label] : {std::pair{kLocalityName, "Denominazione"}, std::pair{kMunicipality, "Comune"}}) {
    grid->addWidget(MakeLabel(label), row, 0);
    grid->addWidget(MakeEdit(id, 0), row++, 1);
    Edit(id)->setEnabled(false);
  }
  layout->addLayout(grid);
  // The entries chosen are taken when their drop-down lists close.
  connect(stops, &QComboBox::activated, this, [this](int index) {
    if (index < 0 || static_cast<size_t>(index) >= stops_.size()) return;
    chosen_ = index;
    const StopEntry& stop = stops_[static_cast<size_t>(index)];
    SetControlText(kCode, stop.code);
    SetControlText(kName, stop.name);
    SetControlText(kPlace, stop.place);
  });
  connect(localities, &QComboBox::activated, this, [this](int index) {
    if (index < 0 || static_cast<size_t>(index) >= localities_.size()) return;
    SetControlText(kLocalityName, localities_[static_cast<size_t>(index)].name);
    SetControlText(kMunicipality, localities_[static_cast<size_t>(index)].municipality);
  });
  auto* buttons = new QHBoxLayout;
  for (const auto& [id, label] :
       {std::pair{ui::IDOK, "Assegna"}, std::pair{ui::IDCANCEL, "Annulla"}, std::pair{kDone, "Fine"}}) {
    auto* button = new QPushButton(cp1252::ToQString(label), this);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    buttons->addWidget(button);
    const int which = id;
    connect(button, &QPushButton::clicked, this, [this, which] {
      if (which == ui::IDOK)
        OnOK();
      else if (which == ui::IDCANCEL)
        OnCancel();
      else
        EndDialog(ui::IDOK);
    });
  }
  layout->addLayout(buttons);
}

bool StopLocalityAssignDialog::OnInitDialog() {
  Combo(kStops)->clear();
  stops_ = FillStopCombo(Combo(kStops), db_);
  chosen_ = -1;
  Combo(kLocalities)->clear();
  localities_ = FillLocalityCombo(Combo(kLocalities), db_);
  OnCancel();
  return true;
}

void StopLocalityAssignDialog::OnOK() {
  std::string texts[3];
  for (int i = 0; i < 3; ++i) {
    if (!ReadControlText(kCode + i, texts[i])) return;
    while (!texts[i].empty() && texts[i].back() == ' ') texts[i].pop_back();
  }
  code = texts[0];
  name = texts[1];
  place = texts[2];
  locality = -1;
  const int chosen = Combo(kLocalities)->currentIndex();
  if (chosen >= 0 && static_cast<size_t>(chosen) < localities_.size())
    locality = localities_[static_cast<size_t>(chosen)].id;
  if (locality < 0) {
    ui::MessageBox(
        "Non è stata selezionata la Località !!!\n\nOccorre selezionare una delle Località presenti nella lista",
        ui::MB_ICONSTOP);
    return;
  }
  AssignStopLocality();
}

void StopLocalityAssignDialog::AssignStopLocality() {
  StopSpelling stop{code, name, place};
  // The stop chosen is searched as stored: a text that lost a character finds its own rows.
  if (chosen_ >= 0 && static_cast<size_t>(chosen_) < stops_.size()) {
    const StopEntry& entry = stops_[static_cast<size_t>(chosen_)];
    if (entry.code == code && entry.name == name && entry.place == place)
      for (int k = 0; k < 3; ++k) stop.stored[k] = entry.stored[k];
  }
  ui::ShowOutcome(::AssignStopLocality(db_, stop, locality));
}

void StopLocalityAssignDialog::OnCancel() {
  for (int id : {kStops, kLocalities}) Combo(id)->setCurrentIndex(-1);
  for (int id : {kCode, kName, kPlace, kLocalityName, kMunicipality}) SetControlText(id, {});
}
