// The IVU-InfoPool export's engine on timetables built row by row in a real database: the set
// read and written into a folder of the test's own, its rows checked as the files hold them.

#include "conversions/ivu/IvuExport.h"
#include "conversions/ivu/IvuFields.h"
#include "db/DbDatabase.h"
#include "support/IvuTimetable.h"
#include "support/TestSupport.h"
#include "support/TimetableData.h"

#include <gtest/gtest.h>
#include <QDir>
#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

// The rows of a file written with CR LF line ends (a bare LF fails the test).
std::vector<std::string> Rows(const std::string& path) {
  const std::string bytes = FileBytes(path);
  std::vector<std::string> rows;
  for (size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    rows.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(rows.back().find('\n'), std::string::npos) << path;
  }
  EXPECT_TRUE(bytes.empty() || (bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n")) << path;
  return rows;
}

// A day set of 96 digits with the days of the given ranges (first, last, both included) set.
std::string DaySet(std::initializer_list<std::pair<int, int>> ranges, std::initializer_list<int> cleared = {}) {
  std::set<int> days;
  for (auto [first, last] : ranges)
    for (int d = first; d <= last; ++d) days.insert(d);
  for (int d : cleared) days.erase(d);
  std::string text;
  for (int digit = 0; digit < 96; ++digit) {
    int value = 0;
    for (int bit = 0; bit < 4; ++bit)
      if (days.count(digit * 4 + bit)) value |= 8 >> bit;
    text += "0123456789ABCDEF"[value];
  }
  return text;
}

struct Row {
  const char* file;
  int index;  // from 0
  std::string text;
};

struct Count {
  const char* file;
  size_t rows;
};

struct ExportCase {
  const char* name;
  std::function<void(IvuTimetable&)> build;  // after the master row of company 36 for 2024
  std::vector<Row> rows;
  std::vector<Count> counts;
  const char* mode = "BUS";
  std::function<void(ivu::IvuExportData&)> prepare = {};  // between reading and writing
};

std::ostream& operator<<(std::ostream& os, const ExportCase& c) { return os << c.name; }

const std::string k95 = std::string(95, '0');

const ExportCase kCases[] = {
    {"Operator",
     [](IvuTimetable& t) { t.Company(36, "Autolinee Prova"); },
     {{"betriebe.asc", 0, "36#ABC#Autolinee Prova#36000#BUS#BUS#36000#BUS#ABC#"},
      {"lieferan.asc", 0, "ABC#Autolinee Prova#"},
      {"zeichen.asc", 0, "ANSI#2.0#"},
      {"koordsys.asc", 0, "#Infopool-Koordinaten#"},
      {"verkehrm.asc", 0, "BUS#BUS#Bus#"},
      {"versione.asc", 0, "7#Orario 2024#01.01.2024#31.12.2024##"}},
     {{"betriebe.asc", 1}, {"halteste.asc", 0}, {"bitfeld.asc", 0}}},
    {"Tram",
     [](IvuTimetable& t) {
       t.NoCompany(36).Trip(1, "5", "A").ThreeStops(1, 800).Period(1, "FER", "2024-01-01", "2024-12-31");
     },
     {{"verkehrm.asc", 0, "TRAM#TRAM#Tram#"},
      {"betriebe.asc", 0, "36#ABC#?????#36000#TRAM#TRAM#36000#TRAM#ABC#"},
      {"ld5.asc", 0, "5#7#1#36000#1#A#3#1#TRAM##"},
      {"fd5.asc", 1, "1#0#08.00:00#3#2#08.30:00#TRAM#1#C1#1111111#0#0#1##"}},
     {},
     "TRAM"},
    {"ThreeStops",
     [](IvuTimetable& t) { t.Trip(1, "5", "A").ThreeStops(1, 800).Period(1, "FER", "2024-01-01", "2024-12-31"); },
     {{"halteste.asc", 0, "0#ABC#########Fermata A###A-Fermata A##"},
      {"ld5.asc", 0, "5#7#1#36000#1#A#3#1#BUS##"},
      {"ld5.asc", 1, "1##0#4200#0#1#10:00#00:00####"},
      {"ld5.asc", 2, "2##1#4800#0#2#18:00#02:00####"},
      {"ld5.asc", 3, "3##2#0#0#3#00:00#00:00####"},
      {"fd5.asc", 0, "5#7#36000#A#1#1#"},
      {"fd5.asc", 1, "1#0#08.00:00#3#2#08.30:00#BUS#1#C1#1111111#0#0#1##"}},
     {{"halteste.asc", 3}, {"ld5.asc", 4}, {"fd5.asc", 2}}},
    {"PastMidnight",
     [](IvuTimetable& t) {
       t.Trip(1, "5", "A").Stop(1, 1, "A", 0, 9999, 2350).Stop(1, 2, "B", 4200, 5, 7).Stop(1, 3, "C", 9000, 20, 9999);
       t.Period(1, "FER", "2024-01-01", "2024-12-31");
     },
     {{"ld5.asc", 1, "1##0#4200#0#1#15:00#00:00####"},
      {"ld5.asc", 2, "2##1#4800#0#2#13:00#02:00####"},
      {"fd5.asc", 1, "1#0#23.50:00#3#2#00.20:00#BUS#1#C1#1111111#0#0#1##"}},
     {}},
    {"TimesOfDay",
     [](IvuTimetable& t) {
       t.Trip(1, "5", "A").Stop(1, 1, "A", 0, 9999, 705).Stop(1, 2, "B", 1000, 1932, 9999);
       t.Period(1, "FER", "2024-01-01", "2024-12-31");
     },
     {{"fd5.asc", 1, "1#0#07.05:00#2#1#19.32:00#BUS#1#C1#1111111#0#0#1##"},
      {"ld5.asc", 1, "1##0#1000#0#1#747:00#00:00####"}},
     {}},
    {"TimeNotOfTheClock",  // 12:75 is kept as it is: 795 minutes, not 13:15
     [](IvuTimetable& t) {
       t.Trip(1, "5", "A").Stop(1, 1, "A", 0, 9999, 800).Stop(1, 2, "B", 4200, 1275, 1280);
       t.Stop(1, 3, "C", 9000, 900, 9999).Period(1, "FER", "2024-01-01", "2024-12-31");
     },
     {{"ld5.asc", 1, "1##0#4200#0#1#315:00#00:00####"}, {"ld5.asc", 2, "2##1#4800#0#2#1180:00#05:00####"}},
     {}},
    {"SharedStandardTrip",
     [](IvuTimetable& t) {
       t.Trip(1, "5", "A").ThreeStops(1, 700).Period(1, "FER", "2024-01-01", "2024-12-31");
       t.Trip(2, "5", "A").ThreeStops(2, 800).Period(2, "FER", "2024-01-01", "2024-12-31");
     },
     {{"ld5.asc", 0, "5#7#1#36000#1#A#3#1#BUS##"},
      {"fd5.asc", 0, "5#7#36000#A#1#2#"},
      {"fd5.asc", 1, "1#0#07.00:00#3#2#07.30:00#BUS#1#C1#1111111#0#0#1##"},
      {"fd5.asc", 2, "1#0#08.00:00#3#2#08.30:00#BUS#1#C2#1111111#0#0#1##"}},
     {{"ld5.asc", 4}, {"fd5.asc", 3}}},
    {"SharedAcrossMidnight",  // the first trip's times make the rows of the standard trip
     [](IvuTimetable& t) {
       t.Trip(1, "5", "A").Stop(1, 1, "A", 0, 9999, 2350).Stop(1, 2, "B", 4200, 5, 7).Stop(1, 3, "C", 9000, 20, 9999);
       t.Trip(2, "5", "A").Stop(2, 1, "A", 0, 9999, 800).Stop(2, 2, "B", 4200, 815, 817);
       t.Stop(2, 3, "C", 9000, 830, 9999);
       t.Period(1, "FER", "2024-01-01", "2024-12-31").Period(2, "FER", "2024-01-01", "2024-12-31");
     },
     {{"ld5.asc", 1, "1##0#4200#0#1#15:00#00:00####"},
      {"fd5.asc", 0, "5#7#36000#A#1#2#"},
      {"fd5.asc", 1, "1#0#23.50:00#3#2#00.20:00#BUS#1#C1#1111111#0#0#1##"},
      {"fd5.asc", 2, "1#0#08.00:00#3#2#08.30:00#BUS#1#C2#1111111#0#0#1##"}},
     {{"ld5.asc", 4}, {"fd5.asc", 3}}},
    {"LongerDwellSecondOrdinal",
     [](IvuTimetable& t) {
       t.Trip(1, "5", "A").ThreeStops(1, 700).Period(1, "FER", "2024-01-01", "2024-12-31");
       t.Trip(2, "5", "A").ThreeStops(2, 800, 4).Period(2, "FER", "2024-01-01", "2024-12-31");
     },
     {{"ld5.asc", 0, "5#7#1#36000#1#A#3#1#BUS##"},
      {"ld5.asc", 2, "2##1#4800#0#2#18:00#02:00####"},
      {"ld5.asc", 4, "5#7#1#36000#1#A#3#2#BUS##"},
      {"ld5.asc", 6, "2##1#4800#0#2#16:00#04:00####"},
      {"fd5.asc", 0, "5#7#36000#A#1#1#"},
      {"fd5.asc", 2, "5#7#36000#A#1#1#"},
      {"fd5.asc", 3, "1#0#08.00:00#3#2#08.30:00#BUS#2#C2#1111111#0#0#1##"}},
     {{"ld5.asc", 8}, {"fd5.asc", 4}}},
    {"OtherDirectionAndSkippedStopAreVariants",
     [](IvuTimetable& t) {
       t.Trip(1, "5", "A").ThreeStops(1, 700).Period(1, "FER", "2024-01-01", "2024-12-31");
       t.Trip(2, "5", "R").ThreeStops(2, 800).Period(2, "FER", "2024-01-01", "2024-12-31");
       t.Trip(3, "5", "A").Stop(3, 1, "A", 0, 9999, 900).Stop(3, 2, "C", 9000, 930, 9999);
       t.Period(3, "FER", "2024-01-01", "2024-12-31");
       t.Trip(4, "5", "A").ThreeStops(4, 1000, 5).Period(4, "FER", "2024-01-01", "2024-12-31");
     },
     {{"ld5.asc", 0, "5#7#1#36000#1#A#3#1#BUS##"},
      {"ld5.asc", 4, "5#7#1#36000#1#A#3#2#BUS##"},
      {"ld5.asc", 8, "5#7#1#36000#2#R#3#1#BUS##"},
      {"ld5.asc", 12, "5#7#1#36000#3#A#2#1#BUS##"},
      {"fd5.asc", 6, "5#7#36000#A#3#1#"}},
     {{"ld5.asc", 15}}},
    {"LinesInCodeOrder",
     [](IvuTimetable& t) {
       t.Trip(1, "7", "A").ThreeStops(1, 700).Period(1, "FER", "2024-01-01", "2024-12-31");
       t.Trip(2, "12", "A").ThreeStops(2, 800).Period(2, "FER", "2024-01-01", "2024-12-31");
       t.Trip(3, "7", "A").ThreeStops(3, 900, 3).Period(3, "FER", "2024-01-01", "2024-12-31");
     },
     {{"dateien.asc", 5, "ld12.asc"},
      {"dateien.asc", 6, "ld7.asc"},
      {"dateien.asc", 7, "fd12.asc"},
      {"dateien.asc", 8, "fd7.asc"},
      {"dateien.asc", 9, "bitfeld.asc"},
      {"dateien.asc", 11, "versione.asc"},
      {"ld7.asc", 0, "7#7#1#36000#1#A#3#1#BUS##"},
      {"ld7.asc", 4, "7#7#1#36000#1#A#3#2#BUS##"},
      {"fd7.asc", 1, "1#0#07.00:00#3#2#07.30:00#BUS#1#C1#1111111#0#0#1##"},
      {"fd7.asc", 3, "1#0#09.00:00#3#2#09.30:00#BUS#2#C3#1111111#0#0#1##"}},
     {{"dateien.asc", 12}, {"ld12.asc", 4}, {"fd12.asc", 2}}},
    {"OneDayAndFourDays",
     [](IvuTimetable& t) {
       t.Days("FER", "2024-01-01", "2024-01-04");
       t.Trip(1, "5", "A").ThreeStops(1, 700).Period(1, "FER", "2024-01-03", "2024-01-03");
       t.Trip(2, "5", "A").ThreeStops(2, 800).Period(2, "FER", "2024-01-01", "2024-01-04");
     },
     {{"bitfeld.asc", 0, "1#2" + k95 + "#"}, {"bitfeld.asc", 1, "2#F" + k95 + "#"}},
     {{"bitfeld.asc", 2}}},
    {"DayTypeAndPeriodBothNeeded",
     [](IvuTimetable& t) {
       t.Days("FER", "2024-01-01", "2024-01-02").Days("FES", "2024-01-03", "2024-01-04");
       t.Days("FER", "2024-01-06", "2024-01-06");
       t.Trip(1, "5", "A").ThreeStops(1, 700).Period(1, "FER", "2024-01-02", "2024-01-05");
     },
     {{"bitfeld.asc", 0, "1#4" + k95 + "#"}},
     {}},
    {"ExcludedAugust",
     [](IvuTimetable& t) {
       t.Days("FER", "2024-01-01", "2024-12-31");
       // The exclusion is stored first: the periods apply in order of their start all the same.
       t.Trip(1, "5", "A").ThreeStops(1, 700).Period(1, "FER", "2024-08-10", "2024-08-20", true);
       t.Period(1, "FER", "2024-01-01", "2024-12-31");
       t.Trip(2, "5", "A").ThreeStops(2, 800).Period(2, "FER", "2024-01-01", "2024-12-31");
       t.Period(2, "FER", "2024-08-10", "2024-08-20", true).Period(2, "FER", "2024-08-15", "2024-08-15");
     },
     // 10 August 2024 is day 222 of the version (a leap year), 20 August day 232.
     {{"bitfeld.asc", 0, "1#" + DaySet({{0, 365}}, {222, 223, 224, 225, 226, 227, 228, 229, 230, 231, 232}) + "#"},
      {"bitfeld.asc", 1, "2#" + DaySet({{0, 365}}, {222, 223, 224, 225, 226, 228, 229, 230, 231, 232}) + "#"}},
     {{"bitfeld.asc", 2}}},
    {"SharedDaySetIds",
     [](IvuTimetable& t) {
       t.Days("FER", "2024-01-01", "2024-01-10");
       t.Trip(1, "5", "A").ThreeStops(1, 700).Period(1, "FER", "2024-01-02", "2024-01-05");
       t.Trip(2, "5", "A").ThreeStops(2, 800).Period(2, "FER", "2024-01-02", "2024-01-05");
       t.Trip(3, "5", "A").ThreeStops(3, 900).Period(3, "FER", "2024-01-02", "2024-01-06");
     },
     {{"fd5.asc", 1, "1#0#07.00:00#3#2#07.30:00#BUS#1#C1#1111111#0#0#1##"},
      {"fd5.asc", 2, "1#0#08.00:00#3#2#08.30:00#BUS#1#C2#1111111#0#0#1##"},
      {"fd5.asc", 3, "1#0#09.00:00#3#2#09.30:00#BUS#1#C3#1111111#0#0#2##"},
      {"bitfeld.asc", 0, "1#" + DaySet({{1, 4}}) + "#"},
      {"bitfeld.asc", 1, "2#" + DaySet({{1, 5}}) + "#"}},
     {{"bitfeld.asc", 2}}},
    {"TwoUntimedStopsInARowBothKept",
     [](IvuTimetable& t) {
       t.Trip(1, "5", "A").Stop(1, 1, "A", 0, 9999, 800).Stop(1, 2, "B", 0, 9999, 9999);
       t.Stop(1, 3, "C", 0, 9999, 9999).Stop(1, 4, "D", 9000, 830, 9999);
       // Two periods: every stop row comes twice from the join, and only those repeats go.
       t.Period(1, "FER", "2024-01-01", "2024-06-30").Period(1, "FER", "2024-07-01", "2024-12-31");
     },
     {{"ld5.asc", 0, "5#7#1#36000#1#A#4#1#BUS##"},
      {"ld5.asc", 2, "2##1#0#0#2#00:00#00:00####"},
      {"ld5.asc", 1, "1##0#0#0#1#00:00#00:00####"},
      {"ld5.asc", 3, "3##2#9000#0#3#30:00#00:00####"},
      {"ld5.asc", 4, "4##3#0#0#4#00:00#00:00####"},
      {"fd5.asc", 1, "1#0#08.00:00#4#3#08.30:00#BUS#1#C1#1111111#0#0#1##"}},
     {{"ld5.asc", 5}, {"halteste.asc", 4}}},
    {"HashInATextIsABlank",
     [](IvuTimetable& t) {
       t.Company(36, "Bus #1");
       t.Trip(1, "5", "A", "C#1").Stop(1, 1, "A#", 0, 9999, 800, "Piazza #2", "Lato #3");
       t.Stop(1, 2, "B", 1000, 810, 9999).Period(1, "FER", "2024-01-01", "2024-12-31");
     },
     {{"halteste.asc", 1, "1#ABC#########Piazza  2###A -Piazza  2#Lato  3#"},
      {"lieferan.asc", 0, "ABC#Bus  1#"},
      {"fd5.asc", 1, "1#1#08.00:00#2#0#08.10:00#BUS#1#C 1#1111111#0#0#1##"}},
     {}},
    {"StopList",
     [](IvuTimetable& t) {
       t.Trip(1, "5", "A").Stop(1, 1, "A", 0, 9999, 800, "Stazione", "Nord").Stop(1, 2, "B", 900, 810, 9999);
       t.Period(1, "FER", "2024-01-01", "2024-12-31");
       t.Trip(2, "5", "A").Stop(2, 1, "A", 0, 9999, 900, "Stazione", "Sud").Stop(2, 2, "B", 900, 910, 9999);
       t.Period(2, "FER", "2024-01-01", "2024-12-31");
       t.Trip(3, "5", "A").Stop(3, 1, "A", 0, 9999, 1000, "Stazione", "Nord").Stop(3, 2, "B", 900, 1010, 9999);
       t.Period(3, "FER", "2024-01-01", "2024-12-31");
       // A trip without a period leaves its stops out.
       t.Trip(4, "5", "A").Stop(4, 1, "Z", 0, 9999, 1000, "Zeta").Stop(4, 2, "B", 900, 1010, 9999);
     },
     {{"halteste.asc", 0, "0#ABC#########Fermata B###B-Fermata B##"},
      {"halteste.asc", 1, "1#ABC#########Stazione###A-Stazione#Nord#"},
      {"halteste.asc", 2, "2#ABC#########Stazione###A-Stazione#Sud#"},
      {"ld5.asc", 3, "5#7#1#36000#2#A#2#1#BUS##"},
      {"ld5.asc", 4, "1##2#900#0#1#10:00#00:00####"},
      {"fd5.asc", 0, "5#7#36000#A#1#2#"}},
     {{"halteste.asc", 3}, {"ld5.asc", 6}}},
    {"Coordinates",
     [](IvuTimetable& t) { t.Trip(1, "5", "A").ThreeStops(1, 800).Period(1, "FER", "2024-01-01", "2024-12-31"); },
     {{"halteste.asc", 0, "0#ABC#####12#46###Fermata A###A-Fermata A##"},
      {"halteste.asc", 1, "1#ABC#########Fermata B###B-Fermata B##"},
      {"halteste.asc", 2, "2#ABC#########Fermata C###C-Fermata C##"}},
     {},
     "BUS",
     [](ivu::IvuExportData& d) {
       d.stops[0].x = 12.4, d.stops[0].y = 45.6;
       d.stops[1].x = 0, d.stops[1].y = 45.6;
       d.stops[2].x = 1600000.5, d.stops[2].y = 0;
     }},
};

class IvuExportRows : public ::testing::TestWithParam<ExportCase> {};

TEST_P(IvuExportRows, AsWritten) {
  const ExportCase& c = GetParam();
  ScratchDir dir;
  const std::string path = dir.Path("t.db"), out = dir.Path("ivu");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(out)));
  IvuTimetable t;
  t.Master(36, "2024-01-01", "2024-12-31");
  c.build(t);
  t.Make(path);
  ExportIvuSet(path, out, IvuOptions(7, "Orario 2024", c.mode), c.prepare);
  if (HasFatalFailure()) return;
  for (const Row& r : c.rows) {
    const std::vector<std::string> rows = Rows(out + "/" + r.file);
    ASSERT_LT(static_cast<size_t>(r.index), rows.size()) << r.file;
    EXPECT_EQ(rows[static_cast<size_t>(r.index)], r.text) << r.file << " row " << r.index;
  }
  for (const Count& n : c.counts) EXPECT_EQ(Rows(out + "/" + n.file).size(), n.rows) << n.file;
}

