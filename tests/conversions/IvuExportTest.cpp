#include "conversions/ivu/IvuExport.h"
#include "conversions/ivu/IvuFields.h"
#include "db/DbDatabase.h"
#include "support/TestSupport.h"
#include "support/TimetableData.h"

#include <gtest/gtest.h>

namespace {

std::string StopSql(int id, int sub, const char* code, int dist, int arr, int dep) {
  return "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma,"
         " reglocal) VALUES (" +
         std::to_string(id) + ", " + std::to_string(sub) + ", '" + code + "', 'Fermata " + code + "', NULL, " +
         std::to_string(dist) + ", " + std::to_string(arr) + ", " + std::to_string(dep) + ", 0, 0, 0, 0);";
}

std::string PeriodSql(int id, const char* start) {
  return "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (" + std::to_string(id) + ", 'FER', '" + start +
         "', '2024-06-30', 0);";
}

TEST(IvuExportFields, AHashInATextBecomesABlank) {
  EXPECT_EQ(ivu::JoinIvuFields({"A#B", "", "C"}), "A B##C#");
  EXPECT_EQ(ivu::FormatIvuTimeOfDay(705), "07.05:00");
  EXPECT_EQ(ivu::FormatIvuDuration(15), "15:00");
  EXPECT_EQ(ivu::FormatIvuCoordinate(12.5), "13");
  EXPECT_EQ(ivu::FormatIvuCoordinate(-12.5), "-13");
}

TEST(IvuExport, ThreeStopsAndSharedStandardTrip) {
  ScratchDir dir;
  const std::string path = dir.Path("t.db");
  MakeTimetableDatabase(path);
  std::string sql = "INSERT INTO calend (data, caden, giorno, note) VALUES ('2024-01-03', 'FER', '3', 'x');";
  for (int id : {1, 2}) {
    const int shift = (id - 1) * 100;
    sql += TripHeadSql(id, 1, 800 + shift) + StopSql(id, 1, "A", 0, 9999, 800 + shift) +
           StopSql(id, 2, "B", 4200, 810 + shift, 812 + shift) + StopSql(id, 3, "C", 9000, 830 + shift, 9999) +
           PeriodSql(id, "2024-01-01") + PeriodSql(id, "2024-01-02");  // two periods: every stop row comes twice
  }
  RunSql(path, sql);
  ivu::IvuExportData data;
  std::string message;
  {
    DbDatabase db(path);
    ASSERT_TRUE(ivu::LoadIvuExport(&db, data, message, nullptr)) << message;
  }
  ASSERT_EQ(data.stops.size(), 3u);
  EXPECT_EQ(data.stops[0].code, "A");
  EXPECT_EQ(data.stops[2].name, "Fermata C");
  ASSERT_EQ(data.standardTrips.size(), 1u);
  const ivu::IvuStandardTrip& standard = data.standardTrips[0];
  ASSERT_EQ(standard.stops.size(), 3u);  // once each, though every row came once for each period
  EXPECT_EQ(standard.stops[1].stop, 1);
  EXPECT_EQ(standard.stops[1].distance, 4200);
  EXPECT_EQ(standard.stops[2].distance, 9000);
  EXPECT_EQ(standard.stops[2].arrival, 830);
  ASSERT_EQ(standard.trips.size(), 2u);
  EXPECT_EQ(standard.trips[0].code, "C1");
  EXPECT_EQ(standard.trips[1].departure, 900);
  EXPECT_EQ(standard.trips[1].arrival, 930);
  ivu::IvuExportOptions o;
  o.sigla = "ABC";
  o.version = 12;
  o.description = "Inverno";
  const auto files = ivu::IvuExportFiles(data, o);
  const ivu::IvuExportFile* ld = nullptr;
  for (const auto& f : files)
    if (f.name == "ldL1.asc") ld = &f;
  ASSERT_NE(ld, nullptr);
  ASSERT_EQ(ld->rows.size(), 4u);
  EXPECT_EQ(ld->rows[1], "1##0#4200#0#1#10:00#00:00####");
  EXPECT_EQ(ld->rows[2], "2##1#4800#0#2#18:00#02:00####");
  EXPECT_EQ(ld->rows[3], "3##2#0#0#3#00:00#00:00####");
  EXPECT_EQ(data.daySets.size(), 1u);
  EXPECT_EQ(data.daySets[0], "2" + std::string(95, '0'));
  const auto w = ivu::WriteIvuExport(data, o, dir.Dir(), nullptr);
  ASSERT_TRUE(w.ok);
  EXPECT_EQ(FileBytes(dir.Path("versione.asc")), "12#Inverno#01.01.2024#30.06.2024##\r\n");
}

}  // namespace
