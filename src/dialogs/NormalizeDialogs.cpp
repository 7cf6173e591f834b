#include "dialogs/NormalizeDialogs.h"

#include "common/Cp1252.h"
#include "dialogs/EntryRules.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

using namespace normalize;

namespace {

const char* const kNotValid = "ATTENZIONE: La normalizzazione proposta non è valida.\n\n";
const char* const kLineWording =
    "Occorre indicare sia il codice della linea da sostituire\nche il nuovo valore che si intende assegnare.";
const char* const kRouteWording =
    "Occorre indicare sia il codice del percorso da sostituire\nche il nuovo valore che si intende assegnare.";
const char* const kIdentical = "Il nuovo valore è identico a quello precedente !!!.";

// A value that must be given: a name, neither empty nor blank.
bool Missing(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }
// A code that must be given: a single blank is a code (the trip editor stores such codes).
bool MissingCode(const std::string& text) { return text.empty(); }

}  // namespace

NormalizeDialog::NormalizeDialog(QWidget* parent, DbDatabase* db, int idd, const char* caption, const char* listLabel,
                                 std::vector<Field> fields)
    : ui::Dialog(parent, idd, caption), db_(db), fields_(std::move(fields)) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeLabel(listLabel));
  QComboBox* list = MakeCombo(kList, false);
  list->setMinimumContentsLength(30);
  layout->addWidget(list);
  // The entry chosen is taken when the drop-down list closes on it.
  connect(list, &QComboBox::activated, this, [this](int index) {
    if (index >= 0) Chosen(static_cast<size_t>(index));
  });
  for (const bool search : {true, false}) {
    auto* box = new QGroupBox(cp1252::ToQString(search ? "Oggetto della ricerca" : "Da sostituire con"), this);
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const Field& f : fields_) {
      QLineEdit* edit = MakeEdit(search ? f.oldId : f.newId, f.limit);
      edit->setEnabled(!search);
      grid->addWidget(MakeLabel(f.label), row, 0);
      grid->addWidget(edit, row++, 1);
    }
    layout->addWidget(box);
  }
  layout->addWidget(MakeOkCancel());
  Button(ui::IDOK)->setText(QStringLiteral("Sostituisci"));
}

void NormalizeDialog::Show(const std::vector<std::string>& texts) {
  for (size_t i = 0; i < fields_.size() && i < texts.size(); ++i) {
    SetControlText(fields_[i].oldId, texts[i]);
    SetControlText(fields_[i].newId, texts[i]);
  }
}

void NormalizeDialog::MayShow(const std::vector<std::string>& texts) {
  for (size_t i = 0; i < fields_.size() && i < texts.size(); ++i)
    WillShow({fields_[i].oldId, fields_[i].newId}, texts[i]);
}

bool NormalizeDialog::Read(int id, std::string& out) {
  if (!ReadControlText(id, out)) return false;
  while (out.size() > 1 && out.back() == ' ') out.pop_back();
  return true;
}

// --- 139 ---

LineCodeNormalizeDialog::LineCodeNormalizeDialog(QWidget* parent, DbDatabase* db, int idd)
    : NormalizeListDialog(parent, db, idd, "Normalizzazione Codice Linea", "Lista Linee",
                          {{kOldLine, kNewLine, 10, "Codice Linea"}, {kOldDirection, kNewDirection, 1, "Verso"}},
                          FillLineDirectionCombo) {}

std::vector<std::string> LineCodeNormalizeDialog::TextsOf(const LineDirectionEntry& entry) const {
  return {entry.line, std::string(1, entry.direction)};
}

void LineCodeNormalizeDialog::OnOK() {
  std::string oldLine, oldDirection, newLine, newDirection;
  if (!Read(kOldLine, oldLine) || !Read(kOldDirection, oldDirection) || !Read(kNewLine, newLine) ||
      !Read(kNewDirection, newDirection))
    return;
  // The search is the entry chosen as stored (a lower-case direction names its own trips, a code
  // that lost a character its own trips); the direction typed as the new one follows the direction
  // rule.
  LineAndDirection before{oldLine, oldDirection.empty() ? ' ' : oldDirection[0]};
  const LineAndDirection after{newLine, EntryDirection(newDirection)};
  if (const LineDirectionEntry* chosen = ChosenAs({oldLine, oldDirection})) before.stored = chosen->stored;
  if (MissingCode(before.line) || MissingCode(after.line))
    return Refuse(std::string(kNotValid) + kLineWording, kNewLine);
  if (before.line == after.line && before.direction == after.direction)
    return Refuse(std::string(kNotValid) + kIdentical, kNewLine);
  search = before;
  replacement = after;
  EndDialog(ui::IDOK);
}

// --- 140 ---

StopNormalizeDialog::StopNormalizeDialog(QWidget* parent, DbDatabase* db, int idd)
    : NormalizeListDialog(parent, db, idd, "Normalizzazione Fermate", "Lista Fermate",
                          {{kOldCode, kNewCode, 10, "Codice"},
                           {kOldName, kNewName, 40, "Denominazione"},
                           {kOldPlace, kNewPlace, 40, "Ubicazione"}},
                          FillStopCombo) {}