INSTANTIATE_TEST_SUITE_P(Cases, IvuExportRows, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

// ---- The version must fit the 384 days of a day set -----------------------------------------

struct VersionCase {
  const char* name;
  const char* from;  // year-month-day; null: no master row
  const char* to;
  bool fits;
  const char* named;  // the period as the refusal names it
};

std::ostream& operator<<(std::ostream& os, const VersionCase& c) { return os << c.name; }

const VersionCase kVersions[] = {
    {"LeapYear", "2024-01-01", "2024-12-31", true, ""},
    {"ExactlyTheDays", "2024-01-01", "2025-01-18", true, ""},
    {"OneDayMore", "2024-01-01", "2025-01-19", false, "dal 01/01/2024 al 19/01/2025"},
    {"NewDatabase", "1900-01-01", "2099-12-31", false, "dal 01/01/1900 al 31/12/2099"},
    {"EndBeforeStart", "2024-06-30", "2024-01-01", false, "dal 30/06/2024 al 01/01/2024"},
    {"NoMasterRow", nullptr, nullptr, false, "dal 01/01/1901 al 31/12/2099"},
};

class IvuExportVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(IvuExportVersion, RefusedBeforeAnythingIsWrittenWhenLonger) {
  const VersionCase& c = GetParam();
  ScratchDir dir;
  const std::string path = dir.Path("t.db");
  IvuTimetable t;
  if (c.from) t.Master(36, c.from, c.to);
  // A trip on the last day: its day index is the last that a set of 384 days holds.
  t.Days("FER", "2025-01-18", "2025-01-18");
  t.Trip(1, "5", "A").ThreeStops(1, 800).Period(1, "FER", "2024-01-01", "2025-12-31");
  t.Make(path);
  ivu::IvuExportData data;
  DbDatabase db(path);
  const Outcome loaded = ivu::LoadIvuExport(&db, data, nullptr);
  const std::string message = loaded.Failure();
  EXPECT_EQ(loaded.ok, c.fits) << message;
  if (c.fits) {
    ASSERT_EQ(data.daySets.size(), 1u);
    const bool lastDay = std::string(c.to) == "2025-01-18";
    EXPECT_EQ(data.daySets[0], lastDay ? std::string(95, '0') + "1" : std::string(96, '0'));
    return;
  }
  EXPECT_NE(message.find(c.named), std::string::npos) << message;
  EXPECT_NE(message.find("384 giorni"), std::string::npos) << message;
  EXPECT_TRUE(data.standardTrips.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, IvuExportVersion, ::testing::ValuesIn(kVersions),
                         [](const auto& param) { return std::string(param.param.name); });

// ---- Line codes that cannot name their files ---------------------------------------------------

struct LineCase {
  const char* name;
  std::vector<std::string> lines;
  const char* named;     // in the refusal; null: the export goes on
  const char* sql = "";  // run on the database made, as another tool would
};

std::ostream& operator<<(std::ostream& os, const LineCase& c) { return os << c.name; }

const LineCase kLineCases[] = {
    {"PlainCodes", {"12", "7B", "Città", "N.1"}, nullptr},
    {"Slash", {"12", "1/2"}, "linea \"1/2\""},
    {"Backslash", {"A\\B"}, "linea \"A\\B\""},
    {"Colon", {"C:1"}, "linea \"C:1\""},
    {"Star", {"7*"}, "linea \"7*\""},
    {"Blank", {"   ", "12"}, "linea \"\""},
    {"SameButForCase", {"7b", "12", "7B"}, "linee \"7B\" e \"7b\""},
    // Stored by another tool (the quote closes the SQL text): a file would carry it as "?9".
    {"OutsideTheCodePage",
     {"12", "' || char(0x141) || '9"},
     "ATTENZIONE: corsa 2:\nil campo codlinea (codice linea) contiene il carattere U+0141 in posizione 1"},
    // A stop's time stored as a text: refused naming the stop, never exported as 0:00.
    {"ATimeStoredAsText",
     {"12", "7B"},
     "ATTENZIONE: corsa 2, fermata 2:\nil campo parte (orario di partenza) vale 'abc',\nche è un testo e non un "
     "numero intero come richiede la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di "
     "esportare.",
     "UPDATE detcor SET parte = 'abc' WHERE id = 2 AND sub = 2;"},
    // The operator's company and the version's first day, read from the master row: never company 0,
    // never a version "dal  al ...".
    {"ACompanyStoredAsText",
     {"12"},
     "ATTENZIONE: dati generali:\nil campo azienda (Codice Azienda) vale 'abc',\nche è un testo e non un numero "
     "intero come richiede la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di esportare.",
     "UPDATE master SET azienda = 'abc';"},
    {"APeriodStartThatIsNoDate",
     {"12"},
     "ATTENZIONE: dati generali:\nil campo datini (Data Inizio) vale '2024-02-30',\nche è un testo e non una data "
     "come richiede la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di esportare.",
     "UPDATE master SET datini = '2024-02-30';"},
};

class IvuExportLineCodes : public ::testing::TestWithParam<LineCase> {};

TEST_P(IvuExportLineCodes, RefusedBeforeAnythingIsWritten) {
  const LineCase& c = GetParam();
  ScratchDir dir;
  const std::string path = dir.Path("t.db");
  IvuTimetable t;
  t.Master(36, "2024-01-01", "2024-12-31");
  int id = 0;
  for (const std::string& line : c.lines) {
    ++id;
    t.Trip(id, line, "A").ThreeStops(id, 800).Period(id, "FER", "2024-01-01", "2024-12-31");
  }
  t.Make(path);
  if (*c.sql) {
    RunSql(path, c.sql);
    AllowReadingMismatches();
  }
  NoticeLog notices;  // a refusal is the only message: no notice of the database layer before it
  ivu::IvuExportData data;
  DbDatabase db(path);
  const Outcome outcome = ivu::LoadIvuExport(&db, data, nullptr);
  EXPECT_EQ(notices.Texts(), "");
  const bool loaded = outcome.ok;
  const std::string message = outcome.Failure();
  if (!c.named) {
    EXPECT_TRUE(loaded) << message;
    EXPECT_EQ(data.lines.size(), c.lines.size());
    return;
  }
  EXPECT_FALSE(loaded);
  EXPECT_EQ(outcome.messages.size(), 1u);
  EXPECT_NE(message.find(c.named), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(Cases, IvuExportLineCodes, ::testing::ValuesIn(kLineCases),
                         [](const auto& param) { return std::string(param.param.name); });

// ---- More lines than an array of 512 names would hold -------------------------------------

// A timetable of `lines` lines of one trip each, L1001 on.
void MakeManyLines(const std::string& path, int lines) {
  IvuTimetable t;
  t.Master(36, "2024-01-01", "2024-12-31");
  for (int id = 1; id <= lines; ++id)
    t.Trip(id, "L" + std::to_string(1000 + id), "A").ThreeStops(id, 800).Period(id, "FER", "2024-01-01", "2024-12-31");
  t.Make(path);
}

TEST(IvuExportFiles, SixHundredLineFilesAllListed) {
  ScratchDir dir;
  const std::string path = dir.Path("t.db"), out = dir.Path("ivu");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(out)));
  constexpr int kLines = 300;
  MakeManyLines(path, kLines);
  ExportIvuSet(path, out, IvuOptions(1, "Prova"));
  if (HasFatalFailure()) return;
  const std::vector<std::string> list = Rows(out + "/dateien.asc");
  ASSERT_EQ(list.size(), 2u * kLines + 8);
  EXPECT_EQ(list[5], "ldL1001.asc");
  EXPECT_EQ(list[5 + kLines - 1], "ldL1300.asc");
  EXPECT_EQ(list[5 + kLines], "fdL1001.asc");
  EXPECT_EQ(list[5 + 2 * kLines - 1], "fdL1300.asc");
  EXPECT_EQ(list.back(), "versione.asc");
  for (const std::string& name : list) EXPECT_TRUE(QFile::exists(QString::fromStdString(out + "/" + name))) << name;
}

// The rows go to their files as they are made: a file that cannot be created after hundreds were
// written (an "fd" file, every "ld" file done) still leaves the folder as it was, and names it.
TEST(IvuExportFiles, AFileFailingMidwayLeavesTheFolderAsItWas) {
  ScratchDir dir;
  const std::string path = dir.Path("t.db"), out = dir.Path("ivu");
  MakeManyLines(path, 300);
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(out + "/fdL1150.asc.part/dentro")));
  WriteFileBytes(out + "/lieferan.asc", "XYZ#Vecchia#\r\n");
  const std::string before = Listing(out);
  ivu::IvuExportData data;
  {
    DbDatabase db(path);
    ASSERT_TRUE(ivu::LoadIvuExport(&db, data, nullptr).ok);
  }
  const ivu::IvuExportWriting w = ivu::WriteIvuExport(data, IvuOptions(1, "Prova"), out, nullptr);
  EXPECT_FALSE(w.ok);
  EXPECT_EQ(w.failedPath, out + "/fdL1150.asc");
  EXPECT_EQ(w.Texts(), "Impossibile creare\n\n" + out + "/fdL1150.asc\n" + ivu::kIvuExportStopped);
  EXPECT_EQ(Listing(out), before);
  EXPECT_EQ(FileBytes(out + "/lieferan.asc"), "XYZ#Vecchia#\r\n");
}

