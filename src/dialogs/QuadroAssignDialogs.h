#pragma once
// The values given at once to every trip of a quadro: line, direction, route and note
// (LineCodeAssignDialog), lengths and contractual duration (LengthAssignDialog), authority and
// contract (ContractAssignDialog). The creator writes them after IDOK.

#include "platform/Dialog.h"

#include <string>

class DbDatabase;

class LineCodeAssignDialog : public ui::Dialog {
 public:
  LineCodeAssignDialog(QWidget* parent, std::string line, char direction, std::string route, std::string note, int idd);

  // The initial values on entry; after IDOK what was confirmed: an empty line, route or note is a
  // single blank, the direction 'A', 'R' or a blank.
  std::string line;
  char direction;
  std::string route;
  std::string note;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
};

class LengthAssignDialog : public ui::Dialog {
 public:
  LengthAssignDialog(QWidget* parent, long length, long contractLength, int contractDuration, int idd);

  // Metres and minutes; after IDOK what was confirmed, each within what its field takes.
  long length;
  long contractLength;
  int contractDuration;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  friend struct NumberEntry;
};

class ContractAssignDialog : public ui::Dialog {
 public:
  ContractAssignDialog(QWidget* parent, DbDatabase* db, int authority, int contract, int idd);

  // An authority of the list and a contract code from 0 to 9999.
  int authority;
  int contract;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  friend struct NumberEntry;
  DbDatabase* db_;
};

// Control ids of the dialogs: the same as the trip head's fields.
namespace quadro_assign {
constexpr int kLine = 1068;
constexpr int kAuthority = 1069;
constexpr int kContract = 1070;
constexpr int kLength = 1071;
constexpr int kContractLength = 1073;
constexpr int kContractDuration = 1074;
constexpr int kNote = 1076;
constexpr int kRoute = 1126;
constexpr int kDirection = 1134;
}  // namespace quadro_assign
