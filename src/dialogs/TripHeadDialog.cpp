#include "dialogs/TripHeadDialog.h"

#include "dialogs/EntryRules.h"
#include "dialogs/ListFillers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdio>
#include <tuple>
#include <utility>

using namespace trip_head;

namespace {

constexpr int kModeCount = sizeof kModes - 1;

// The labels of the number fields, which their refusals name.
const char* const kLengthLabel = "Lunghezza (m)";
const char* const kDurationLabel = "Durata (min)";
const char* const kContractLengthLabel = "Lunghezza contrattuale (m)";
const char* const kContractDurationLabel = "Durata contrattuale (min)";

// A trip before or after this one, as typed (the surrounding blanks aside): empty, a negative
// number or a text that is no number means none ("-1"); "0" and the ids from 1 on are kept. A
// number followed by anything else ("12a") is no id and is refused (false).
bool TripLink(const std::string& typed, std::string& link) {
  const size_t first = typed.find_first_not_of(" \t");
  const std::string text =
      first == std::string::npos ? std::string() : typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
  long id = 0;
  if (ParseEntryNumber(text, 8, -1, id)) {
    link = id >= 1 || text == "0" ? std::to_string(id) : "-1";
    return true;
  }
  link = "-1";
  return text[0] < '0' || text[0] > '9';
}

}  // namespace

TripHeadDialog::TripHeadDialog(QWidget* parent, DbDatabase* db, const TripHead& initial, bool periodsEnabled,
                               std::function<void()> openPeriods, int idd)
    : ui::Dialog(parent, idd, "Dati Testa Corsa"),
      head(initial),
      db_(db),
      periodsEnabled_(periodsEnabled),
      openPeriods_(std::move(openPeriods)) {
  auto* grid = new QGridLayout;
  const auto field = [&](int line, int column, const char* label, QWidget* control) {
    grid->addWidget(MakeLabel(label), line, column);
    grid->addWidget(control, line, column + 1);
  };
  field(0, 0, "Codice Corsa", MakeEdit(kTripCode, 20));
  field(1, 0, "Corsa precedente", MakeEdit(kPreviousTrip, 8));
  field(2, 0, "Corsa successiva", MakeEdit(kNextTrip, 8));
  field(3, 0, "Codice Linea", MakeEdit(kLine, 10));
  field(4, 0, "Verso", MakeEdit(kDirection, 1));
  field(5, 0, "Codice Percorso", MakeEdit(kRoute, 20));
  // No length limit on the authority: it would cut the entries of the list. A text typed is read
  // up to four characters (a longer one is refused), an entry chosen gives its whole code.
  QComboBox* authorities = MakeCombo(kAuthority, true);
  authorities->setMinimumContentsLength(30);
  field(6, 0, "Ente", authorities);
  field(0, 2, "Contratto", MakeEdit(kContract, 4));
  field(1, 2, kLengthLabel, MakeEdit(kLength, 8));
  field(2, 2, kDurationLabel, MakeEdit(kDuration, 4));
  field(3, 2, kContractLengthLabel, MakeEdit(kContractLength, 8));
  field(4, 2, kContractDurationLabel, MakeEdit(kContractDuration, 4));
  grid->addWidget(MakeLabel("Annotazioni"), 7, 0);
  grid->addWidget(MakeEdit(kNote, 120), 7, 1, 1, 3);

  auto* modes = new QGroupBox(QStringLiteral("Tipo Mezzo Trasporto"), this);
  auto* modeGrid = new QGridLayout(modes);
  const char* const names[kModeCount] = {"Bus Urbano", "Bus Extraurbano", "Tramvia",
                                         "Funicolare", "Treno",           "Traghetto"};
  for (int k = 0; k < kModeCount; ++k) {
    QRadioButton* radio = MakeRadio(kUrbanBus + k, names[k]);
    // The buttons are kept exclusive by hand, so that a mode of no button leaves all of them clear.
    radio->setAutoExclusive(false);
    modeGrid->addWidget(radio, k % 3, k / 3);
    connect(radio, &QRadioButton::clicked, this, [this, letter = kModes[k]] {
      mode_ = letter;
      ShowMode();
    });
  }

  auto* periods = new QPushButton(QStringLiteral("Cadenze/Periodi"), this);
  periods->setObjectName(QString::number(kPeriods));
  periods->setAutoDefault(false);
  connect(periods, &QPushButton::clicked, this, [this] {
    if (openPeriods_) openPeriods_();
  });

  auto* lower = new QHBoxLayout;
  lower->addWidget(modes);
  lower->addStretch();
  lower->addWidget(periods, 0, Qt::AlignBottom);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(lower);
  layout->addWidget(MakeOkCancel());
}