// ---- The row syntax shared with the readers ---------------------------------------------------

TEST(IvuExportFields, RowsReadBackAsWritten) {
  const std::string row = ivu::JoinIvuFields({"A#B", "", " C ", "Città"});
  EXPECT_EQ(row, "A B## C #Città#");
  std::vector<std::string_view> fields;
  ASSERT_TRUE(ivu::SplitFields(row, fields));
  ASSERT_EQ(fields.size(), 4u);
  EXPECT_EQ(fields[0], "A B");
  EXPECT_EQ(fields[1], "");
  EXPECT_EQ(fields[2], "C");
  EXPECT_EQ(fields[3], "Città");
}

struct Formatted {
  std::string got, expected;
};

TEST(IvuExportFields, Formats) {
  const Formatted cases[] = {
      {ivu::FormatIvuTimeOfDay(705), "07.05:00"},
      {ivu::FormatIvuTimeOfDay(0), "00.00:00"},
      {ivu::FormatIvuTimeOfDay(2359), "23.59:00"},
      {ivu::FormatIvuDuration(15), "15:00"},
      {ivu::FormatIvuDuration(0), "00:00"},
      {ivu::FormatIvuDuration(135), "135:00"},
      {ivu::FormatIvuCoordinate(12.4), "12"},
      {ivu::FormatIvuCoordinate(45.6), "46"},
      {ivu::FormatIvuCoordinate(12.5), "13"},
      {ivu::FormatIvuCoordinate(-12.5), "-13"},
      {ivu::FormatIvuCoordinate(-0.4), "0"},
      {ivu::FormatIvuCoordinate(1e20), "100000000000000000000"},
      {ivu::FormatIvuCoordinate(4800000.49), "4800000"},
  };
  for (const Formatted& f : cases) EXPECT_EQ(f.got, f.expected);
}

