// A timetable exported as an IVU-InfoPool set and that set converted back into the region's files
// by the IVU conversion's engine: every trip comes back with its line, code, stop names,
// distances, times and exactly its days of service, as single-day periods of the day type UNICA.
// Where the reader takes a field otherwise than the export writes it, the difference is checked.

#include "common/Cp1252.h"
#include "conversions/ivu/IvuConversion.h"
#include "conversions/ivu/IvuExport.h"
#include "db/DbDatabase.h"
#include "support/IvuTimetable.h"

#include <gtest/gtest.h>
#include <QDir>
#include <map>
#include <set>
#include <vector>

namespace {

struct StopSpec {
  const char* code;
  const char* name;
  int dist, arrival, departure;
};

struct PeriodSpec {
  const char* dayType;
  const char* from;
  const char* to;
  bool excluded;
};

struct TripSpec {
  int id;
  const char* line;
  const char* verso;
  const char* code;
  std::vector<StopSpec> stops;
  std::vector<PeriodSpec> periods;
  std::set<std::string> days;  // yyyymmdd: the days it runs
};

// FER runs on 8-12 January and 30-31 December 2024, FES on 13-14 January.
void Calendar(IvuTimetable& t) {
  t.Days("FER", "2024-01-08", "2024-01-12").Days("FES", "2024-01-13", "2024-01-14");
  t.Days("FER", "2024-12-30", "2024-12-31");
}

const std::vector<TripSpec> kTrips = {
    {1,
     "5",
     "A",
     "C1",
     {{"A", "Stazione", 0, 9999, 700}, {"B", "Piazza Città", 4200, 710, 712}, {"C", "Ospedale", 9000, 730, 9999}},
     {{"FER", "2024-01-01", "2024-12-31", false}, {"FER", "2024-01-10", "2024-01-10", true}},
     {"20240108", "20240109", "20240111", "20240112", "20241230", "20241231"}},
    {2,
     "5",
     "A",
     "C2",
     {{"A", "Stazione", 0, 9999, 800}, {"B", "Piazza Città", 4200, 810, 812}, {"C", "Ospedale", 9000, 830, 9999}},
     {{"FES", "2024-01-01", "2024-06-30", false}},
     {"20240113", "20240114"}},
    {3,
     "5",
     "R",
     "C3",
     {{"C", "Ospedale", 100, 9999, 900}, {"B", "Piazza Città", 4900, 918, 920}, {"A", "Stazione", 9100, 931, 9999}},
     {{"FER", "2024-01-09", "2024-01-11", false}},
     {"20240109", "20240110", "20240111"}},
    {4,
     "12",
     "A",
     "N4",
     {{"A", "Stazione", 0, 9999, 2350}, {"D", "Deposito", 4200, 5, 7}, {"E", "Aeroporto", 9000, 20, 9999}},
     {{"FER", "2024-01-12", "2024-01-13", false},
      {"FES", "2024-01-06", "2024-01-14", true},
      {"FES", "2024-01-13", "2024-01-13", false}},
     {"20240112", "20240113"}},
    {5,
     "7B",
     "A",
     "C5",
     {{"A", "Stazione", 0, 9999, 1200},
      {"D", "Deposito", 1500, 1204, 1205},
      {"B", "Piazza Città", 2500, 1210, 1210},
      {"C", "Ospedale", 7000, 1222, 9999}},
     {{"FER", "2024-12-31", "2024-12-31", false}},
     {"20241231"}},
};

std::string Field(const std::string& line, size_t at, size_t width) {
  std::string f = line.substr(at, width);
  while (!f.empty() && f.back() == ' ') f.pop_back();
  while (!f.empty() && f.front() == ' ') f.erase(0, 1);
  return f;
}

std::vector<std::string> Lines(const std::string& path) {
  const std::string bytes = FileBytes(path);
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(bytes.substr(start, end - start));
  return lines;
}

struct RoundTrip : ::testing::Test {
  ScratchDir dir;
  const std::string path = dir.Path("t.db"), set = dir.Path("ivu"), rt = dir.Path("rt");

  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(set)));
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(rt)));
  }

  void Export(const std::vector<TripSpec>& trips) {
    IvuTimetable t;
    t.Master(36, "2024-01-01", "2024-12-31");
    Calendar(t);
    for (const TripSpec& trip : trips) {
      t.Trip(trip.id, trip.line, trip.verso, trip.code);
      int sub = 0;
      for (const StopSpec& s : trip.stops) t.Stop(trip.id, ++sub, s.code, s.dist, s.arrival, s.departure, s.name);
      for (const PeriodSpec& p : trip.periods) t.Period(trip.id, p.dayType, p.from, p.to, p.excluded);
    }
    t.Make(path);
    ExportIvuSet(path, set, IvuOptions(3, "Orario 2024"));
  }
};