void TripHeadDialog::ShowMode() {
  for (int k = 0; k < kModeCount; ++k) Button(kUrbanBus + k)->setChecked(kModes[k] == mode_);
}

bool TripHeadDialog::OnInitDialog() {
  const auto format = [](const char* pattern, long value) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return std::string(text);
  };
  SetControlText(kTripCode, head.tripCode);
  SetControlText(kPreviousTrip, head.previousTrip == "-1" ? std::string() : head.previousTrip);
  SetControlText(kNextTrip, head.nextTrip == "-1" ? std::string() : head.nextTrip);
  SetControlText(kLine, head.lineCode);
  SetControlText(kDirection,
                 head.direction == ' ' || head.direction == '\0' ? std::string() : std::string(1, head.direction));
  SetControlText(kRoute, head.routeCode);
  QComboBox* authorities = Combo(kAuthority);
  authorities->clear();
  FillAuthorityCombo(authorities, db_);
  ShowCodeInCombo(authorities, head.authority);
  SetControlText(kContract, format("%04ld", head.contract));
  SetControlText(kLength, format("%ld", head.length));
  SetControlText(kDuration, format("%ld", head.duration));
  SetControlText(kContractLength, format("%ld", head.contractLength));
  SetControlText(kContractDuration, format("%ld", head.contractDuration));
  SetControlText(kNote, head.note);
  mode_ = head.mode;
  ShowMode();
  Control(kPeriods)->setEnabled(periodsEnabled_);
  return true;
}

void TripHeadDialog::OnOK() {
  TripHead typed = head;
  std::string text;
  // A text field left as shown keeps the value given, read no further.
  const auto typedText = [&](int id, std::string& value) {
    if (!LeftAsShown(id) && !ReadControlText(id, value)) return false;
    value = NotEmpty(value);
    return true;
  };
  if (!typedText(kTripCode, typed.tripCode)) return;
  for (const auto& [id, label, link] : {std::tuple{kPreviousTrip, "Corsa precedente", &typed.previousTrip},
                                        std::tuple{kNextTrip, "Corsa successiva", &typed.nextTrip}}) {
    if (!ReadControlText(id, text)) return;
    if (!TripLink(text, *link)) {
      Refuse(NumberNotValid(label, 8), id);
      return;
    }
  }
  if (!typedText(kLine, typed.lineCode)) return;
  if (!LeftAsShown(kDirection)) {
    if (!ReadControlText(kDirection, text)) return;
    typed.direction = EntryDirection(text);
  }
  if (!typedText(kRoute, typed.routeCode)) return;

  if (!ReadControlText(kAuthority, text)) return;
  if (!CodeFromCombo(Combo(kAuthority), text, typed.authority)) {
    Refuse(CodeNotValid(text, std::string(kAuthorityNotValid) + kNotRecorded), kAuthority);
    return;
  }
  // The numbers, each within what its field takes: a length or a duration is never negative, and
  // a text that is no number is refused rather than read as the number it begins with.
  long contract = 0, duration = 0, contractDuration = 0;
  if (!NumberEntry::Read(*this, kContract, 4, std::string(kContractNotValid) + kNotRecorded, contract) ||
      !NumberEntry::Read(*this, kLength, kLengthLabel, 8, typed.length) ||
      !NumberEntry::Read(*this, kDuration, kDurationLabel, 4, duration) ||
      !NumberEntry::Read(*this, kContractLength, kContractLengthLabel, 8, typed.contractLength) ||
      !NumberEntry::Read(*this, kContractDuration, kContractDurationLabel, 4, contractDuration))
    return;
  typed.contract = static_cast<int>(contract);
  typed.duration = static_cast<int>(duration);
  typed.contractDuration = static_cast<int>(contractDuration);
  if (!typedText(kNote, typed.note)) return;
  typed.mode = mode_;
  head = typed;
  EndDialog(ui::IDOK);
}
