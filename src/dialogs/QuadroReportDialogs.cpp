#include "dialogs/QuadroReportDialogs.h"

#include "dialogs/EntryRules.h"

#include <QAbstractButton>
#include <QVBoxLayout>

using namespace quadro_dialog;

QuadroListDialog::QuadroListDialog(QWidget* parent, int idd, const char* caption, const char* wholeLabel,
                                   const char* fromLabel, const char* toLabel, int limit)
    : ReportOptionsDialog(parent, idd, caption) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(AddRangeBox({kWhole, wholeLabel, &whole}, {{kFrom, fromLabel}, {kTo, toLabel}}, limit));
  layout->addWidget(AddPlainBox({kOptional, "Includo Facoltative", &includeOptional}));
  layout->addWidget(AddPlainBox({kNotServed, "Includo non effettuate", &includeNotServed}));
  layout->addWidget(AddRadioGroup("Output", {{kPreview, "Anteprima di stampa", &preview}, {kPrint, "Stampa", &print}}));
  layout->addWidget(MakeOkCancel());
  // After each box's own flip: the stops not served are printed only with the optional ones.
  connect(Button(kOptional), &QAbstractButton::clicked, this, [this] {
    if (includeOptional == 0) includeNotServed = 0;
    ShowMembers();
  });
  connect(Button(kNotServed), &QAbstractButton::clicked, this, [this] {
    if (includeNotServed == 1) includeOptional = 1;
    ShowMembers();
  });
}

bool QuadroListDialog::ReadRange(std::string& from, std::string& to) {
  from.clear();
  to.clear();
  if (whole == 1) return true;
  return ReadControlText(kFrom, from) && ReadControlText(kTo, to);
}

TripListDialog::TripListDialog(QWidget* parent, int idd)
    : QuadroListDialog(parent, idd, "Rubrica Corse", "Stampo tutti i quadri", "Dal quadro", "Al quadro", 10) {}

void TripListDialog::OnOK() {
  // Quadro numbers by the rule of every number field: "3x" is refused, not read as 3.
  constexpr int kQuadroDigits = 9;
  long from = -1, to = -1;
  if (whole != 1 && (!NumberEntry::Read(*this, kFrom, "Dal quadro", kQuadroDigits, from) ||
                     !NumberEntry::Read(*this, kTo, "Al quadro", kQuadroDigits, to)))
    return;
  fromGroup = from;
  toGroup = to;
  EndDialog(ui::IDOK);
}

LineTableListDialog::LineTableListDialog(QWidget* parent, int idd)
    : QuadroListDialog(parent, idd, "Rubrica Quadri Linea", "Stampo tutte le linee", "Dalla linea", "Alla linea", 10) {}

void LineTableListDialog::OnOK() {
  if (!ReadRange(fromLine, toLine)) return;
  EndDialog(ui::IDOK);
}
