// The options of the quadro timetables in print: the range box, the two stop options that hold
// each other, the range read as numbers (quadri) or as typed (lines), and what is handed back.

#include "dialogs/QuadroReportDialogs.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

int RunScripted(ui::Dialog& dialog, ui::Script& script, const Controls& controls) {
  script.Push({ui::Answer::Kind::Dialog, std::to_string(dialog.Idd()), controls});
  try {
    return dialog.DoModal();
  } catch (const ui::UnansweredQuestion&) {
    return -1;
  }
}

// whole, optional, not served, preview, print; then the screen's state of the two stop boxes.
std::string Members(const QuadroListDialog& d) {
  return std::to_string(d.whole) + std::to_string(d.includeOptional) + std::to_string(d.includeNotServed) +
         std::to_string(d.preview) + std::to_string(d.print) + " " +
         std::to_string(d.Control(1085)->property("checked").toBool()) +
         std::to_string(d.Control(1087)->property("checked").toBool());
}

TEST(QuadroReportDialogs, StopOptionsHoldEachOther) {
  struct Case {
    Controls controls;
    std::string members;
  };
  const Case cases[] = {
      {{}, "11010 10"},
      {{{"1087", "1"}}, "11110 11"},
      // Clearing the optional stops clears the stops not served.
      {{{"1087", "1"}, {"1085", "0"}}, "10010 00"},
      // Setting the stops not served sets the optional stops.
      {{{"1085", "0"}, {"1087", "1"}}, "11110 11"},
      {{{"1085", "0"}, {"1096", "1"}}, "10001 00"},
      {{{"1087", "1"}, {"1087", "0"}}, "11010 10"},
  };
  for (const Case& c : cases) {
    for (int idd : {125, 144}) {
      ui::Script script;
      std::unique_ptr<QuadroListDialog> dialog;
      if (idd == 125)
        dialog = std::make_unique<TripListDialog>(nullptr, idd);
      else
        dialog = std::make_unique<LineTableListDialog>(nullptr, idd);
      EXPECT_EQ(RunScripted(*dialog, script, c.controls), ui::IDOK);
      EXPECT_EQ(Members(*dialog), c.members) << idd;
    }
  }
}

TEST(QuadroReportDialogs, RangesReadOnlyWithoutTheWholeSelection) {
  const auto fault = [](const std::string& label) {
    return "ATTENZIONE: il valore del campo \"" + label +
           "\" non è valido.\n\nOccorre indicare un numero intero compreso tra 0 e 999999999.\n\nI dati immessi non "
           "saranno registrati !!!";
  };
  struct Case {
    Controls controls;
    std::string trips;  // result whole from to, messages
    std::string lines;
  };
  const Case cases[] = {
      {{}, "1 1 -1 -1", "1 ||"},
      {{{"1088", "0"}, {"1090", "12"}, {"1092", "40"}}, "1 0 12 40", "0 |12|40"},
      {{{"1088", "0"}, {"1090", ""}, {"1092", "40"}}, "1 0 0 40", "0 ||40"},
      // The quadro numbers by the rule of every number field; the lines as typed.
      {{{"1088", "0"}, {"1090", "3x"}, {"1092", "40"}}, "-1 0 -1 -1 " + fault("Dal quadro"), "0 |3x|40"},
      {{{"1088", "0"}, {"1090", "12"}, {"1092", " 40"}}, "-1 0 -1 -1 " + fault("Al quadro"), "0 |12| 40"},
      {{{"1088", "0"}, {"1090", "L\"1"}, {"1092", "L9"}}, "-1 0 -1 -1 " + fault("Dal quadro"), "0 |L\"1|L9"},
      // Checked again: the range typed is emptied and not read.
      {{{"1088", "0"}, {"1090", "7x"}, {"1088", "1"}}, "1 1 -1 -1", "1 ||"},
  };
  for (const Case& c : cases) {
    {
      ui::Script script;
      TripListDialog trips(nullptr, 125);
      const int result = RunScripted(trips, script, c.controls);
      std::string out = std::to_string(result) + " " + std::to_string(trips.whole) + " " +
                        std::to_string(trips.fromGroup) + " " + std::to_string(trips.toGroup);
      if (!MessagesOf(script).empty()) out += " " + MessagesOf(script);
      EXPECT_EQ(out, c.trips);
      EXPECT_EQ(script.Transcript().front(), "DIALOG\t125\tRubrica Corse");
    }
    ui::Script script;
    LineTableListDialog lines(nullptr, 144);
    ASSERT_EQ(RunScripted(lines, script, c.controls), ui::IDOK);
    EXPECT_EQ(std::to_string(lines.whole) + " |" + lines.fromLine + "|" + lines.toLine, c.lines);
    EXPECT_EQ(script.Transcript().front(), "DIALOG\t144\tRubrica Quadri Linea");
  }
}

}  // namespace
