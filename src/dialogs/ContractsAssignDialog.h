#pragma once
// "Assegnazione Contratti": the authority and the contract that the contract assignment writes
// into every trip ("Qualsiasi linea") or into the trips of the line chosen. The creator reads the
// members after IDOK.

#include "db/DbSelect.h"
#include "platform/Dialog.h"

#include <string>
#include <vector>

class DbDatabase;

// Control ids of the dialog.
namespace contracts_assign {
constexpr int kAnyLine = 1112;
constexpr int kLine = 1113;
constexpr int kAuthority = 1114;
constexpr int kContract = 1115;
}  // namespace contracts_assign

class ContractsAssignDialog : public ui::Dialog {
 public:
  ContractsAssignDialog(QWidget* parent, DbDatabase* db, int idd);

  // 1: every trip; else the trips of `line` (the text chosen or typed, without trailing blanks;
  // the entry chosen as stored).
  bool anyLine = true;
  DbText line;
  // An authority of the list and a contract code from 0 to 9999.
  int authority = 0;
  int contract = 0;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  friend struct NumberEntry;
  DbDatabase* db_;
  std::vector<DbText> lines_;  // of the list's entries
};
