#include "conversions/ivu/IvuFields.h"

#include <gtest/gtest.h>

namespace {

TEST(IvuExportFields, AHashInATextBecomesABlank) {
  EXPECT_EQ(ivu::JoinIvuFields({"A#B", "", "C"}), "A B##C#");
  EXPECT_EQ(ivu::FormatIvuTimeOfDay(705), "07.05:00");
  EXPECT_EQ(ivu::FormatIvuDuration(15), "15:00");
  EXPECT_EQ(ivu::FormatIvuCoordinate(12.5), "13");
  EXPECT_EQ(ivu::FormatIvuCoordinate(-12.5), "-13");
}

}  // namespace
