// The grouping of homogeneous trips as a command and as the silent last step of the whole import,
// on the real main window with the hand-made trips imported.

#include "CommandTestSupport.h"
#include "ProgramTestSupport.h"

#include "app/Busy.h"
#include "app/ClientArea.h"
#include "app/commands/GroupingCommand.h"
#include "db/DbDatabase.h"

#include <sqlite3.h>
#include <QApplication>

namespace {

using K = ImportKind;

// Notes the status band each time a progress bar is put on the client area.
struct BandAtEachBar : QObject {
  ClientArea* area;
  std::vector<std::string> bands;
  explicit BandAtEachBar(ClientArea* a) : area(a) { area->installEventFilter(this); }
  ~BandAtEachBar() override { area->removeEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::ChildAdded) bands.push_back(cp1252::FromQStringLossy(area->StatusBandText()));
    return false;
  }
};

struct OnTheFrame : ProgramTest {
  void SetUp() override {
    MakeTimetableDatabase(db_);
    ImportHandMade(db_, {K::Cadences, K::TripHeads, K::TripDetails});
    StartProgram(false);
    ASSERT_NE(frame_->Database(), nullptr);
    QApplication::processEvents();
    script_.Clear();
  }
  std::string Groups() const { return QueryFile(db_, "SELECT gruppo FROM tescor ORDER BY id"); }
};

TEST_F(OnTheFrame, CommandAsksFirstThenTellsTheResult) {
  script_.Cancel();
  GroupHomogeneousTrips(frame_, GroupingMode::Command);
  EXPECT_EQ(Groups(), "-1\n-1\n-1\n");
  script_.Ok();
  GroupHomogeneousTrips(frame_, GroupingMode::Command);
  const auto boxes = Boxes(script_.Transcript());
  ASSERT_EQ(boxes.size(), 3u);
  const std::string question = Box(0x21,
                                   "ATTENZIONE: Questa funzione identificherà le corse che hanno percorso identico.\n"
                                   "Percorso identico significa che:\n");
  EXPECT_EQ(boxes[0].substr(0, question.size()), question);
  EXPECT_EQ(boxes[1], boxes[0]);
  EXPECT_EQ(boxes[2], Box(0x40, "Risultati dell'elaborazione:\n\nLette 3 corse; Identificati 2 quadri orari."));
  EXPECT_EQ(Groups(), "1\n2\n1\n");
}

TEST_F(OnTheFrame, SilentGroupingShowsNoBandOfItsOwn) {
  frame_->ShowStatusBand(DescriptorOf(K::Periods).caption);
  BandAtEachBar watch(frame_->Client());
  GroupHomogeneousTrips(frame_, GroupingMode::Silent);
  ASSERT_FALSE(watch.bands.empty());
  for (const std::string& band : watch.bands) EXPECT_EQ(band, "");
  EXPECT_TRUE(script_.Messages().empty());
  EXPECT_EQ(Groups(), "1\n2\n1\n");
}

TEST_F(OnTheFrame, MissingMasterIsSaidEvenWhenSilentBeforeTheBusyClockStarts) {
  ASSERT_EQ(sqlite3_exec(frame_->Database()->Handle(), "DELETE FROM master", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_TRUE(app_->busyWindow && !app_->busyWindow->IsRunning());
  GroupHomogeneousTrips(frame_, GroupingMode::Silent);
  EXPECT_FALSE(app_->busyWindow->IsRunning());
  EXPECT_EQ(Boxes(script_.Transcript()),
            std::vector<std::string>{Box(0x10,
                                         "ATTENZIONE: risulta impossibile trovare il MASTER\n\n"
                                         "Presumibilmente il DataBase è corrotto !!!")});
  EXPECT_EQ(Groups(), "-1\n-1\n-1\n");
}

}  // namespace
