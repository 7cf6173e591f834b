// The HyperPlan route set through the engine: read from the shapefile set, written as RT_ITIN, and
// the writing's count of records is what the written set holds.

#include "conversions/hyperplan/RouteConversion.h"
#include "conversions/shapefiles/ShapeSetReader.h"
#include "support/GdalTools.h"
#include "support/TestSupport.h"

namespace {

// The tests' route set, read.
struct HyperPlanRouteSet : ::testing::Test {
  NoticeLog notices;
  ScratchDir dir;
  RouteReading reading;
  void SetUp() override {
    MakeShapeSet(TestDataDir() + "/conversions/percorsi_hyperplan.csv", dir.Path("percorsi.shp"));
    reading = ReadRouteSet(dir.Path("percorsi.shp"), nullptr);
    ASSERT_TRUE(reading.ok) << reading.Failure();
    ASSERT_EQ(reading.lines.size(), 2u);  // R2 has no geometry, and is counted
    ASSERT_EQ(reading.skipped, 1);
    // The record left out is warned of once, and nothing else is said.
    ASSERT_EQ(reading.messages.size(), 1u);
    EXPECT_EQ(reading.messages[0].icon, NoticeIcon::Exclamation);
    EXPECT_EQ(
        reading.messages[0].text,
        "ATTENZIONE: 1 entità dello Shape File non contiene alcuna linea\ne non è stata convertita in RT_ITIN.SHP.");
  }
};

TEST_F(HyperPlanRouteSet, TheWritingCountsTheRecordsWritten) {
  const RouteWriting writing = WriteRouteSet(dir.Path("RT_ITIN.SHP"), reading.lines, 36, ClockTime{2024, 3, 1});
  ASSERT_TRUE(writing.ok) << writing.Failure();
  ShapeSetReader back;
  ASSERT_TRUE(back.Open(dir.Path("RT_ITIN.SHP"))) << back.Fault();
  EXPECT_EQ(back.Count(), 2);
  EXPECT_EQ(writing.records, back.Count());
}

TEST_F(HyperPlanRouteSet, AFolderThatCannotBeWrittenCountsNoRecord) {
  const RouteWriting writing = WriteRouteSet(dir.Path("manca/RT_ITIN.SHP"), reading.lines, 36, ClockTime{2024, 3, 1});
  EXPECT_FALSE(writing.ok);
  EXPECT_TRUE(HasPrefix(writing.Failure(), "Impossibile creare\n\n"));
  EXPECT_EQ(writing.records, 0);
}

}  // namespace
