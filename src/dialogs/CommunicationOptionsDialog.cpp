#include "dialogs/CommunicationOptionsDialog.h"

#include "common/Cp1252.h"

#include <QGroupBox>
#include <QVBoxLayout>
#include <functional>

using namespace communication_dialog;

CommunicationOptionsDialog::CommunicationOptionsDialog(QWidget* parent, char initialNature, int idd)
    : ui::Dialog(parent, idd, "Esportazione Dati in Formato VUR-TXT v2"), nature(initialNature) {
  auto* layout = new QVBoxLayout(this);
  // Each frame only draws its title: the buttons are all children of the dialog, and none of
  // them is exclusive by itself.
  const auto frame = [&](const char* title, std::vector<QAbstractButton*> buttons) {
    auto* box = new QGroupBox(cp1252::ToQString(title), this);
    auto* inner = new QVBoxLayout(box);
    for (QAbstractButton* b : buttons) {
      b->setAutoExclusive(false);
      inner->addWidget(b);
    }
    layout->addWidget(box);
  };
  const auto on = [this](int id, std::function<void()> change) {
    connect(Button(id), &QAbstractButton::clicked, this, [this, change] {
      change();
      ShowMembers();
    });
  };
  frame("Modalità Generazione",
        {MakeRadio(kFirst, "Prima Comunicazione"), MakeRadio(kIncremental, "Comunicazione Incrementale"),
         MakeCheck(kGeoreferencing, "Georeferenziazione delle fermate")});
  frame("Natura della comunicazione", {MakeRadio(kBudget, "Comunicazione del Budget Contrattuale"),
                                       MakeRadio(kServicePlan, "Comunicazione del Piano di Servizio"),
                                       MakeRadio(kAnomalies, "Comunicazione delle Anomalie / Scostamenti"),
                                       MakeRadio(kHypothesis, "Comunicazione di Ipotesi / Progetto")});
  frame("Raccordo con le comunicazioni precedenti",
        {MakeRadio(kReplaces, "Sostituisce qualsiasi comunicazione precedente"),
         MakeRadio(kIntegrates, "Integra le comunicazioni precedenti")});
  layout->addWidget(MakeOkCancel());
  on(kFirst, [this] { first = 1; });
  on(kIncremental, [this] { first = 0; });
  on(kGeoreferencing, [this] { georeferencing = georeferencing ? 0 : 1; });
  on(kBudget, [this] { nature = 'B'; });
  on(kServicePlan, [this] { nature = 'P'; });
  on(kAnomalies, [this] { nature = 'A'; });
  on(kHypothesis, [this] { nature = 'I'; });
  on(kReplaces, [this] { replaces = 1; });
  on(kIntegrates, [this] { replaces = 0; });
}

bool CommunicationOptionsDialog::OnInitDialog() {
  first = 0;
  georeferencing = 1;
  replaces = 1;
  ShowMembers();
  return true;
}

void CommunicationOptionsDialog::ShowMembers() {
  const auto set = [this](int id, bool checked) { Button(id)->setChecked(checked); };
  set(kFirst, first == 1);
  set(kIncremental, first == 0);
  set(kGeoreferencing, georeferencing == 1);
  const bool known = nature == 'B' || nature == 'P' || nature == 'A';
  set(kBudget, nature == 'B');
  set(kServicePlan, nature == 'P');
  set(kAnomalies, nature == 'A');
  set(kHypothesis, !known);
  set(kReplaces, replaces == 1);
  set(kIntegrates, replaces != 1);
}
