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
#include <utility>

using namespace trip_head;

namespace {

constexpr int kModeCount = sizeof kModes - 1;

// A trip before or after this one, as typed: "0" or a number from 1 on is kept (without the
// surrounding blanks), anything else means none ("-1").
std::string TripLink(const std::string& typed) {
  const size_t first = typed.find_first_not_of(" \t");
  if (first == std::string::npos) return "-1";
  const std::string text = typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
  if (text != "0" && LeadingNumber(text, 8, 0) < 1) return "-1";
  return text;
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
  // No length limit on the authority: it would cut the entries of the list. Only the first four
  // characters of the text are read.
  QComboBox* authorities = MakeCombo(kAuthority, true);
  authorities->setMinimumContentsLength(30);
  field(6, 0, "Ente", authorities);
  field(0, 2, "Contratto", MakeEdit(kContract, 4));
  field(1, 2, "Lunghezza (m)", MakeEdit(kLength, 8));
  field(2, 2, "Durata (min)", MakeEdit(kDuration, 4));
  field(3, 2, "Lunghezza contrattuale (m)", MakeEdit(kContractLength, 8));
  field(4, 2, "Durata contrattuale (min)", MakeEdit(kContractDuration, 4));
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
  if (!ReadControlText(kTripCode, text)) return;
  typed.tripCode = NotEmpty(text);
  if (!ReadControlText(kPreviousTrip, text)) return;
  typed.previousTrip = TripLink(text);
  if (!ReadControlText(kNextTrip, text)) return;
  typed.nextTrip = TripLink(text);
  if (!ReadControlText(kLine, text)) return;
  typed.lineCode = NotEmpty(text);
  if (!ReadControlText(kDirection, text)) return;
  typed.direction = EntryDirection(text);
  if (!ReadControlText(kRoute, text)) return;
  typed.routeCode = NotEmpty(text);

  if (!ReadControlText(kAuthority, text)) return;
  if (!CodeFromCombo(Combo(kAuthority), text, typed.authority)) {
    Refuse(std::string(kAuthorityNotValid) + kNotRecorded, kAuthority);
    return;
  }
  if (!ReadControlText(kContract, text)) return;
  if (!ParseContractCode(text, typed.contract)) {
    Refuse(std::string(kContractNotValid) + kNotRecorded, kContract);
    return;
  }

  if (!ReadControlText(kLength, text)) return;
  typed.length = LeadingNumber(text, 8, 0);
  if (!ReadControlText(kDuration, text)) return;
  typed.duration = static_cast<int>(LeadingNumber(text, 4, 0));
  if (!ReadControlText(kContractLength, text)) return;
  typed.contractLength = LeadingNumber(text, 8, 0);
  if (!ReadControlText(kContractDuration, text)) return;
  typed.contractDuration = static_cast<int>(LeadingNumber(text, 4, 0));
  if (!ReadControlText(kNote, text)) return;
  typed.note = NotEmpty(text);
  typed.mode = mode_;
  head = typed;
  EndDialog(ui::IDOK);
}
