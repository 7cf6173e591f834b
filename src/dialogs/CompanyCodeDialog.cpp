#include "dialogs/CompanyCodeDialog.h"

#include "common/Cp1252.h"
#include "dialogs/EntryRules.h"
#include "dialogs/ListFillers.h"

#include <QGridLayout>
#include <QVBoxLayout>

using namespace company_code;

namespace {

const char* const kCodeFault =
    "ATTENZIONE: Il Codice Regionale Azienda non è valido.\n\n"
    "Occorre selezionare un Codice Regionale Azienda presente nella lista.\n\n"
    "I dati immessi non saranno registrati !!!";

}  // namespace

CompanyCodeDialog::CompanyCodeDialog(QWidget* parent, DbDatabase* db, std::string information, int idd)
    : ui::Dialog(parent, idd, "Conversione Files IVU - InfoPool"), db_(db), information_(std::move(information)) {
  auto* layout = new QVBoxLayout(this);
  QLabel* text = MakeLabel("a");
  text->setObjectName(QString::number(kInformation));
  text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text->setMinimumSize(480, 180);
  layout->addWidget(text);
  auto* grid = new QGridLayout;
  QComboBox* list = MakeCombo(kCompany, true);
  list->lineEdit()->setMaxLength(127);
  list->setMinimumContentsLength(36);
  grid->addWidget(MakeLabel("Codice Regionale Azienda"), 0, 0);
  grid->addWidget(list, 0, 1);
  layout->addLayout(grid);
  layout->addWidget(MakeOkCancel());
}

bool CompanyCodeDialog::OnInitDialog() {
  static_cast<QLabel*>(Control(kInformation))->setText(cp1252::ToQString(information_));
  QComboBox* list = Combo(kCompany);
  list->clear();
  FillCompanyCombo(list, db_);
  list->setCurrentIndex(-1);
  list->setEditText({});
  return true;
}

void CompanyCodeDialog::OnOK() {
  std::string text;
  if (!ReadControlText(kCompany, text)) return;
  int code = 0;
  // The code typed (four characters at most), or the whole code of the entry chosen.
  if (!CodeFromCombo(Combo(kCompany), text, code)) {
    Refuse(CodeNotValid(text, kCodeFault), kCompany);
    return;
  }
  company = code;
  EndDialog(ui::IDOK);
}
