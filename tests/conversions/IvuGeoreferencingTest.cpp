// The IVU-InfoPool export's stops placed by code on the points of an RT_NODI set, and their
// coordinates written as whole numbers, halves away from zero under every rounding mode.

#include "conversions/ivu/IvuFields.h"
#include "conversions/ivu/IvuGeoreferencing.h"

#include <gtest/gtest.h>
#include <cfenv>
#include <limits>

namespace {

ivu::IvuExportData ThreeStops() {
  ivu::IvuExportData data;
  for (const char* code : {"F1", "F2", "F3"}) {
    ivu::IvuExportStop stop;
    stop.id = static_cast<long>(data.stops.size());
    stop.code = code;
    data.stops.push_back(stop);
  }
  return data;
}

std::string Placed(const ivu::IvuExportData& data) {
  std::string s;
  for (const ivu::IvuExportStop& stop : data.stops)
    s += stop.code + "=" + ivu::FormatIvuCoordinate(stop.x) + "," + ivu::FormatIvuCoordinate(stop.y) + ";";
  return s;
}

TEST(IvuGeoreferencing, StopsTakeTheFirstPointOfTheirCode) {
  GeoStopList points;
  points.Append(0, 1234.5, 4812.4);
  points.Append(1, 10, 20);  // no code: another company's point
  points.Append(2, -12.5, 6000.5);
  points.Append(3, 1, 2);
  points.SetCode(*points.FindById(0), "F1");
  points.SetCode(*points.FindById(2), "F2");
  points.SetCode(*points.FindById(3), "F2");
  ivu::IvuExportData data = ThreeStops();
  ivu::PlaceIvuStops(points, data);
  EXPECT_EQ(Placed(data), "F1=1235,4812;F2=-13,6001;F3=0,0;");
}

TEST(IvuGeoreferencing, AnEmptySetLeavesTheStopsAndANonNumberPlacesNone) {
  ivu::IvuExportData data = ThreeStops();
  data.stops[0].x = 5;
  data.stops[0].y = 6;
  ivu::PlaceIvuStops(GeoStopList(), data);
  EXPECT_EQ(Placed(data), "F1=5,6;F2=0,0;F3=0,0;");

  GeoStopList points;
  points.Append(0, std::numeric_limits<double>::quiet_NaN(), 7);
  points.Append(1, 8, std::numeric_limits<double>::infinity());
  points.SetCode(*points.FindById(0), "F1");
  points.SetCode(*points.FindById(1), "F2");
  ivu::PlaceIvuStops(points, data);
  EXPECT_EQ(Placed(data), "F1=0,0;F2=0,0;F3=0,0;");
}

struct Rounding {
  double value;
  const char* text;
};

class IvuCoordinateRounding : public ::testing::TestWithParam<Rounding> {};

TEST_P(IvuCoordinateRounding, HalvesAwayFromZeroUnderEveryMode) {
  for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    const std::string text = ivu::FormatIvuCoordinate(GetParam().value);
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(text, GetParam().text) << GetParam().value << " mode " << mode;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, IvuCoordinateRounding,
                         ::testing::Values(Rounding{12.5, "13"}, Rounding{-12.5, "-13"}, Rounding{2.5, "3"},
                                           Rounding{-2.5, "-3"}, Rounding{0.5, "1"}, Rounding{-0.4, "0"},
                                           Rounding{12.4, "12"}, Rounding{45.6, "46"}, Rounding{1681234.5, "1681235"},
                                           Rounding{4812345.49, "4812345"},
                                           // Past the range of a whole number of 64 bits: the value as it stands.
                                           Rounding{1e20, "100000000000000000000"},
                                           Rounding{-1e19, "-10000000000000000000"}));

}  // namespace
