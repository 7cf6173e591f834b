// The options of the directories and of the primary-stop analysis: each dialog's caption and
// ids, the output radio group whatever is clicked, and what the dialog hands back.

#include "dialogs/DirectoryReportDialogs.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <functional>
#include <memory>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

struct Output {
  int idd;
  std::string caption;
  int previewId, printId;
  std::function<std::unique_ptr<DirectoryOutputDialog>(int idd)> make;
};

template <class D>
std::function<std::unique_ptr<DirectoryOutputDialog>(int)> Make() {
  return [](int idd) { return std::make_unique<D>(nullptr, idd); };
}

TEST(DirectoryDialogs, PreviewOrPrint) {
  const Output dialogs[] = {
      {132, "Rubrica Fermate (normalizzate)", 1127, 1128, Make<StopListDialog>()},
      {146, "Rubrica Fermate (Località)", 1127, 1128, Make<StopLocalityListDialog>()},
      {133, "Rubrica Percorsi (normalizzati)", 1129, 1130, Make<RouteListDialog>()},
      {137, "Rubrica Linee (normalizzate)", 1129, 1130, Make<LineListDialog>()},
      {138, "Rubrica Capolinea", 1129, 1130, Make<TerminusListDialog>()},
      {151, "Rubrica Concatenazioni Corse", 1129, 1130, Make<TripChainListDialog>()},
  };
  for (const Output& d : dialogs) {
    SCOPED_TRACE(d.idd);
    const std::string preview = std::to_string(d.previewId), print = std::to_string(d.printId);
    struct Case {
      Controls controls;
      std::string members;  // preview print
    };
    const Case cases[] = {
        {{}, "10"},
        {{{print, "1"}}, "01"},
        {{{preview, "1"}}, "10"},  // the checked button clicked again
        {{{print, "1"}, {preview, "1"}}, "10"},
    };
    for (const Case& c : cases) {
      ui::Script script;
      auto dialog = d.make(d.idd);
      script.Push({ui::Answer::Kind::Dialog, std::to_string(d.idd), c.controls});
      EXPECT_EQ(dialog->DoModal(), ui::IDOK);
      EXPECT_EQ(std::to_string(dialog->preview) + std::to_string(dialog->print), c.members);
      EXPECT_EQ(dialog->Control(d.previewId)->property("checked").toBool(), dialog->preview == 1);
      EXPECT_EQ(dialog->Control(d.printId)->property("checked").toBool(), dialog->print == 1);
      EXPECT_EQ(script.Transcript().front(), "DIALOG\t" + std::to_string(d.idd) + "\t" + ui::TranscriptText(d.caption));
    }
    // Cancelled.
    ui::Script script;
    auto dialog = d.make(d.idd);
    script.Push({ui::Answer::Kind::DialogCancel, std::to_string(d.idd), {}});
    EXPECT_EQ(dialog->DoModal(), ui::IDCANCEL);
  }
}

TEST(DirectoryDialogs, PrimaryStopAnalysisOneOfThree) {
  struct Case {
    Controls controls;
    std::string members;  // preview print textReport
  };
  const Case cases[] = {
      {{}, "100"},
      {{{"1128", "1"}}, "010"},
      {{{"1201", "1"}}, "001"},
      {{{"1201", "1"}, {"1128", "1"}}, "010"},
      {{{"1128", "1"}, {"1127", "1"}}, "100"},
  };
  for (const Case& c : cases) {
    ui::Script script;
    PrimaryStopAnalysisDialog dialog(nullptr, 157);
    script.Push({ui::Answer::Kind::Dialog, "157", c.controls});
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(std::to_string(dialog.preview) + std::to_string(dialog.print) + std::to_string(dialog.textReport),
              c.members);
    EXPECT_EQ(dialog.Control(1127)->property("checked").toBool(), dialog.preview == 1);
    EXPECT_EQ(dialog.Control(1128)->property("checked").toBool(), dialog.print == 1);
    EXPECT_EQ(dialog.Control(1201)->property("checked").toBool(), dialog.textReport == 1);
    EXPECT_EQ(script.Transcript().front(), "DIALOG\t157\tAnalisi Fermate Primarie");
  }
}

}  // namespace
