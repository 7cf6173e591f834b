// "Assegnazione Contratti" (dialog 129) run headless with scripted answers on a real database:
// the line list from the trips, the any-line box over it, the authority and contract rules.

#include "support/TimetableData.h"
#include "support/UiTestSupport.h"

#include "db/DbDatabase.h"
#include "dialogs/ContractsAssignDialog.h"

#include <QComboBox>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

const std::string kImpossible = "L'assegnazione automatica degli estremi contrattuali risulta\nimpossibile.";

struct ContractsDialog : TimetableDialogTest {
  void Fill() override {
    RunSql(path, TripHeadSql(1, 1, 700) + TripHeadSql(2, 1, 800) + "UPDATE tescor SET codlinea = 'B7' WHERE id = 2;" +
                     TripHeadSql(3, 2, 900));
  }
  std::string Run(ui::Dialog& dialog, Controls controls) {
    return ConfirmOrRefusal(script, dialog, "129", std::move(controls));
  }
};

// What the dialog handed back: "any|line|authority|contract|line list enabled".
std::string Choice(ContractsAssignDialog& d) {
  return std::to_string(d.anyLine) + "|" + d.line.text + "|" + std::to_string(d.authority) + "|" +
         std::to_string(d.contract) + "|" + std::to_string(d.Control(1113)->isEnabled());
}

TEST_F(ContractsDialog, ChoicesAndRefusals) {
  const std::pair<Controls, std::string> cases[] = {
      // Untouched: every line, the not-assigned authority, contract 0.
      {{}, "1||0|0|0"},
      {{{"1114", "0005"}, {"1115", "12"}}, "1||5|12|0"},
      {{{"1112", "0"}, {"1113", "B7"}, {"1114", "0001"}, {"1115", "0007"}}, "0|B7|1|7|1"},
      // Typed with trailing blanks: handed back without them.
      {{{"1112", "0"}, {"1113", "L1  "}}, "0|L1|0|0|1"},
      // Checked again: the list is disabled, its text kept.
      {{{"1112", "0"}, {"1113", "B7"}, {"1112", "1"}}, "1|B7|0|0|0"},
      {{{"1114", "9998"}},
       "ATTENZIONE: Il Codice Ente Concedente non è valido.\n\n"
       "Occorre selezionare un Codice Regionale Ente presente nella lista.\n\n" +
           kImpossible},
      {{{"1114", "00x5"}}, "ATTENZIONE: Il Codice Ente Concedente non è valido.\n\n"},
      {{{"1115", "12a"}},
       "ATTENZIONE: Il Codice Contratto non è valido.\n\n"
       "Occorre indicare un Codice Contratto numerico compreso tra 0 e 9999.\n\n" +
           kImpossible},
      {{{"1115", "-1"}}, "ATTENZIONE: Il Codice Contratto non è valido.\n\n"},
  };
  for (const auto& [controls, result] : cases) {
    ContractsAssignDialog d(nullptr, db.get(), 129);
    const std::string refusal = Run(d, controls);
    EXPECT_TRUE(HasPrefix(refusal.empty() ? Choice(d) : refusal, result));
  }
}

TEST_F(ContractsDialog, LinesReadAlikeAreEntriesOfTheirOwn) {
  // "?1" itself and, after B7 and L1, U+0141 and U+015A stored by another tool: three entries
  // "?1", in their stored order; the one chosen is handed back as stored, a text typed as typed.
  RunSql(path, TripHeadSql(4, 3, 700) + TripHeadSql(5, 3, 800) + TripHeadSql(6, 3, 900) +
                   "UPDATE tescor SET codlinea = char(0x141 + (id = 5) * 25) || '1' WHERE id IN (4, 5);"
                   "UPDATE tescor SET codlinea = '?1' WHERE id = 6;");
  const std::pair<Controls, DbText> cases[] = {
      {{{"1112", "0"}, {"1113#", "4"}},
       {"?1",
        "\xC5\x9A"
        "1"}},
      {{{"1112", "0"}, {"1113#", "3"}},
       {"?1",
        "\xC5\x81"
        "1"}},
      {{{"1112", "0"}, {"1113#", "0"}}, {"?1", ""}},
      {{{"1112", "0"}, {"1113", "?1"}}, {"?1", ""}},
  };
  for (const auto& [controls, line] : cases) {
    ContractsAssignDialog d(nullptr, db.get(), 129);
    EXPECT_EQ(Run(d, controls), "");
    EXPECT_EQ(d.line, line);
    EXPECT_EQ(qobject_cast<QComboBox*>(d.Control(1113))->count(), 5);
  }
}

TEST_F(ContractsDialog, TheLineListHoldsEachLineOnce) {
  ContractsAssignDialog d(nullptr, db.get(), 129);
  Run(d, {});
  const auto* lines = qobject_cast<QComboBox*>(d.Control(1113));
  ASSERT_NE(lines, nullptr);
  QStringList entries;
  for (int k = 0; k < lines->count(); ++k) entries << lines->itemText(k);
  EXPECT_EQ(entries, (QStringList{QStringLiteral("B7"), QStringLiteral("L1")}));
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Assegnazione Contratti"));
}

}  // namespace
