// The rules by which the IVU-InfoPool readers split and read their lines, the records' accessors,
// the lookups and the fault list: tables of lines and of the values they must give.

#include "conversions/ivu/IvuErrors.h"
#include "conversions/ivu/IvuFields.h"
#include "conversions/ivu/IvuRecords.h"
#include "conversions/ivu/IvuResolution.h"

#include <gtest/gtest.h>

using namespace ivu;

namespace {

using LineReader = bool (*)(std::string_view, IvuSet&);

struct LineCase {
  const char* name;
  LineReader reader;
  std::string line;
  bool accepted;
};

class IvuLineRules : public ::testing::TestWithParam<LineCase> {};

TEST_P(IvuLineRules, AcceptsOrRefuses) {
  IvuSet set;
  EXPECT_EQ(GetParam().reader(GetParam().line, set), GetParam().accepted);
}

const std::string kStop15 = "0#ABC####F1#####Nome###F1-Nome#Luogo#";

INSTANTIATE_TEST_SUITE_P(
    Readers, IvuLineRules,
    ::testing::Values(
        LineCase{"SupplierTwoFields", ReadIvuSupplier, "ABC#Nome#", true},
        LineCase{"SupplierNoLastSeparator", ReadIvuSupplier, "ABC#Nome", false},
        LineCase{"SupplierThreeFields", ReadIvuSupplier, "ABC#Nome#X#", false},
        LineCase{"SupplierEmptyLine", ReadIvuSupplier, "", false},
        LineCase{"CompanyNine", ReadIvuCompany, "36#ABC#Nome#36000#BUS#BUS#360000#BUS#ABC#", true},
        LineCase{"CompanyDivisionOfSeven", ReadIvuCompany, "36#ABC#Nome#36000#BUS#BUS#3600000#BUS#ABC#", false},
        LineCase{"CompanyEight", ReadIvuCompany, "36#ABC#Nome#36000#BUS#BUS#36000#BUS#", false},
        LineCase{"StopFifteen", ReadIvuStop, kStop15, true},
        LineCase{"StopTwenty", ReadIvuStop, kStop15 + "#####", true},
        LineCase{"StopFourteen", ReadIvuStop, "0#ABC####F1#####Nome###F1-Nome#", false},
        LineCase{"StopIdOfTenDigitsTooLarge", ReadIvuStop, "9999999999#ABC####F1#####Nome###F1-Nome#Luogo#", false},
        LineCase{"StopIdLargestOf32Bits", ReadIvuStop, "2147483647#ABC####F1#####Nome###F1-Nome#Luogo#", true},
        LineCase{"StopField100kB", ReadIvuStop, "0#ABC####F1#####Nome###" + std::string(100000, 'a') + "#Luogo#",
                 false},
        LineCase{"VersionFive", ReadIvuVersion, "7#Inverno#01.03.2024#05.03.2024##", true},
        LineCase{"VersionShortDate", ReadIvuVersion, "7#Inverno#1.3.2024#05.03.2024##", false},
        LineCase{"BitsTwo", ReadIvuServiceBits, "1#F8#", true},
        LineCase{"DayTypeNumberOfFour", ReadIvuDayType, "1000#FER#Feriale#", false},
        LineCase{"DayTypeNameOfFive", ReadIvuDayType, "1#FERIA#Feriale#", false},
        LineCase{"CalendarEightCharacters", ReadIvuCalendarDay, "1.2.2003#x#", false},
        LineCase{"CalendarTen", ReadIvuCalendarDay, "01.02.2003#x# #X#", true}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(IvuFields, SplitAndTrim) {
  std::vector<std::string_view> f;
  ASSERT_TRUE(SplitFields(" a #b\t## \t", f));
  EXPECT_EQ(f, (std::vector<std::string_view>{"a", "b", ""}));
  EXPECT_FALSE(SplitFields(" a #b\t##tail", f));  // a last field without its '#
  ASSERT_TRUE(SplitFields("", f));
  EXPECT_TRUE(f.empty());
  EXPECT_FALSE(SplitFields(std::string(kMaxField + 1, 'x') + "#", f));
}

struct TimeCase {
  const char* text;
  bool ok;
  std::int32_t seconds;
};

class IvuDurations : public ::testing::TestWithParam<TimeCase> {};
TEST_P(IvuDurations, Parse) {
  std::int32_t s = -7;
  EXPECT_EQ(ParseIvuDuration(GetParam().text, s), GetParam().ok) << GetParam().text;
  if (GetParam().ok) {
    EXPECT_EQ(s, GetParam().seconds);
  }
}
INSTANTIATE_TEST_SUITE_P(Table, IvuDurations,
                         ::testing::Values(TimeCase{"07:30", true, 450}, TimeCase{"", true, 0},
                                           TimeCase{"   ", true, 0}, TimeCase{"10", false, 0},
                                           TimeCase{"1:2:3", false, 0}, TimeCase{"1 :30", false, 0},
                                           TimeCase{":", true, 0}, TimeCase{"1234567890123456:00", false, 0},
                                           TimeCase{"999999999999999:00", false, 0},
                                           TimeCase{"35791394:07", true, 2147483647}));

class IvuTimesOfDay : public ::testing::TestWithParam<TimeCase> {};
TEST_P(IvuTimesOfDay, Parse) {
  std::int32_t s = -7;
  EXPECT_EQ(ParseIvuTimeOfDay(GetParam().text, s), GetParam().ok) << GetParam().text;
  if (GetParam().ok) {
    EXPECT_EQ(s, GetParam().seconds);
  }
}
INSTANTIATE_TEST_SUITE_P(Table, IvuTimesOfDay,
                         ::testing::Values(TimeCase{"06.05:00", true, 21900}, TimeCase{"23.50:00", true, 85800},
                                           TimeCase{"", true, 0}, TimeCase{"06:05.00", false, 0},
                                           TimeCase{"06.05", false, 0}, TimeCase{"6x.05:00", false, 0},
                                           TimeCase{"0000000000000001.00:00", false, 0},
                                           TimeCase{"000000000000001.00:00", true, 3600},
                                           TimeCase{"999999999999999.00:00", false, 0}));

TEST(IvuFields, NumbersAreReadWhole) {
  std::int32_t v = -1;
  EXPECT_FALSE(ReadIvuNumber("12ab", 10, v));
  EXPECT_FALSE(ReadIvuNumber("NaN", 10, v));
  EXPECT_FALSE(ReadIvuNumber("4 00", 10, v));
  EXPECT_FALSE(ReadIvuNumber("-", 10, v));
  EXPECT_TRUE(ReadIvuNumber("", 10, v));
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(ReadIvuNumber("12345", 4, v));
  EXPECT_FALSE(ReadIvuNumber("2147483648", 10, v));
  EXPECT_TRUE(ReadIvuNumber("-5", 3, v));
  EXPECT_EQ(v, -5);
}

struct BitCase {
  const char* days;
  std::vector<long> set;  // the days set among 0..7
};
class IvuDaySets : public ::testing::TestWithParam<BitCase> {};
TEST_P(IvuDaySets, IsDaySet) {
  const IvuServiceBits bits{1, GetParam().days};
  std::vector<long> set;
  for (long i = -1; i < 8; ++i)
    if (bits.IsDaySet(i)) set.push_back(i);
  EXPECT_EQ(set, GetParam().set) << GetParam().days;
}
INSTANTIATE_TEST_SUITE_P(Table, IvuDaySets,
                         ::testing::Values(BitCase{"8", {0}}, BitCase{"1", {3}}, BitCase{"F0", {0, 1, 2, 3}},
                                           BitCase{"G", {}}, BitCase{"a5", {0, 2, 5, 7}}, BitCase{"", {}}));

TEST(IvuLines, CalendarMarksLowerAndUpperX) {
  IvuSet set;
  ASSERT_TRUE(ReadIvuCalendarDay("01.02.2003#x# #X#", set));
  const IvuCalendarDay& d = set.calendar.front();
  EXPECT_EQ(std::vector<int>({d.day, d.month, d.year}), std::vector<int>({1, 2, 2003}));
  EXPECT_TRUE(d.HasDayType(0));
  EXPECT_FALSE(d.HasDayType(1));
  EXPECT_TRUE(d.HasDayType(2));
  EXPECT_FALSE(d.HasDayType(256));
}

TEST(IvuLines, RouteStopsFillTheirSlotsAndNoMore) {
  IvuSet set;
  long n = 0;
  ASSERT_TRUE(ReadIvuRouteHead("12#7#1#36000#1#1#2#2#BUS##", set, n));
  EXPECT_EQ(n, 2);
  IvuRoute* r = &set.routes.back();
  // Model 2's running time blank reads 0; its dwell time is not there (-1).
  EXPECT_TRUE(ReadIvuRouteStop("2##5#100#0#2#01:00#00:30####   #", r));
  EXPECT_FALSE(ReadIvuRouteStop("1##6#100#0#1#01:00#00:30####12#", r));  // running time without ':'
  EXPECT_TRUE(ReadIvuRouteStop("1##6#100#0#1#01:00#00:30####02:00#00:10#", r));
  EXPECT_FALSE(ReadIvuRouteStop("3##7#100#0#1#01:00#00:30####02:00#00:10#", r));  // slots all taken
  EXPECT_EQ(r->stops[0].GetRunTime(1), 0);
  EXPECT_EQ(r->stops[0].GetDwellTime(1), -1);
  EXPECT_EQ(r->stops[0].GetRunTime(-1), -1);
  EXPECT_EQ(r->GetTotalTime(-1), 0);
  EXPECT_FALSE(ReadIvuRouteHead("12#7#1#36000#1#1#-2#1#BUS##", set, n));  // a negative count
  EXPECT_EQ(n, 0);
}

TEST(IvuLines, TripDayCodes) {
  IvuSet set;
  long k = 0;
  ASSERT_TRUE(ReadIvuTripBlockHead("12#7#36000#1#1#2#", set, k));
  IvuTripBlock* b = &set.blocks.back();
  std::string line = "1#0#07.05:00#3#2#07.35:00#BUS#1#C1#1111111#0#0#1#";
  for (int c = 0; c < 33; ++c) line += "D" + std::to_string(c) + "#";
  ASSERT_TRUE(ReadIvuTrip(line, b));
  const IvuTrip& t = b->trips.back();
  EXPECT_EQ(t.dayCodes.size(), 32u);  // field 10 (seven characters) carries none; the 33rd is dropped
  EXPECT_EQ(t.GetDayCode(0), "D0");
  EXPECT_EQ(t.GetDayCode(31), "D31");
  EXPECT_EQ(t.GetDayCode(32), "");
  EXPECT_EQ(t.departure, 25500);
  EXPECT_FALSE(ReadIvuTrip("1#0#999999999999999.00:00#3#2#07.35:00#BUS#1#C1##0#0#1##", b));
  EXPECT_TRUE(ReadIvuTrip("1#0#07.05:00#3#2#07.35:00#BUS#1#C1##0#0#1##", b));
  EXPECT_FALSE(ReadIvuTrip("1#0#07.05:00#3#2#07.35:00#BUS#1#C1##0#0#1##", b));  // K reached
}

TEST(IvuLookups, FirstInFileOrderAndModels) {
  IvuSet set;
  for (const char* l : {"5#ABC####X1#####Primo###x#y#", "5#ABC####X2#####Secondo###x#y#", "3#ABC####X3#####T###x#y#"})
    ASSERT_TRUE(ReadIvuStop(l, set));
  set.BuildStopIndex();
  ASSERT_NE(set.FindStop("ABC", 5), nullptr);
  EXPECT_EQ(set.FindStop("ABC", 5)->code, "X1");
  EXPECT_EQ(set.FindStop("ABD", 5), nullptr);
  long n = 0;
  ASSERT_TRUE(ReadIvuRouteHead("12#7#1#36000#1#1#0#2#BUS##", set, n));
  set.BuildRouteIndex();
  const RouteKey key{"12", 7, "36000", 1, "1"};
  EXPECT_NE(set.FindRoute(key, 2), nullptr);
  EXPECT_EQ(set.FindRoute(key, 3), nullptr);  // one above M
  EXPECT_EQ(set.FindRoute(key, 0), nullptr);  // below 1: no model
  EXPECT_EQ(set.FindRoute(key, -1), nullptr);
}

TEST(IvuErrors, OnlyTheLastEntryIsCompared) {
  IvuErrorList e;
  e.Add("", -1, "A");
  e.Add("", -1, "A");
  e.Add("halteste", 1, "formato dati illegale");
  e.Add("halteste", 2, "formato dati illegale");
  e.Add("", -1, "A");
  ASSERT_EQ(e.Entries().size(), 4u);
  const ClockTime now{2024, 3, 1, 8, 5, 0};
  EXPECT_EQ(IvuErrorReportText("/cartella", e, now),
            std::string(72, '=') +
                "\r\n01/03/2024 08.05 Report verifica Files IVU-INFOPOOL\r\nCartella: /cartella\r\n" +
                std::string(72, '=') + "\r\n\r\nA\r\nFILE=halteste RIGA=1 - formato dati illegale\r\n" +
                "FILE=halteste RIGA=2 - formato dati illegale\r\nA\r\n");
}

}  // namespace
