#include "dialogs/IvuExportDialog.h"

#include "common/Cp1252.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>
#include <cctype>

using namespace ivu_export_dialog;

namespace {

struct ModeBox {
  int id;
  const char* code;
  const char* label;
};

constexpr ModeBox kModes[] = {{kBus, "BUS", "Bus"},
                              {kMetro, "METRO", "Metropolitana"},
                              {kSuburban, "TRENO_S", "Treno Suburbano"},
                              {kRegional, "TRENO_R", "Treno Regionale"},
                              {kTram, "TRAM", "Tram"},
                              {kLongDistance, "TRENO", "Treno a lunga percorrenza"},
                              {kFerry, "FERRY", "Traghetto / Ferry"}};

std::string Trimmed(const std::string& text) {
  size_t from = 0, to = text.size();
  while (from < to && std::isspace(static_cast<unsigned char>(text[from]))) ++from;
  while (to > from && std::isspace(static_cast<unsigned char>(text[to - 1]))) --to;
  return text.substr(from, to - from);
}

}  // namespace

IvuExportDialog::IvuExportDialog(QWidget* parent, int idd)
    : ui::Dialog(parent, idd, "Esportazione Dati nel Formato IVU-InfoPool") {
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(MakeLabel("Sigla Aziendale"), 0, 0);
  grid->addWidget(MakeEdit(kSigla, 5), 0, 1);
  grid->addWidget(MakeLabel("N.ro Versione"), 1, 0);
  grid->addWidget(MakeEdit(kVersion, 9), 1, 1);
  grid->addWidget(MakeLabel("Descrizione"), 2, 0);
  grid->addWidget(MakeEdit(kDescription, 60), 2, 1);
  layout->addLayout(grid);
  QCheckBox* geo = MakeCheck(kGeoreferencing, "Georeferenziazione delle fermate");
  layout->addWidget(geo);
  connect(geo, &QAbstractButton::clicked, this, [this] {
    georeferencing = georeferencing == 1 ? 0 : 1;
    ShowMembers();
  });
  auto* box = new QGroupBox(cp1252::ToQString("Modalità di trasporto"), this);
  auto* inner = new QVBoxLayout(box);
  for (const ModeBox& m : kModes) {
    QCheckBox* check = MakeCheck(m.id, m.label);
    inner->addWidget(check);
    const std::string code = m.code;
    connect(check, &QAbstractButton::clicked, this, [this, code] {
      mode = code;
      ShowMembers();
    });
  }
  layout->addWidget(box);
  layout->addWidget(MakeOkCancel());
}

long IvuExportDialog::VersionOf(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  long value = 0;
  // At most 9 digits count (the field's own limit), so the value always fits.
  for (int digits = 0; at < text.size() && digits < 9 && std::isdigit(static_cast<unsigned char>(text[at]));
       ++at, ++digits)
    value = value * 10 + (text[at] - '0');
  return negative ? -value : value;
}

bool IvuExportDialog::OnInitDialog() {
  mode = "BUS";
  ShowMembers();
  return true;
}

void IvuExportDialog::ShowMembers() {
  Button(kGeoreferencing)->setChecked(georeferencing == 1);
  for (const ModeBox& m : kModes) Button(m.id)->setChecked(mode == m.code);
}

void IvuExportDialog::OnOK() {
  std::string text;
  if (!ReadControlText(kSigla, text)) return;
  const std::string typedSigla = Trimmed(text);
  if (typedSigla.empty()) {
    Refuse(
        "ATTENZIONE: Non è stata indicata la Sigla dell'Azienda.\n\n"
        "Occorre indicare obbligatoriamente una Sigla per procedere",
        kSigla);
    return;
  }
  if (!ReadControlText(kVersion, text)) return;
  const long typedVersion = VersionOf(text);
  if (typedVersion <= 0) {
    Refuse(
        "ATTENZIONE: Non è stata indicata la Versione.\n\n"
        "Occorre indicare obbligatoriamente un numero di Versione per procedere",
        kVersion);
    return;
  }
  if (!ReadControlText(kDescription, text)) return;
  const std::string typedDescription = Trimmed(text);
  if (typedDescription.empty()) {
    Refuse(
        "ATTENZIONE: Non è stata indicata la Descrizione del Periodo.\n\n"
        "Occorre indicare obbligatoriamente una Descrizione per procedere",
        kDescription);
    return;
  }
  sigla = typedSigla;
  version = typedVersion;
  description = typedDescription;
  EndDialog(ui::IDOK);
}
