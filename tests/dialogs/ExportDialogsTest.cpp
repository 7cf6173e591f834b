// The options dialogs of the three exports, run headless with scripted answers on a real
// database (the authority list comes from its `regent` table).

#include "support/TimetableData.h"
#include "support/UiTestSupport.h"

#include "db/DbDatabase.h"
#include "dialogs/ExportDialogs.h"

#include <QLineEdit>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

struct ExportDialogs : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  std::unique_ptr<DbDatabase> db;
  ui::Script script;
  void SetUp() override {
    MakeTimetableDatabase(path);
    db = std::make_unique<DbDatabase>(path);
    ASSERT_TRUE(db->isOpen);
  }
  std::string Run(ui::Dialog& dialog, const std::string& id, Controls controls) {
    return ConfirmOrRefusal(script, dialog, id, std::move(controls));
  }
};

// The authority chosen: "any|code|list enabled".
std::string Authority(TimetableExportDialog& d) {
  return std::to_string(d.anyAuthority) + "|" + std::to_string(d.authority) + "|" +
         std::to_string(d.Control(1124)->isEnabled());
}

TEST_F(ExportDialogs, AuthorityChoice) {
  // The untouched list: the not-assigned authority.
  const std::pair<Controls, std::string> cases[] = {
      {{}, "1|0|0"},
      {{{"1123", "0"}, {"1124", "0005"}}, "0|5|1"},
      {{{"1123", "0"}, {"1124", "9998"}},
       "ATTENZIONE: Il Codice Ente Concedente non è valido.\n\n"
       "Occorre selezionare un Codice Regionale Ente presente nella lista.\n\n"
       "L'esportazione dei dati risulta impossibile."},
      {{{"1123", "0"}, {"1124", "00x5"}}, "ATTENZIONE: Il Codice Ente Concedente non è valido."},
  };
  for (const auto& [controls, result] : cases) {
    TimetableExportDialog d(nullptr, db.get(), 131);
    const std::string refusal = Run(d, "131", controls);
    EXPECT_TRUE(HasPrefix(refusal.empty() ? Authority(d) : refusal, result));
  }
}

TEST_F(ExportDialogs, DateRangeInsideTheReportingPeriod) {
  const std::string format =
      " è espressa in un formato illegale.\n\nLe date devono essere espresse nella forma GG/MM/AAAA.\n\n";
  const std::pair<Controls, std::string> cases[] = {
      {{}, "1|0|0|01/01/2024|30/06/2024"},
      {{{"1123", "0"}, {"1124", "0001"}, {"1209", "01.03.24"}, {"1210", "31-03-2024"}}, "0|1|1|01/03/2024|31/03/2024"},
      {{{"1209", "1.3.24"}, {"1210", "31-03-24"}}, "ATTENZIONE: la data di inizio periodo" + format},
      {{{"1209", "31/12/2023"}, {"1210", "31/03/2024"}},
       "ATTENZIONE: la data di inizio periodo è inferiore alla data minima."},
      {{{"1209", "01/03/2024"}, {"1210", "30/02/2024"}}, "ATTENZIONE: la data di fine periodo" + format},
      {{{"1209", "01/03/2024"}, {"1210", "01/07/2024"}}, "ATTENZIONE: la data di fine periodo supera la data massima."},
      {{{"1209", "01/04/2024"}, {"1210", "31/03/2024"}},
       "ATTENZIONE: la data di inizio periodo supera la data di fine periodo."},
  };
  for (const auto& [controls, result] : cases) {
    PeriodTimetableExportDialog d(nullptr, db.get(), "01/01/2024", "30/06/2024", 155);
    const std::string refusal = Run(d, "155", controls);
    EXPECT_EQ(refusal.empty() ? Authority(d) + "|" + d.rangeStart + "|" + d.rangeEnd : refusal, result);
  }
}

TEST_F(ExportDialogs, FirstIdMustBeDigits) {
  const std::string refused = "ATTENZIONE: Il valore ID iniziale deve essere numerico !!!\n\n";
  const std::pair<Controls, std::string> cases[] = {
      {{}, "0"},
      {{{"1211", ""}}, "0"},
      {{{"1211", "001000"}}, "1000"},
      {{{"1211", "999999"}}, "999999"},
      {{{"1211", "12a"}}, refused},
      {{{"1211", "-5"}}, refused},
      {{{"1211", " 12"}}, refused},
  };
  for (const auto& [controls, result] : cases) {
    RenumberedExportDialog d(nullptr, 156);
    const std::string refusal = Run(d, "156", controls);
    EXPECT_EQ(refusal.empty() ? std::to_string(d.firstId) : refusal, result);
    if (controls.empty()) {
      EXPECT_EQ(qobject_cast<QLineEdit*>(d.Control(1211))->text(), QStringLiteral("0"));  // what it showed
    }
  }
}

}  // namespace
