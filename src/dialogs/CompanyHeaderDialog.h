#pragma once
// The working company and the heading of the communication: regional company code, date of
// sending, protocol number, person in charge and the reporting period. The creator writes them.

#include "platform/Dialog.h"

#include <string>

class DbDatabase;

class CompanyHeaderDialog : public ui::Dialog {
 public:
  // `protocol` negative means none. Dates are "GG/MM/AAAA" texts (the sending date may be empty).
  CompanyHeaderDialog(QWidget* parent, DbDatabase* db, int company, std::string sendDate, long protocol,
                      std::string person, std::string periodStart, std::string periodEnd, int idd);

  // The initial values on entry; after IDOK what was confirmed, dates in normal form.
  int company;
  std::string sendDate;
  long protocol;
  std::string person;
  std::string periodStart;
  std::string periodEnd;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  friend struct DateField;
  friend struct NumberEntry;
  DbDatabase* db_;
};

// Control ids of the dialog.
namespace company_header {
constexpr int kCompany = 1000;
constexpr int kPeriodStart = 1001;
constexpr int kPeriodEnd = 1002;
constexpr int kSendDate = 1003;
constexpr int kProtocol = 1004;
constexpr int kPerson = 1005;
}  // namespace company_header
