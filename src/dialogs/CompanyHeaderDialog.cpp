#include "dialogs/CompanyHeaderDialog.h"

#include "dialogs/EntryRules.h"
#include "dialogs/ListFillers.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace company_header;

namespace {
const char* const kProtocolLabel = "Numero di protocollo";
}  // namespace

CompanyHeaderDialog::CompanyHeaderDialog(QWidget* parent, DbDatabase* db, int initialCompany,
                                         std::string initialSendDate, long initialProtocol, std::string initialPerson,
                                         std::string initialStart, std::string initialEnd, int idd)
    : ui::Dialog(parent, idd, "Intestazione Azienda e Comunicazione"),
      company(initialCompany),
      sendDate(std::move(initialSendDate)),
      protocol(initialProtocol),
      person(std::move(initialPerson)),
      periodStart(std::move(initialStart)),
      periodEnd(std::move(initialEnd)),
      db_(db) {
  auto* grid = new QGridLayout;
  const auto row = [&](int line, const char* label, QWidget* control) {
    grid->addWidget(MakeLabel(label), line, 0);
    grid->addWidget(control, line, 1);
  };
  QComboBox* companies = MakeCombo(kCompany, true);
  companies->setMinimumContentsLength(36);
  row(0, "Codice Regionale Azienda", companies);
  row(1, "Data invio comunicazione", DateField::Typing(MakeEdit(kSendDate, DateField::kLength)));
  row(2, kProtocolLabel, MakeEdit(kProtocol, 6));
  row(3, "Responsabile", MakeEdit(kPerson, 40));
  row(4, "Inizio periodo", DateField::Typing(MakeEdit(kPeriodStart, DateField::kLength)));
  row(5, "Fine periodo", DateField::Typing(MakeEdit(kPeriodEnd, DateField::kLength)));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(MakeOkCancel());
}

bool CompanyHeaderDialog::OnInitDialog() {
  QComboBox* companies = Combo(kCompany);
  companies->clear();
  FillCompanyCombo(companies, db_);
  // A working company missing from the list is shown by its code, so that confirming refuses it
  // rather than taking the empty field for company 0.
  ShowCodeInCombo(companies, company);
  SetControlText(kSendDate, sendDate);
  SetControlText(kProtocol, protocol < 0 ? std::string() : std::to_string(protocol));
  SetControlText(kPerson, person);
  SetControlText(kPeriodStart, periodStart);
  SetControlText(kPeriodEnd, periodEnd);
  return true;
}

void CompanyHeaderDialog::OnOK() {
  std::string text;
  int code = 0;
  if (!ReadControlText(kCompany, text)) return;
  if (!CodeFromCombo(Combo(kCompany), text, code)) {
    Refuse(CodeNotValid(text, std::string("ATTENZIONE: Il Codice Regionale Azienda non è valido.\n\n"
                                          "Occorre selezionare un Codice Regionale Azienda presente nella lista.\n\n") +
                                  kNotRecorded),
           kCompany);
    return;
  }
  std::string sent;
  if (!ReadControlText(kSendDate, text)) return;
  // No sending date: an empty field.
  if (!text.empty() && !DateField::Read(*this, kSendDate, "la data di invio della comunicazione", kNotRecorded, sent))
    return;
  // No protocol: an empty field.
  long number = -1;
  if (!NumberEntry::Read(*this, kProtocol, kProtocolLabel, 6, number, -1)) return;
  std::string typedPerson;
  if (!ReadControlText(kPerson, typedPerson)) return;
  std::string start, end;
  if (!DateField::ReadPeriod(*this, kPeriodStart, kPeriodEnd, kNotRecorded, start, end)) return;
  // The two dates are not compared: the exports refuse a period that ends before it starts,
  // naming its dates.
  company = code;
  sendDate = sent;
  protocol = number;
  person = typedPerson;
  periodStart = start;
  periodEnd = end;
  EndDialog(ui::IDOK);
}
