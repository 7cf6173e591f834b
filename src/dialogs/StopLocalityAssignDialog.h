#pragma once
// "Assegnazione Località alle Fermate" (145): stays open and gives one stop after another its
// locality. "Assegna" writes the locality chosen into every row of the stop chosen and stays;
// "Annulla" and Escape empty the fields and stay; "Fine" closes.

#include "dialogs/ListFillers.h"
#include "platform/Dialog.h"

#include <string>
#include <vector>

class DbDatabase;

namespace locality_assign {
constexpr int kStops = 1157;
constexpr int kCode = 1158, kName = 1159, kPlace = 1160;
constexpr int kLocalities = 1161;
constexpr int kLocalityName = 1162, kMunicipality = 1163;
constexpr int kDone = 1164;
}  // namespace locality_assign

class StopLocalityAssignDialog : public ui::Dialog {
 public:
  StopLocalityAssignDialog(QWidget* parent, DbDatabase* db, int idd);

  // The stop of the last "Assegna" and its locality (-1: none chosen).
  std::string code, name, place;
  int locality = -1;

 protected:
  bool OnInitDialog() override;
  // "Assegna".
  void OnOK() override;
  // "Annulla" and Escape.
  void OnCancel() override;
  // A scripted answer ends as "Fine" does; a scripted cancel closes too.
  void OnScriptEnd() override { EndDialog(ui::IDOK); }
  void OnScriptCancel() override { EndDialog(ui::IDCANCEL); }

 private:
  void AssignStopLocality();

  DbDatabase* db_;
  std::vector<StopEntry> stops_;
  int chosen_ = -1;  // the entry of stops_ last chosen
  std::vector<LocalityEntry> localities_;
};