TEST_F(RoundTrip, EveryTripComesBack) {
  Export(kTrips);
  if (HasFatalFailure()) return;
  const ivu::IvuReading reading = ivu::ReadIvuSet(set, nullptr);
  ASSERT_TRUE(reading.ok) << reading.failedPath;
  ASSERT_TRUE(reading.errors.Empty()) << reading.errors.Entries().front().file << " "
                                      << reading.errors.Entries().front().message;
  // No betrtage.asc nor kalender.asc: the days are read from the day sets.
  EXPECT_TRUE(reading.set.bitFieldMode);
  const ivu::IvuWriting w = ivu::WriteIvuRtFiles(reading, 36, rt, ClockTime{2024, 3, 1, 8, 0, 0}, nullptr);
  ASSERT_TRUE(w.ok) << w.failedPath;
  ASSERT_EQ(w.trips, static_cast<long>(kTrips.size()));

  std::map<std::string, std::string> codeOf;  // output id -> trip code
  std::map<std::string, std::string> lineOf;
  for (const std::string& h : Lines(rt + "/RT_HDORA.TXT")) {
    ASSERT_EQ(h.size(), 229u);
    const std::string id = Field(h, 4, 6);
    codeOf[id] = Field(h, 10, 20);
    lineOf[codeOf[id]] = Field(h, 72, 10);
    // The export writes the direction as a letter, which the reader takes for neither "1" nor
    // "2": the direction comes back blank.
    EXPECT_EQ(h[82], ' ') << codeOf[id];
  }
  std::map<std::string, std::vector<std::string>> stopsOf;  // code -> "name|dist|arriva|parte"
  for (const std::string& d : Lines(rt + "/RT_DTORA.TXT")) {
    ASSERT_EQ(d.size(), 139u);
    // The stop code: the reader takes it from field 6 of halteste.asc, which the export leaves
    // empty.
    EXPECT_EQ(Field(d, 14, 10), "");
    stopsOf[codeOf[Field(d, 4, 6)]].push_back(Field(d, 40, 40) + "|" + std::to_string(std::stol(Field(d, 120, 8))) +
                                              "|" + Field(d, 128, 4) + "|" + Field(d, 132, 4));
  }
  std::map<std::string, std::set<std::string>> daysOf;
  for (const std::string& p : Lines(rt + "/RT_PERIOD.TXT")) {
    ASSERT_EQ(p.size(), 37u);
    EXPECT_EQ(Field(p, 10, 10), "UNICA");
    EXPECT_EQ(Field(p, 20, 8), Field(p, 28, 8)) << "a single day";
    EXPECT_EQ(p[36], '0');
    EXPECT_TRUE(daysOf[codeOf[Field(p, 4, 6)]].insert(Field(p, 20, 8)).second) << "each day once";
  }
  for (const TripSpec& trip : kTrips) {
    SCOPED_TRACE(trip.code);
    EXPECT_EQ(lineOf[trip.code], trip.line);
    std::vector<std::string> expected;
    char time[8];
    for (const StopSpec& s : trip.stops) {
      std::string row = std::string(s.name) + "|" + std::to_string(s.dist - trip.stops.front().dist) + "|";
      std::snprintf(time, sizeof time, "%04d", s.arrival);
      row += std::string(time) + "|";
      std::snprintf(time, sizeof time, "%04d", s.departure);
      expected.push_back(row + time);
    }
    EXPECT_EQ(stopsOf[trip.code], expected);
    EXPECT_EQ(daysOf[trip.code], trip.days);
  }
}

TEST_F(RoundTrip, ASecondTimetableOfAVariantIsRefusedByTheReader) {
  // Trip 2 stays 2 minutes longer at B: a second standard trip of the same variant, ordinal 2. The
  // reader takes the ordinal for the number of time models, so that the stop rows of that
  // standard trip lack the fields of its second model and are refused.
  std::vector<TripSpec> trips(kTrips.begin(), kTrips.begin() + 2);
  trips[1].stops[1].departure = 814;
  Export(trips);
  if (HasFatalFailure()) return;
  EXPECT_EQ(Lines(set + "/ld5.asc")[4], "5#3#1#36000#1#A#3#2#BUS##");
  const ivu::IvuReading reading = ivu::ReadIvuSet(set, nullptr);
  ASSERT_TRUE(reading.ok) << reading.failedPath;
  std::vector<long> refused;
  for (const ivu::IvuError& e : reading.errors.Entries())
    if (e.file == "LD5" && e.message == "formato dati illegale") refused.push_back(e.line);
  EXPECT_EQ(refused, (std::vector<long>{6, 7, 8}));
}

TEST_F(RoundTrip, ATripCodeOfElevenCharactersIsRefusedByTheReader) {
  // The export writes the trip code whole; the reader takes at most ten characters.
  std::vector<TripSpec> trips(kTrips.begin(), kTrips.begin() + 2);
  trips[1].code = "CORSA000002";
  Export(trips);
  if (HasFatalFailure()) return;
  const ivu::IvuReading reading = ivu::ReadIvuSet(set, nullptr);
  ASSERT_TRUE(reading.ok) << reading.failedPath;
  ASSERT_FALSE(reading.errors.Empty());
  const ivu::IvuError& first = reading.errors.Entries().front();
  EXPECT_EQ(first.file + "|" + std::to_string(first.line) + "|" + first.message, "FD5|3|formato dati illegale");
}

}  // namespace
