// Dialog 153 of the IVU-InfoPool conversion, run headless on a real database: the regional
// companies listed by name as "%04d - name", and the code typed or chosen checked against them.

#include "support/TimetableData.h"
#include "support/UiTestSupport.h"

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "dialogs/CompanyCodeDialog.h"

#include <QComboBox>
#include <memory>

namespace {

const std::string kFault =
    "ATTENZIONE: Il Codice Regionale Azienda non è valido.\n\n"
    "Occorre selezionare un Codice Regionale Azienda presente nella lista.\n\n"
    "I dati immessi non saranno registrati !!!";
// A typed code longer than four characters, refused rather than cut to them.
const std::string kLongFault =
    "ATTENZIONE: Il Codice Regionale Azienda non è valido.\n\nSi possono digitare al più quattro cifre: un codice più "
    "lungo va scelto dalla lista.\n\n"
    "Occorre selezionare un Codice Regionale Azienda presente nella lista.\n\n"
    "I dati immessi non saranno registrati !!!";

struct CodeCase {
  const char* typed;
  bool withZero;        // company 0 listed
  const char* outcome;  // the code, or the refusal
};

class CompanyCodeEntry : public ::testing::TestWithParam<CodeCase> {
 protected:
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  ui::Script script;
  void SetUp() override {
    MakeTimetableDatabase(path);
    RunSql(path,
           "DELETE FROM regazi; INSERT INTO regazi VALUES (7, 'Zeta Bus'); "
           "INSERT INTO regazi VALUES (12, 'Alfa Trasporti'); INSERT INTO regazi VALUES (17, 'Beta Linee');");
    if (GetParam().withZero) RunSql(path, "INSERT INTO regazi VALUES (0, 'Nessuna');");
  }
};

TEST_P(CompanyCodeEntry, TypedCode) {
  DbDatabase db(path);
  ASSERT_TRUE(db.isOpen);
  CompanyCodeDialog dialog(nullptr, &db, "Versione 7 dal 01.03.2024 al 05.03.2024\nAzienda Prova\n", 153);
  const std::string result = ConfirmOrRefusal(script, dialog, "153", {{"1204", GetParam().typed}});
  EXPECT_EQ(result.empty() ? std::to_string(dialog.company) : result, GetParam().outcome);
  // The list by name, the information text as given.
  auto* list = static_cast<QComboBox*>(dialog.Control(1204));
  ASSERT_GE(list->count(), 3);
  EXPECT_EQ(cp1252::FromQStringLossy(list->itemText(0)), "0012 - Alfa Trasporti");
  EXPECT_EQ(cp1252::FromQStringLossy(static_cast<QLabel*>(dialog.Control(1205))->text()),
            "Versione 7 dal 01.03.2024 al 05.03.2024\nAzienda Prova\n");
}

INSTANTIATE_TEST_SUITE_P(Table, CompanyCodeEntry,
                         ::testing::Values(CodeCase{"7", false, "7"}, CodeCase{"7A", false, kFault.c_str()},
                                           CodeCase{"00123", false, kLongFault.c_str()},
                                           CodeCase{"", false, kFault.c_str()}, CodeCase{"", true, "0"},
                                           CodeCase{"0017 - Beta Linee", false, "17"},
                                           CodeCase{"0099", false, kFault.c_str()}));

}  // namespace
