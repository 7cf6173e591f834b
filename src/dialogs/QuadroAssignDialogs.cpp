#include "dialogs/QuadroAssignDialogs.h"

#include "common/Formatters.h"
#include "dialogs/EntryRules.h"
#include "dialogs/ListFillers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QVBoxLayout>
#include <cstdio>
#include <utility>

using namespace quadro_assign;

namespace {

const char* const kEveryTrip = "I valori inseriti saranno assegnati a tutte le corse del quadro !!!";

// The labels of the number fields, which their refusals name.
const char* const kLengthLabel = "Lunghezza (m)";
const char* const kContractLengthLabel = "Lunghezza contrattuale (m)";
const char* const kContractDurationLabel = "Durata contrattuale (min)";

// The warning above the fields, the fields in a grid, OK and Annulla.
QGridLayout* Frame(ui::Dialog* dialog, QLabel* warning, QDialogButtonBox* buttons) {
  auto* grid = new QGridLayout;
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(warning);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  return grid;
}

}  // namespace

// ---- LineCodeAssignDialog ---------------------------------------------------------------------

LineCodeAssignDialog::LineCodeAssignDialog(QWidget* parent, std::string initialLine, char initialDirection,
                                           std::string initialRoute, std::string initialNote, int idd)
    : ui::Dialog(parent, idd, "Assegnazione Codice Linea"),
      line(std::move(initialLine)),
      direction(initialDirection),
      route(std::move(initialRoute)),
      note(std::move(initialNote)) {
  QGridLayout* grid = Frame(this, MakeLabel(kEveryTrip), MakeOkCancel());
  const auto field = [&](int row, const char* label, QWidget* control) {
    grid->addWidget(MakeLabel(label), row, 0);
    grid->addWidget(control, row, 1);
  };
  field(0, "Codice Linea", MakeEdit(kLine, 10));
  field(1, "Verso", MakeEdit(kDirection, 1));
  field(2, "Codice Percorso", MakeEdit(kRoute, 20));
  field(3, "Annotazioni", MakeEdit(kNote, 120));
}

bool LineCodeAssignDialog::OnInitDialog() {
  SetControlText(kLine, line);
  SetControlText(kDirection, direction == ' ' || direction == '\0' ? std::string() : std::string(1, direction));
  SetControlText(kRoute, route);
  SetControlText(kNote, note);
  return true;
}

void LineCodeAssignDialog::OnOK() {
  // A field left as shown keeps the value given.
  std::string typedLine = line, typedDirection, typedRoute = route, typedNote = note;
  for (const auto& [id, value] :
       {std::pair{kLine, &typedLine}, {kDirection, &typedDirection}, {kRoute, &typedRoute}, {kNote, &typedNote}})
    if (!LeftAsShown(id)) {
      if (!ReadControlText(id, *value)) return;
      if (id != kDirection) *value = NotEmpty(*value);
    }
  if (!LeftAsShown(kDirection)) direction = EntryDirection(typedDirection);
  line = typedLine;
  route = typedRoute;
  note = typedNote;
  EndDialog(ui::IDOK);
}

// ---- LengthAssignDialog -----------------------------------------------------------------------

LengthAssignDialog::LengthAssignDialog(QWidget* parent, long initialLength, long initialContractLength,
                                       int initialContractDuration, int idd)
    : ui::Dialog(parent, idd, "Assegnazione Lunghezze"),
      length(initialLength),
      contractLength(initialContractLength),
      contractDuration(initialContractDuration) {
  QGridLayout* grid = Frame(this, MakeLabel(kEveryTrip), MakeOkCancel());
  const auto field = [&](int row, const char* label, QWidget* control) {
    grid->addWidget(MakeLabel(label), row, 0);
    grid->addWidget(control, row, 1);
  };
  field(0, kLengthLabel, MakeEdit(kLength, 8));
  field(1, kContractLengthLabel, MakeEdit(kContractLength, 8));
  field(2, kContractDurationLabel, MakeEdit(kContractDuration, 4));
}

bool LengthAssignDialog::OnInitDialog() {
  SetControlText(kLength, Format("%ld", length));
  SetControlText(kContractLength, Format("%ld", contractLength));
  SetControlText(kContractDuration, Format("%d", contractDuration));
  return true;
}

void LengthAssignDialog::OnOK() {
  long typedLength = 0, typedContractLength = 0, typedContractDuration = 0;
  if (!NumberEntry::Read(*this, kLength, kLengthLabel, 8, typedLength) ||
      !NumberEntry::Read(*this, kContractLength, kContractLengthLabel, 8, typedContractLength) ||
      !NumberEntry::Read(*this, kContractDuration, kContractDurationLabel, 4, typedContractDuration))
    return;
  length = typedLength;
  contractLength = typedContractLength;
  contractDuration = static_cast<int>(typedContractDuration);
  EndDialog(ui::IDOK);
}

// ---- ContractAssignDialog ---------------------------------------------------------------------

ContractAssignDialog::ContractAssignDialog(QWidget* parent, DbDatabase* db, int initialAuthority, int initialContract,
                                           int idd)
    : ui::Dialog(parent, idd, "Assegnazione Contratto"),
      authority(initialAuthority),
      contract(initialContract),
      db_(db) {
  QGridLayout* grid = Frame(this, MakeLabel(kEveryTrip), MakeOkCancel());
  // No length limit on the authority: it would cut the entries of the list. A text typed is read
  // up to four characters (a longer one is refused), an entry chosen gives its whole code.
  QComboBox* authorities = MakeCombo(kAuthority, true);
  authorities->setMinimumContentsLength(30);
  grid->addWidget(MakeLabel("Ente"), 0, 0);
  grid->addWidget(authorities, 0, 1);
  grid->addWidget(MakeLabel("Contratto"), 1, 0);
  grid->addWidget(MakeEdit(kContract, 4), 1, 1);
}

bool ContractAssignDialog::OnInitDialog() {
  QComboBox* authorities = Combo(kAuthority);
  authorities->clear();
  FillAuthorityCombo(authorities, db_);
  ShowCodeInCombo(authorities, authority);
  SetControlText(kContract, Format("%04d", contract));
  return true;
}

void ContractAssignDialog::OnOK() {
  std::string text;
  int typedAuthority = 0;
  long typedContract = 0;
  if (!ReadControlText(kAuthority, text)) return;
  if (!CodeFromCombo(Combo(kAuthority), text, typedAuthority)) {
    Refuse(CodeNotValid(text, std::string(kAuthorityNotValid) + kNotRecorded), kAuthority);
    return;
  }
  if (!NumberEntry::Read(*this, kContract, 4, std::string(kContractNotValid) + kNotRecorded, typedContract)) return;
  authority = typedAuthority;
  contract = static_cast<int>(typedContract);
  EndDialog(ui::IDOK);
}
