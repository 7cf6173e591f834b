#pragma once
// "Esportazione Dati nel Formato IVU-InfoPool": the company's short code (Sigla), the version's
// number and description, the transport mode and the stops' georeferencing. The seven mode boxes
// are check boxes held apart by their click handlers alone: each click sets its member and then
// every check mark is set again from the members. The creator reads the members after IDOK.

#include "platform/Dialog.h"

#include <string>

namespace ivu_export_dialog {
constexpr int kSigla = 1165;
constexpr int kVersion = 1173;
constexpr int kDescription = 1174;
constexpr int kGeoreferencing = 1177;
constexpr int kBus = 1166;
constexpr int kMetro = 1167;
constexpr int kSuburban = 1168;
constexpr int kRegional = 1169;
constexpr int kTram = 1170;
constexpr int kLongDistance = 1171;
constexpr int kFerry = 1172;
}  // namespace ivu_export_dialog

class IvuExportDialog : public ui::Dialog {
 public:
  IvuExportDialog(QWidget* parent, int idd);

  std::string sigla;         // trimmed, not empty
  long version = 0;          // greater than 0
  std::string description;   // trimmed, not empty
  std::string mode = "BUS";  // one of the seven mode codes
  int georeferencing = 1;    // 1: the stops are georeferenced

  // The version typed: the whole number of its leading digits (after leading white space and an
  // optional sign), 0 without any. The field takes 9 characters, so the value fits.
  static long VersionOf(const std::string& text);

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  void ShowMembers();
};
