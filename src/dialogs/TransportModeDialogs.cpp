#include "dialogs/TransportModeDialogs.h"

#include "dialogs/EntryRules.h"
#include "dialogs/ListFillers.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace transport_mode;

namespace {

struct ModeRadio {
  const char* label;
  char letter;
};
constexpr ModeRadio kModes[] = {{"Bus Urbano", 'U'}, {"Bus Extraurbano", 'X'}, {"Tramvia", 'W'},
                                {"Funicolare", 'F'}, {"Treno", 'T'},           {"Traghetto", 'N'}};

}  // namespace

TransportModeDialog::TransportModeDialog(QWidget* parent, DbDatabase* db, int idd, const char* caption,
                                         ModeScope::Kind kind)
    : ui::Dialog(parent, idd, caption), db_(db), kind_(kind) {
  auto* layout = new QVBoxLayout(this);
  if (kind == ModeScope::Kind::Line || kind == ModeScope::Kind::Authority) {
    const bool line = kind == ModeScope::Kind::Line;
    auto* row = new QHBoxLayout;
    row->addWidget(MakeLabel(line ? "Linea" : "Ente"));
    QComboBox* combo = MakeCombo(line ? kLine : kAuthority, true);
    combo->setMinimumContentsLength(line ? 10 : 30);
    row->addWidget(combo);
    layout->addLayout(row);
  }
  auto* group = new QGroupBox(QStringLiteral("Tipo mezzo utilizzato"), this);
  auto* radios = new QVBoxLayout(group);
  for (int k = 0; k < 6; ++k) {
    QRadioButton* radio = MakeRadio(kFirstRadio + k, kModes[k].label);
    radio->setAutoExclusive(false);  // kept exclusive by hand, from the member
    radios->addWidget(radio);
    connect(radio, &QRadioButton::clicked, this, [this, letter = kModes[k].letter] {
      mode = letter;
      ShowMode();
    });
  }
  layout->addWidget(group);
  layout->addWidget(MakeOkCancel());
}

void TransportModeDialog::ShowMode() {
  for (int j = 0; j < 6; ++j) static_cast<QRadioButton*>(Button(kFirstRadio + j))->setChecked(kModes[j].letter == mode);
}

bool TransportModeDialog::OnInitDialog() {
  ShowMode();
  return true;
}

bool TransportModeDialog::ReadScope(ModeScope& scope) {
  scope.kind = kind_;
  return true;
}

void TransportModeDialog::OnOK() {
  ModeScope scope;
  refused_ = !ReadScope(scope);
  if (refused_) return;
  if (beforeAssignment) beforeAssignment();
  const AssignmentResult result = AssignTransportMode(db_, scope, mode, progress);
  ++assignments;
  ui::ShowOutcome(result);
  if (kind_ == ModeScope::Kind::Company) EndDialog(ui::IDOK);
}

void TransportModeDialog::OnScriptEnd() {
  if (assignments == 0 || refused_) OnOK();
  if (!refused_ && !Ended()) OnCancel();
}

CompanyModeDialog::CompanyModeDialog(QWidget* parent, DbDatabase* db, int idd)
    : TransportModeDialog(parent, db, idd, "Assegnazione Tipo Mezzo (Intera Azienda)", ModeScope::Kind::Company) {}

LineModeDialog::LineModeDialog(QWidget* parent, DbDatabase* db, int idd)
    : TransportModeDialog(parent, db, idd, "Assegnazione Tipo Mezzo (Singola Linea)", ModeScope::Kind::Line) {}

bool LineModeDialog::OnInitDialog() {
  QComboBox* lines = Combo(kLine);
  lines->clear();
  lines_ = FillTrimmedLineCombo(lines, db_);
  return TransportModeDialog::OnInitDialog();
}

bool LineModeDialog::ReadScope(ModeScope& scope) {
  scope.kind = kind_;
  std::string line;
  if (!ReadControlText(kLine, line)) return false;
  while (!line.empty() && line.back() == ' ') line.pop_back();
  // The entry chosen is searched as stored: a code that lost a character names its own trips.
  scope.line = ChosenCode(Combo(kLine), lines_, line);
  return true;
}

AuthorityModeDialog::AuthorityModeDialog(QWidget* parent, DbDatabase* db, int idd)
    : TransportModeDialog(parent, db, idd, "Assegnazione Tipo Mezzo (Singolo Ente)", ModeScope::Kind::Authority) {}

bool AuthorityModeDialog::OnInitDialog() {
  QComboBox* authorities = Combo(kAuthority);
  authorities->clear();
  FillTripAuthorityCombo(authorities, db_);
  return TransportModeDialog::OnInitDialog();
}

bool AuthorityModeDialog::ReadScope(ModeScope& scope) {
  scope.kind = kind_;
  std::string text;
  if (!ReadControlText(kAuthority, text)) return false;
  bool digits = text.size() >= 4;
  for (size_t k = 0; digits && k < 4; ++k) digits = text[k] >= '0' && text[k] <= '9';
  if (!digits || !CodeFromCombo(Combo(kAuthority), text, scope.authority)) {
    Refuse(CodeNotValid(text, TransportModeAuthorityRefusal()), kAuthority);
    return false;
  }
  return true;
}
