#include "dialogs/ContractsAssignDialog.h"

#include "dialogs/EntryRules.h"
#include "dialogs/ListFillers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QVBoxLayout>

using namespace contracts_assign;

namespace {

const char* const kImpossible = "L'assegnazione automatica degli estremi contrattuali risulta\nimpossibile.";

}  // namespace

ContractsAssignDialog::ContractsAssignDialog(QWidget* parent, DbDatabase* db, int idd)
    : ui::Dialog(parent, idd, "Assegnazione Contratti"), db_(db) {
  auto* layout = new QVBoxLayout(this);
  for (const char* text :
       {"ATTENZIONE: questa operazione effettua l'assegnazione automatica",
        "del codice contratto alle corse appartenenti alla linea",
        "selezionata. Qualora i codici contrattuali fossero già", "assegnati verranno comunque sovrascritti."})
    layout->addWidget(MakeLabel(text));
  auto* grid = new QGridLayout;
  QCheckBox* any = MakeCheck(kAnyLine, "Qualsiasi linea");
  QComboBox* lines = MakeCombo(kLine, true);
  lines->lineEdit()->setMaxLength(10);
  // No length limit on the authority: it would cut the entries of the list. A text typed is read
  // up to four characters (a longer one is refused), an entry chosen gives its whole code.
  QComboBox* authorities = MakeCombo(kAuthority, true);
  authorities->setMinimumContentsLength(30);
  grid->addWidget(any, 0, 0, 1, 2);
  grid->addWidget(MakeLabel("Linea"), 1, 0);
  grid->addWidget(lines, 1, 1);
  grid->addWidget(MakeLabel("Ente Gestore"), 2, 0);
  grid->addWidget(authorities, 2, 1);
  grid->addWidget(MakeLabel("Contratto"), 3, 0);
  grid->addWidget(MakeEdit(kContract, 4), 3, 1);
  // The check box covers the line: checked, the list is disabled (its text stays).
  connect(any, &QCheckBox::toggled, this, [this](bool checked) {
    anyLine = checked;
    Combo(kLine)->setEnabled(!checked);
  });
  layout->addLayout(grid);
  layout->addWidget(MakeOkCancel());
}

bool ContractsAssignDialog::OnInitDialog() {
  QComboBox* lines = Combo(kLine);
  lines->clear();
  lines_ = FillLineCombo(lines, db_);
  lines->setCurrentIndex(-1);
  lines->setEditText({});
  QComboBox* authorities = Combo(kAuthority);
  authorities->clear();
  FillAuthorityCombo(authorities, db_);
  authorities->setCurrentIndex(-1);
  authorities->setEditText({});
  static_cast<QCheckBox*>(Button(kAnyLine))->setChecked(anyLine);
  lines->setEnabled(!anyLine);
  return true;
}

void ContractsAssignDialog::OnOK() {
  std::string typedLine, text;
  int typedAuthority = 0;
  long typedContract = 0;
  if (!ReadControlText(kLine, typedLine) || !ReadControlText(kAuthority, text)) return;
  while (!typedLine.empty() && typedLine.back() == ' ') typedLine.pop_back();
  if (!CodeFromCombo(Combo(kAuthority), text, typedAuthority)) {
    Refuse(CodeNotValid(text, std::string(kAuthorityNotValid) + kImpossible), kAuthority);
    return;
  }
  if (!NumberEntry::Read(*this, kContract, 4, std::string(kContractNotValid) + kImpossible, typedContract)) return;
  line = ChosenCode(Combo(kLine), lines_, typedLine);
  authority = typedAuthority;
  contract = static_cast<int>(typedContract);
  EndDialog(ui::IDOK);
}
