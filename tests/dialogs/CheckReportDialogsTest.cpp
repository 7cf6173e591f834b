// The options of the contract and days-of-operation checks: the radio groups, the range box that
// covers the trip ids, the ids read by the rule of every number field, and what each dialog hands back.

#include "dialogs/CheckReportDialogs.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

TEST(CheckReportDialogs, ContractCheckOutputAndDetail) {
  struct Case {
    Controls controls;
    std::string members;  // preview print tripsAndTotals totalsOnly
  };
  const Case cases[] = {
      {{}, "1010"},
      {{{"1111", "1"}}, "0110"},
      {{{"1207", "1"}}, "1001"},
      {{{"1207", "1"}, {"1206", "1"}, {"1206", "1"}}, "1010"},
      {{{"1111", "1"}, {"1207", "1"}}, "0101"},
  };
  for (const Case& c : cases) {
    ui::Script script;
    ContractCheckDialog dialog(nullptr, 128);
    EXPECT_EQ(RunDialogScript(dialog, script, c.controls), ui::IDOK);
    EXPECT_EQ(std::to_string(dialog.preview) + std::to_string(dialog.print) + std::to_string(dialog.tripsAndTotals) +
                  std::to_string(dialog.totalsOnly),
              c.members);
    EXPECT_EQ(dialog.Control(1110)->property("checked").toBool(), dialog.preview == 1);
    EXPECT_EQ(dialog.Control(1207)->property("checked").toBool(), dialog.totalsOnly == 1);
    EXPECT_EQ(script.Transcript().front(), "DIALOG\t128\tVerifica Contratti");
  }
}

TEST(CheckReportDialogs, OperatingDaysIdsReadOnlyForARange) {
  const std::string fromFault =
      "ATTENZIONE: il valore del campo \"Da ID corsa\" non è valido.\n\nOccorre indicare un numero intero compreso "
      "tra 0 e 999999999.\n\nI dati immessi non saranno registrati !!!";
  struct Case {
    Controls controls;
    std::string result;  // result all from-to preview print, messages
  };
  const Case cases[] = {
      {{}, "1 1 0-0 10"},
      {{{"1154", "1"}}, "1 1 0-0 01"},
      {{{"1150", "0"}, {"1151", "12"}, {"1152", "340"}}, "1 0 12-340 10"},
      {{{"1150", "0"}, {"1151", ""}, {"1152", "7"}}, "1 0 0-7 10"},
      {{{"1150", "0"}, {"1151", "12a"}, {"1152", "7"}}, "-1 0 0-0 10 " + fromFault},
      {{{"1150", "0"}, {"1151", "-1"}, {"1152", "7"}}, "-1 0 0-0 10 " + fromFault},
      // Checked again: the ids typed are emptied and not read.
      {{{"1150", "0"}, {"1151", "xx"}, {"1150", "1"}}, "1 1 0-0 10"},
  };
  for (const Case& c : cases) {
    ui::Script script;
    OperatingDaysCheckDialog dialog(nullptr, 142);
    const int result = RunDialogScript(dialog, script, c.controls);
    std::string out = std::to_string(result) + " " + std::to_string(dialog.allTrips) + " " +
                      std::to_string(dialog.fromId) + "-" + std::to_string(dialog.toId) + " " +
                      std::to_string(dialog.preview) + std::to_string(dialog.print);
    if (!MessagesOf(script).empty()) out += " " + MessagesOf(script);
    EXPECT_EQ(out, c.result);
    EXPECT_EQ(script.Transcript().front(), "DIALOG\t142\tVerifica Giorni Effettuazione Corse");
    EXPECT_EQ(dialog.Control(1151)->isEnabled(), dialog.allTrips == 0);
  }
}

}  // namespace
