// Dialog 148: the nine buttons held apart by their click handlers alone, every check mark set
// from the four members; run headless with scripted answers.

#include "support/UiTestSupport.h"

#include "dialogs/CommunicationOptionsDialog.h"

namespace {

using namespace communication_dialog;

// The check marks of the nine buttons in id order, and the members.
std::string Marks(CommunicationOptionsDialog& d) {
  std::string s;
  for (int id :
       {kFirst, kIncremental, kGeoreferencing, kBudget, kServicePlan, kAnomalies, kHypothesis, kReplaces, kIntegrates})
    s += static_cast<QAbstractButton*>(d.Control(id))->isChecked() ? '1' : '0';
  return s + "|" + std::to_string(d.first) + std::to_string(d.georeferencing) + d.nature + std::to_string(d.replaces);
}

TEST(CommunicationOptionsDialog, ClickingACheckedButtonKeepsIt) {
  ui::Script script;
  CommunicationOptionsDialog d(nullptr, 'B', 148);
  EXPECT_EQ(ConfirmOrRefusal(script, d, "148", {}), "");
  // A radio button that is not exclusive by itself would be unchecked by the click: the handler
  // sets it again from its member.
  for (int id : {kIncremental, kBudget, kReplaces}) static_cast<QAbstractButton*>(d.Control(id))->click();
  EXPECT_EQ(Marks(d), "011100010|01B1");
  static_cast<QAbstractButton*>(d.Control(kHypothesis))->click();
  static_cast<QAbstractButton*>(d.Control(kHypothesis))->click();
  EXPECT_EQ(Marks(d), "011000110|01I1");
}

TEST(CommunicationOptionsDialog, ScriptedAnswers) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> controls;
    std::string members;
  };
  const Case cases[] = {
      {{}, "011100010|01B1"},
      {{{"1175", "1"}, {"1177", "0"}, {"1196", "1"}, {"1199", "1"}}, "100001001|10A0"},
      {{{"1197", "1"}, {"1195", "1"}}, "011010010|01P1"},
      // Clicked twice, the georeferencing is on again.
      {{{"1177", "0"}, {"1177", "1"}}, "011100010|01B1"},
      {{{"1175", "1"}, {"1176", "1"}, {"1198", "1"}}, "011100010|01B1"},
  };
  for (const Case& c : cases) {
    ui::Script script;
    CommunicationOptionsDialog d(nullptr, 'B', 148);
    EXPECT_EQ(ConfirmOrRefusal(script, d, "148", c.controls), "");
    EXPECT_EQ(Marks(d), c.members);
  }
}

}  // namespace