// ---- The engine's records of a timetable whose stop rows each have two periods ------------

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
  {
    DbDatabase db(path);
    const Outcome loaded = ivu::LoadIvuExport(&db, data, nullptr);
    ASSERT_TRUE(loaded.ok) << loaded.Texts();
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

// The standard trips' compact store against the plain fold it stands for: trips of one route
// whose times keep the same steps make one standard trip, with the stops and times of its first
// trip; standard trips in order of line code, then of route, then of making; trips in order of id.
struct PlainTrip {
  std::string line;
  char direction;
  std::vector<ivu::IvuTripStop> stops;
  int pattern;  // trips of one route and one pattern fold into one standard trip
};

// A trip leaving at `start` (minutes after midnight) whose stops are reached after `steps`
// minutes, an arrival and a departure each in turn after the first departure (first arrival and
// last departure without time).
PlainTrip TripOf(const std::string& line, char direction, int start, const std::vector<int>& steps, int pattern) {
  PlainTrip t{line, direction, {}, pattern};
  const auto clock = [](int minutes) { return minutes % 1440 / 60 * 100 + minutes % 60; };
  int at = start;
  for (size_t k = 0; k <= steps.size() / 2; ++k) {
    ivu::IvuTripStop s;
    s.stop = static_cast<long>(k + 1);
    s.distance = static_cast<int>(k) * 700;
    s.arrival = k == 0 ? 9999 : clock(at += steps[2 * k - 2]);
    s.departure = k == steps.size() / 2 ? 9999 : clock(at += k == 0 ? 0 : steps[2 * k - 1]);
    t.stops.push_back(s);
  }
  return t;
}

struct StoreCase {
  const char* name;
  std::function<std::vector<PlainTrip>()> trips;
};
void PrintTo(const StoreCase& c, std::ostream* os) { *os << c.name; }

const StoreCase kStoreCases[] = {
    // Every step to a stop's arrival and departure, from none to past the one-byte form.
    {"EveryStep",
     [] {
       std::vector<PlainTrip> trips;
       for (int a = 0; a <= 20; ++a)
         for (int d = 0; d <= 10; ++d) trips.push_back(TripOf("S", 'A', 420 + a * 7 + d, {a, d, 1, 0}, a * 100 + d));
       return trips;
     }},
    // More standard trips than the table first holds, then each pattern again an hour later.
    {"PatternsRepeatedAfterTheTableGrows",
     [] {
       std::vector<PlainTrip> trips;
       for (int repeat = 0; repeat < 2; ++repeat)
         for (int p = 0; p < 80; ++p)
           trips.push_back(TripOf(p % 2 ? "B" : "A", 'A', 300 + 60 * repeat, {p, 2, 5, 0}, p));
       return trips;
     }},
    // Random timetables: routes of three lines, some trips over midnight.
    {"RandomTimetable",
     [] {
       std::mt19937 random(57);
       std::vector<std::vector<int>> patterns[6];
       for (auto& route : patterns)
         for (int p = 0; p < 40; ++p) {
           std::vector<int> steps = {p};
           for (int k = 1; k < 6; ++k) steps.push_back(static_cast<int>(random() % 41));
           route.push_back(steps);
         }
       std::vector<PlainTrip> trips;
       for (int n = 0; n < 1500; ++n) {
         const int r = static_cast<int>(random() % 6), p = static_cast<int>(random() % 40);
         trips.push_back(TripOf(std::string(1, "CAB"[r / 2]), "AR"[r % 2], static_cast<int>(random() % 1440),
                                patterns[r][static_cast<size_t>(p)], p));
       }
       return trips;
     }},
};

struct IvuStore : ::testing::TestWithParam<StoreCase> {};

TEST_P(IvuStore, HoldsWhatThePlainFoldHolds) {
  const std::vector<PlainTrip> trips = GetParam().trips();
  // The plain fold: each route's standard trips in order of making, each the numbers of its trips.
  std::map<std::pair<std::string, char>, std::vector<std::vector<size_t>>> routes;
  std::map<std::pair<std::string, char>, std::map<int, size_t>> made;
  ivu::IvuStandardTrips store;
  for (size_t k = 0; k < trips.size(); ++k) {
    const PlainTrip& t = trips[k];
    store.Add(static_cast<long>(k + 1), t.line, t.direction, t.stops, "C" + std::to_string(k + 1));
    const auto route = std::make_pair(t.line, t.direction);
    const auto [at, fresh] = made[route].try_emplace(t.pattern, routes[route].size());
    if (fresh) routes[route].emplace_back();
    routes[route][at->second].push_back(k);
  }
  store.Finish();
  // Each line here has its routes in the order of their directions' first trips.
  std::vector<std::pair<std::string, char>> order;
  for (const PlainTrip& t : trips)
    if (std::find(order.begin(), order.end(), std::make_pair(t.line, t.direction)) == order.end())
      order.emplace_back(t.line, t.direction);
  std::stable_sort(order.begin(), order.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  size_t k = 0;
  for (const auto& route : order) {
    const auto& standards = routes[route];
    for (size_t s = 0; s < standards.size(); ++s, ++k) {
      ASSERT_LT(k, store.size());
      const ivu::IvuStandardTrip held = store[k];
      const PlainTrip& first = trips[standards[s].front()];
      SCOPED_TRACE(route.first + route.second + " pattern " + std::to_string(first.pattern));
      EXPECT_EQ(held.line + held.direction, route.first + route.second);
      EXPECT_EQ(held.ordinal, static_cast<int>(s + 1));
      ASSERT_EQ(held.stops.size(), first.stops.size());
      for (size_t n = 0; n < first.stops.size(); ++n)
        EXPECT_EQ(std::vector<int>({static_cast<int>(held.stops[n].stop), held.stops[n].distance, held.stops[n].arrival,
                                    held.stops[n].departure}),
                  std::vector<int>({static_cast<int>(first.stops[n].stop), first.stops[n].distance,
                                    first.stops[n].arrival, first.stops[n].departure}))
            << "stop " << n;
      std::vector<long> ids;
      for (const ivu::IvuExportTrip& t : held.trips) {
        ids.push_back(t.id);
        EXPECT_EQ(t.code, "C" + std::to_string(t.id));
        EXPECT_EQ(store.TripOf(t.id), static_cast<size_t>(t.id - 1));
      }
      std::vector<long> expected;
      for (const size_t t : standards[s]) expected.push_back(static_cast<long>(t + 1));
      EXPECT_EQ(ids, expected);
    }
  }
  EXPECT_EQ(store.size(), k);
}

INSTANTIATE_TEST_SUITE_P(Cases, IvuStore, ::testing::ValuesIn(kStoreCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
