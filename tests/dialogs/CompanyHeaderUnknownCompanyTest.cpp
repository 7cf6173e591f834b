// The company header dialog opened on a working company that the list of regional companies does
// not hold: the field shows its code, and confirming refuses it instead of taking company 0.

#include "db/DbDatabase.h"
#include "dialogs/CompanyHeaderDialog.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QComboBox>

namespace {

const char* kRefusal =
    "ATTENZIONE: Il Codice Regionale Azienda non è valido.\n\n"
    "Occorre selezionare un Codice Regionale Azienda presente nella lista.\n\n"
    "I dati immessi non saranno registrati !!!";

}  // namespace

TEST(CompanyHeaderUnknownCompany, ShowsTheCodeAndRefusesItUntilOneOfTheListIsChosen) {
  ScratchDir dir;
  const std::string path = dir.Path("lavoro.mdb");
  MakeDatabase(path,
               "CREATE TABLE regazi (codice SMALLINT NOT NULL, denom VARCHAR(40) COLLATE RTRIM,"
               " CONSTRAINT \"codice\" PRIMARY KEY (codice));"
               "INSERT INTO regazi VALUES (0, '*** azienda non assegnata ***'), (12, 'Trasporti Val d''Arno');");
  DbDatabase db(path);
  ASSERT_EQ(db.isOpen, 1);

  struct Case {
    int company;
    const char* shown;  // the field's text on opening
    bool refused;       // confirming as opened
  };
  for (const Case& c : {Case{999, "0999", true}, Case{7, "0007", true}, Case{12, "0012 - Trasporti Val d'Arno", false},
                        Case{0, "0000 - *** azienda non assegnata ***", false}}) {
    SCOPED_TRACE(c.company);
    ui::Script script;
    CompanyHeaderDialog dialog(nullptr, &db, c.company, "15/01/2024", 3, "Mario Rossi", "01/01/2024", "31/12/2024",
                               115);
    script.Push({ui::Answer::Kind::Dialog, "115", {}});
    int result = -1;
    try {
      result = dialog.DoModal();
    } catch (const ui::UnansweredQuestion&) {
      // the run ended at the refusal, the dialog still up
    }
    const auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("1000"));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentText(), QString::fromUtf8(c.shown));
    if (c.refused) {
      EXPECT_EQ(result, -1);
      EXPECT_EQ(MessagesOf(script), kRefusal);
    } else {
      EXPECT_EQ(result, ui::IDOK) << MessagesOf(script);
    }
    EXPECT_EQ(dialog.company, c.company);  // what was there, or confirmed unchanged
  }

  // The unknown code put right by choosing one of the list.
  ui::Script script;
  CompanyHeaderDialog dialog(nullptr, &db, 999, "15/01/2024", 3, "Mario Rossi", "01/01/2024", "31/12/2024", 115);
  script.Push({ui::Answer::Kind::Dialog, "115", {{"1000", "0012"}}});
  EXPECT_EQ(dialog.DoModal(), ui::IDOK) << MessagesOf(script);
  EXPECT_EQ(dialog.company, 12);
}
