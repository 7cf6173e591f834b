// The options of the day-type and calendar directories: the radio groups, the range box that
// covers the dates, the date check, and what each dialog hands back.

#include "dialogs/CadenceReportDialogs.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QLineEdit>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

TEST(ReportDialogs, CadenceListRadioGroupsKeepScreenAndMembersTogether) {
  struct Case {
    Controls controls;
    std::string members;  // byCode byName preview print
  };
  const Case cases[] = {
      {{}, "1010"},
      {{{"1078", "1"}}, "0110"},
      {{{"1080", "1"}}, "1001"},
      {{{"1077", "1"}, {"1079", "1"}}, "1010"},  // the checked button clicked again
      {{{"1078", "1"}, {"1077", "1"}, {"1080", "1"}}, "1001"},
  };
  for (const Case& c : cases) {
    ui::Script script;
    CadenceListDialog dialog(nullptr, 123);
    EXPECT_EQ(RunDialogScript(dialog, script, c.controls), ui::IDOK);
    EXPECT_EQ(std::to_string(dialog.byCode) + std::to_string(dialog.byName) + std::to_string(dialog.preview) +
                  std::to_string(dialog.print),
              c.members);
    // The screen shows the members.
    EXPECT_EQ(dialog.Control(1077)->property("checked").toBool(), dialog.byCode == 1);
    EXPECT_EQ(dialog.Control(1078)->property("checked").toBool(), dialog.byName == 1);
    EXPECT_EQ(dialog.Control(1079)->property("checked").toBool(), dialog.preview == 1);
    EXPECT_EQ(dialog.Control(1080)->property("checked").toBool(), dialog.print == 1);
    EXPECT_EQ(script.Transcript().front(), "DIALOG\t123\tRubrica Cadenze");
  }
}

TEST(ReportDialogs, CalendarListDatesCheckedOnlyWithoutTheWholeCalendar) {
  const std::string startFault =
      "ATTENZIONE: la data di inizio periodo è espressa in un formato illegale.\n\n"
      "Le date devono essere espresse nella forma GG/MM/AAAA.\n\n";
  const std::string endFault =
      "ATTENZIONE: la data di fine periodo è espressa in un formato illegale.\n\n"
      "Le date devono essere espresse nella forma GG/MM/AAAA.\n\n";
  struct Case {
    Controls controls;
    std::string result;  // result, whole, from|to, preview print, messages
  };
  const Case cases[] = {
      {{}, "1 1 | 10"},
      {{{"1086", "1"}}, "1 1 | 01"},
      {{{"1081", "0"}, {"1082", "1.3.24"}, {"1083", "31/03/2024"}}, "-1 0 | 10 " + startFault},
      {{{"1081", "0"}, {"1082", "01.03.24"}, {"1083", "31-03-2024"}}, "1 0 01/03/2024|31/03/2024 10"},
      {{{"1081", "0"}, {"1082", "01/02/2024"}, {"1083", "31/02/2024"}}, "-1 0 | 10 " + endFault},
      {{{"1081", "0"}, {"1082", ""}, {"1083", "31/03/2024"}}, "-1 0 | 10 " + startFault},
      // Checked again: the dates typed are emptied and not read.
      {{{"1081", "0"}, {"1082", "xx"}, {"1081", "1"}}, "1 1 | 10"},
  };
  for (const Case& c : cases) {
    ui::Script script;
    CalendarListDialog dialog(nullptr, 124);
    const int result = RunDialogScript(dialog, script, c.controls);
    std::string out = std::to_string(result) + " " + std::to_string(dialog.wholeCalendar) + " " + dialog.fromDate +
                      "|" + dialog.toDate + " " + std::to_string(dialog.preview) + std::to_string(dialog.print);
    if (!MessagesOf(script).empty()) out += " " + MessagesOf(script);
    EXPECT_EQ(out, c.result);
  }
}

// Keeps how the dates look when the script's lines have all been applied.
class WatchedCalendarDialog : public CalendarListDialog {
 public:
  using CalendarListDialog::CalendarListDialog;
  std::string seen;

 protected:
  void OnScriptEnd() override {
    for (int id : {1082, 1083}) {
      auto* edit = static_cast<QLineEdit*>(Control(id));
      seen += (edit->isEnabled() ? "on:" : "off:") + edit->text().toStdString() + " ";
    }
    CalendarListDialog::OnScriptEnd();
  }
};

TEST(ReportDialogs, TheRangeBoxEmptiesAndDisablesTheDates) {
  struct Case {
    Controls controls;
    std::string seen;
  };
  const Case cases[] = {
      {{}, "off: off: "},
      {{{"1081", "0"}}, "on: on: "},
      {{{"1081", "0"}, {"1082", "01/03/2024"}, {"1083", "02/03/2024"}}, "on:01/03/2024 on:02/03/2024 "},
      {{{"1081", "0"}, {"1082", "01/03/2024"}, {"1083", "02/03/2024"}, {"1081", "1"}}, "off: off: "},
      {{{"1081", "0"}, {"1082", "01/03/2024"}, {"1081", "1"}, {"1081", "0"}}, "on: on: "},
  };
  for (const Case& c : cases) {
    ui::Script script;
    WatchedCalendarDialog dialog(nullptr, 124);
    RunDialogScript(dialog, script, c.controls);
    EXPECT_EQ(dialog.seen, c.seen);
  }
  // While the whole calendar is chosen, the dates cannot be typed.
  ui::Script script;
  CalendarListDialog dialog(nullptr, 124);
  EXPECT_EQ(RunDialogScript(dialog, script, {{"1082", "01/03/2024"}}), -1);
}

}  // namespace
