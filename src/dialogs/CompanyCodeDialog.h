#pragma once
// "Conversione Files IVU - InfoPool": what an IVU-InfoPool set holds (its version and its
// companies) and the choice of the regional company code that the region's files will carry,
// one of the region's companies (`regazi`) listed by name. The creator reads `company` after IDOK.

#include "platform/Dialog.h"

#include <string>

class DbDatabase;

namespace company_code {
constexpr int kDialog = 153;
constexpr int kCompany = 1204;
constexpr int kInformation = 1205;
}  // namespace company_code

class CompanyCodeDialog : public ui::Dialog {
 public:
  CompanyCodeDialog(QWidget* parent, DbDatabase* db, std::string information, int idd);

  int company = 0;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  DbDatabase* db_;
  std::string information_;
};
