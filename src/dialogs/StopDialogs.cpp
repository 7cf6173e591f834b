#include "dialogs/StopDialogs.h"

#include "dialogs/EntryRules.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdio>
#include <tuple>

using namespace stop_dialog;

namespace {
const char* const kDistanceLabel = "Progressiva (m.)";
}  // namespace

// The fields of a stop, made, shown and read alike by both dialogs.
struct StopForm {
  // Code, name, location and progressive distance, with the three flags below them; each flag
  // button flips its own flag.
  template <class D>
  static QGridLayout* Build(D& d) {
    auto* grid = new QGridLayout;
    const auto field = [&](int line, const char* label, QWidget* control) {
      grid->addWidget(d.MakeLabel(label), line, 0);
      grid->addWidget(control, line, 1);
    };
    field(0, "Codice Fermata", d.MakeEdit(kCode, 10));
    field(1, "Denominazione", d.MakeEdit(kName, 40));
    field(2, "Ubicazione", d.MakeEdit(kLocation, 40));
    field(3, kDistanceLabel, d.MakeEdit(kDistance, 8));
    auto* flags = new QHBoxLayout;
    for (const auto& [id, label, flag] : {std::tuple{kPrimary, "Fermata Primaria", &TripStopValues::primary},
                                          std::tuple{kOptional, "Fermata Facoltativa", &TripStopValues::optional},
                                          std::tuple{kNoStop, "Non ferma", &TripStopValues::noStop}}) {
      QCheckBox* box = d.MakeCheck(id, label);
      flags->addWidget(box);
      QObject::connect(box, &QCheckBox::clicked, &d, [&d, box, member = flag] {
        d.stop.*member = !(d.stop.*member);
        box->setChecked(d.stop.*member != 0);
      });
    }
    grid->addLayout(flags, 4, 0, 1, 2);
    return grid;
  }

  template <class D>
  static void Show(D& d) {
    char distance[32];
    std::snprintf(distance, sizeof distance, "%ld", static_cast<long>(d.stop.distance));
    d.SetControlText(kCode, d.stop.stopCode);
    d.SetControlText(kName, d.stop.stopName);
    d.SetControlText(kLocation, d.stop.location);
    d.SetControlText(kDistance, distance);
    d.Button(kPrimary)->setChecked(d.stop.primary != 0);
    d.Button(kOptional)->setChecked(d.stop.optional != 0);
    d.Button(kNoStop)->setChecked(d.stop.noStop != 0);
  }

  // The code and the location as typed, the name without trailing blanks (it cannot be empty),
  // the progressive distance in metres as a whole number the field can hold; false after a
  // refusal. A text left as shown keeps the value given.
  template <class D>
  static bool Read(D& d, TripStopValues& typed) {
    if (!d.LeftAsShown(kCode) && !d.ReadControlText(kCode, typed.stopCode)) return false;
    std::string name = typed.stopName;
    if (!d.LeftAsShown(kName) && !d.ReadControlText(kName, name)) return false;
    name.erase(name.find_last_not_of(' ') + 1);
    if (name.empty()) {
      d.Refuse("ATTENZIONE: non è stata immessa la denominazione della fermata !!!\n\n", kName);
      return false;
    }
    if (!d.LeftAsShown(kName)) typed.stopName = name;
    if (!d.LeftAsShown(kLocation) && !d.ReadControlText(kLocation, typed.location)) return false;
    long distance = 0;
    if (!NumberEntry::Read(d, kDistance, kDistanceLabel, 8, distance)) return false;
    typed.distance = static_cast<std::int32_t>(distance);
    return true;
  }
};

// ---- StopEditDialog ---------------------------------------------------------------------------

StopEditDialog::StopEditDialog(QWidget* parent, const TripStopValues& initial, int idd)
    : ui::Dialog(parent, idd, "Definizione Fermata"), stop(initial) {
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(StopForm::Build(*this));
  layout->addWidget(MakeOkCancel());
}

bool StopEditDialog::OnInitDialog() {
  StopForm::Show(*this);
  return true;
}

void StopEditDialog::OnOK() {
  TripStopValues typed = stop;
  if (!StopForm::Read(*this, typed)) return;
  stop = typed;
  EndDialog(ui::IDOK);
}

// ---- StopDefinitionDialog ---------------------------------------------------------------------

StopDefinitionDialog::StopDefinitionDialog(QWidget* parent, int idd) : ui::Dialog(parent, idd, "Definizione Fermata") {
  QGridLayout* grid = StopForm::Build(*this);
  grid->addWidget(MakeLabel("Orario"), 5, 0);
  grid->addWidget(MakeEdit(kTime, 0), 5, 1);

  auto* where = new QGroupBox(QStringLiteral("Inserimento"), this);
  auto* places = new QVBoxLayout(where);
  for (const auto& [id, label, place] : {std::tuple{kAtHead, "Inserisci in testa al percorso", kHead},
                                         std::tuple{kBelowCurrent, "Inserisci sotto alla fermata corrente", kBelow},
                                         std::tuple{kAtTail, "Inserisci in coda al percorso", kTail}}) {
    QRadioButton* radio = MakeRadio(id, label);
    // Kept exclusive by hand, from the member.
    radio->setAutoExclusive(false);
    places->addWidget(radio);
    connect(radio, &QRadioButton::clicked, this, [this, chosen = place] {
      insertion = chosen;
      ShowOptions();
    });
  }

  auto* finish = new QPushButton(QStringLiteral("Fine"), this);
  finish->setObjectName(QString::number(kFinish));
  finish->setAutoDefault(false);
  connect(finish, &QPushButton::clicked, this, [this] { EndDialog(kFinish); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(finish);
  buttons->addStretch();
  buttons->addWidget(MakeOkCancel());
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(where);
  layout->addLayout(buttons);
}

void StopDefinitionDialog::ShowOptions() {
  Button(kPrimary)->setChecked(stop.primary != 0);
  Button(kOptional)->setChecked(stop.optional != 0);
  Button(kNoStop)->setChecked(stop.noStop != 0);
  Button(kAtHead)->setChecked(insertion == kHead);
  Button(kBelowCurrent)->setChecked(insertion == kBelow);
  Button(kAtTail)->setChecked(insertion == kTail);
}

bool StopDefinitionDialog::OnInitDialog() {
  stop = TripStopValues{};
  time = -1;
  insertion = kBelow;
  StopForm::Show(*this);
  SetControlText(kTime, std::string());
  // A stop that needs its time goes to the tail; without a current stop it cannot go below it.
  // The member follows what the buttons show.
  if (timeEntry || noCurrentStop) insertion = kTail;
  ShowOptions();
  Button(kAtHead)->setEnabled(!timeEntry);
  Button(kBelowCurrent)->setEnabled(!timeEntry && !noCurrentStop);
  Button(kAtTail)->setEnabled(true);
  Edit(kTime)->setEnabled(timeEntry != 0);
  return true;
}

void StopDefinitionDialog::OnOK() {
  TripStopValues typed = stop;
  if (!StopForm::Read(*this, typed)) return;
  int hhmm = -1;
  if (timeEntry) {
    std::string text;
    if (!ReadControlText(kTime, text)) return;
    if (!ParseEntryTime(text, hhmm)) {
      Refuse(kTimeNotValid, kTime);
      return;
    }
  }
  stop = typed;
  time = hhmm;
  EndDialog(ui::IDOK);
}
