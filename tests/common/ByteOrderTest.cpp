// Numbers read and written in either byte order, and the readers of binary files that must stop at
// their end.

#include "common/ByteOrder.h"

#include <gtest/gtest.h>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ByteOrder, KnownLayoutsAndRoundTripsInBothOrders) {
  Bytes b(8, 0xAA);
  ASSERT_TRUE(WriteInt32(9994, b, 0, 'B'));
  EXPECT_EQ(b, (Bytes{0x00, 0x00, 0x27, 0x0A, 0xAA, 0xAA, 0xAA, 0xAA}));  // nothing written beyond the value
  std::int32_t i32 = 0;
  ASSERT_TRUE(ReadInt32(b, 0, 'x', i32));  // any other letter is little-endian
  EXPECT_EQ(i32, 0x0A270000);
  ASSERT_TRUE(WriteInt16(-2, b, 0, 'L') && WriteDouble(1.0, b, 0, 'B'));
  EXPECT_EQ(b, (Bytes{0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));

  for (char order : {'B', 'L'}) {
    for (std::int32_t v : {0, 1, -1, 0x12345678, INT32_MIN, INT32_MAX, INT16_MIN, INT16_MAX}) {
      std::string buffer;
      AppendInt32(buffer, v, order);
      AppendInt16(buffer, static_cast<std::int16_t>(v), order);
      std::int16_t back16 = 0;
      ASSERT_TRUE(ReadInt32(AsBytes(buffer), 0, order, i32) && ReadInt16(AsBytes(buffer), 4, order, back16));
      EXPECT_EQ(std::pair(i32, back16), std::pair(v, static_cast<std::int16_t>(v)));
    }
    for (double v : {0.0, -0.0, 1.5, -123456.789, DBL_MAX, DBL_MIN / 4, HUGE_VAL, std::nan("")}) {
      std::string buffer;
      AppendDouble(buffer, v, order);
      double back = 0;
      ASSERT_TRUE(ReadDouble(AsBytes(buffer), 0, order, back));
      EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << v;  // bit for bit, sign of zero and NaN included
    }
  }
}

// Reads and writes past the end fail and touch nothing, in a heap block of exactly the file's
// size too, and an offset near the top of the range does not wrap round.
TEST(ByteOrder, ShortBuffersFailWithoutTouchingAnythingAndAReaderStopsAtTheEnd) {
  auto exact = std::make_unique<std::uint8_t[]>(6);
  std::memset(exact.get(), 0x11, 6);
  const ConstBytes six(exact.get(), 6);
  std::int32_t i32 = 77;
  std::int16_t i16 = 77;
  double d = 5.0;
  EXPECT_FALSE(ReadDouble(six, 0, 'L', d) || ReadInt32(six, 3, 'L', i32) || ReadDouble(ConstBytes(), 0, 'L', d));
  for (std::size_t offset : {std::size_t{5}, std::size_t{6}, SIZE_MAX, SIZE_MAX - 1})
    EXPECT_FALSE(ReadInt16(six, offset, 'B', i16)) << offset;
  EXPECT_EQ(std::tuple(i32, i16, d), std::tuple(77, 77, 5.0));
  EXPECT_TRUE(ReadInt16(six, 4, 'L', i16) && i16 == 0x1111);
  Bytes out = {9, 9, 9};
  EXPECT_FALSE(WriteInt32(1, out, 0, 'B') || WriteInt16(1, out, 2, 'B') || WriteDouble(1.0, out, SIZE_MAX - 2, 'B'));
  EXPECT_EQ(out, (Bytes{9, 9, 9}));
  std::string header;
  for (std::int32_t v : {9994, 50}) AppendInt32(header, v, 'B');
  AppendInt32(header, 1000, 'L');
  AppendDouble(header, 1600000.5, 'L');
  ByteReader reader(std::string_view(header).substr(0, 16));  // cut inside the double
  std::int32_t code = 0, length = 0, version = 0;
  std::int16_t past = 0;
  double x = 7;
  EXPECT_TRUE(reader.Int32('B', code) && reader.Int32('B', length) && reader.Int32('L', version));
  EXPECT_EQ(std::vector<int>({code, length, version}), std::vector<int>({9994, 50, 1000}));
  EXPECT_FALSE(reader.Double('L', x));
  EXPECT_EQ(std::tuple(x, reader.Position(), reader.Failed()), std::tuple(7.0, std::size_t{12}, true));
  EXPECT_FALSE(reader.Int16('L', past));  // stays failed
  EXPECT_TRUE(ByteReader(header).Skip(header.size()));
  EXPECT_FALSE(ByteReader(header).Seek(header.size() + 1) || ByteReader(header).Skip(header.size() + 1));
}

}  // namespace