std::vector<std::string> StopNormalizeDialog::TextsOf(const StopEntry& entry) const {
  return {entry.code, entry.name, entry.place};
}

void StopNormalizeDialog::OnOK() {
  StopSpelling before, after;
  if (!Read(kOldCode, before.code) || !Read(kOldName, before.name) || !Read(kOldPlace, before.place) ||
      !Read(kNewCode, after.code) || !Read(kNewName, after.name) || !Read(kNewPlace, after.place))
    return;
  // This dialog speaks of the line, as the line normalisation does.
  if (Missing(before.name) || Missing(after.name)) return Refuse(std::string(kNotValid) + kLineWording, kNewName);
  // The stop chosen is searched as stored: a text that lost a character finds its own rows.
  if (const StopEntry* chosen = ChosenAs({before.code, before.name, before.place})) before.stored = chosen->stored;
  if (before.code == after.code && before.name == after.name && before.place == after.place)
    return Refuse(std::string(kNotValid) + kIdentical, kNewCode);
  search = before;
  replacement = after;
  EndDialog(ui::IDOK);
}

// --- 141 ---

RouteNormalizeDialog::RouteNormalizeDialog(QWidget* parent, DbDatabase* db, int idd)
    : NormalizeListDialog(
          parent, db, idd, "Normalizzazione Percorsi", "Lista Percorsi",
          {{kOldRoute, kNewRoute, 20, "Percorso"}, {kOldRouteName, kNewRouteName, 120, "Denominazione"}},
          FillRouteCombo) {}

std::vector<std::string> RouteNormalizeDialog::TextsOf(const RouteEntry& entry) const {
  return {entry.route, entry.name};
}

void RouteNormalizeDialog::OnOK() {
  RouteName before, after;
  if (!Read(kOldRoute, before.route) || !Read(kOldRouteName, before.name) || !Read(kNewRoute, after.route) ||
      !Read(kNewRouteName, after.name))
    return;
  if (MissingCode(before.route) || MissingCode(after.route))
    return Refuse(std::string(kNotValid) + kRouteWording, kNewRoute);
  // The route chosen is searched as stored, as the stop above.
  if (const RouteEntry* chosen = ChosenAs({before.route, before.name})) before.stored = chosen->stored;
  if (before.route == after.route && before.name == after.name)
    return Refuse(std::string(kNotValid) + kIdentical, kNewRoute);
  search = before;
  replacement = after;
  EndDialog(ui::IDOK);
}

// --- 154 ---

StopDeleteDialog::StopDeleteDialog(QWidget* parent, DbDatabase* db, int idd)
    : ui::Dialog(parent, idd, "Eliminazione Fermata"), db_(db) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeLabel("La fermata selezionata verrà eliminata da tutti gli orari"));
  layout->addWidget(MakeLabel("Non sarà quindi recuperabile in un momento successivo"));
  layout->addWidget(MakeLabel("Lista Fermate"));
  QComboBox* list = MakeCombo(kStopCodes, true);
  list->setMinimumContentsLength(40);
  layout->addWidget(list);
  layout->addWidget(MakeOkCancel());
  Button(ui::IDOK)->setText(QStringLiteral("Elimina"));
}

bool StopDeleteDialog::OnInitDialog() {
  QComboBox* list = Combo(kStopCodes);
  list->clear();
  codes_ = FillStopCodeCombo(list, db_);
  list->setCurrentIndex(-1);
  list->setEditText({});
  return true;
}

namespace {

// The stop code of an entry or of a typed text: its first ten characters, cut at the first blank.
std::string CodeOf(const std::string& text) {
  std::string code = text.substr(0, 10);
  return code.substr(0, code.find(' '));
}

}  // namespace

void StopDeleteDialog::OnOK() {
  std::string text;
  if (!ReadControlText(kStopCodes, text)) return;
  const std::string typed = CodeOf(text);
  // The code must be the code of an entry: an empty text, or a part of a code, names no stop.
  // The entry chosen first, then the first entry of that code: its code as stored.
  QComboBox* list = Combo(kStopCodes);
  const auto codeAt = [&](int i) {
    return i >= 0 && i < list->count() && static_cast<size_t>(i) < codes_.size() &&
           CodeOf(cp1252::FromQStringLossy(list->itemText(i))) == typed;
  };
  int listed = codeAt(list->currentIndex()) ? list->currentIndex() : -1;
  for (int i = 0; i < list->count() && listed < 0 && !typed.empty(); ++i)
    if (codeAt(i)) listed = i;
  if (listed < 0)
    return Refuse(
        "ATTENZIONE: Il Codice Fermata non è valido.\n\nOccorre selezionare una Fermata presente nella lista.\n\n",
        kStopCodes);
  code = {typed, codes_[static_cast<size_t>(listed)].stored};
  EndDialog(ui::IDOK);
}
