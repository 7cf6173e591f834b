// Numbers read and written in either byte order, the readers of binary files that must stop at
// their end, and the field and point lists of the exchanged files.

#include "common/ByteOrder.h"
#include "common/DbfFields.h"
#include "common/PointLists.h"

#include <gtest/gtest.h>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
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
      EXPECT_EQ(i32, v);
      EXPECT_EQ(back16, static_cast<std::int16_t>(v));
    }
    for (double v : {0.0, -0.0, 1.5, -123456.789, DBL_MAX, -DBL_MAX, DBL_MIN / 4, HUGE_VAL, std::nan("")}) {
      std::string buffer;
      AppendDouble(buffer, v, order);
      double back = 0;
      ASSERT_TRUE(ReadDouble(AsBytes(buffer), 0, order, back));
      EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << v;  // bit for bit, sign of zero and NaN included
    }
  }
}

TEST(ByteOrder, ShortBuffersFailWithoutTouchingAnything) {
  const Bytes three = {1, 2, 3};
  std::int32_t i32 = 77;
  std::int16_t i16 = 77;
  double d = 5.0;
  EXPECT_FALSE(ReadInt32(three, 0, 'B', i32));
  EXPECT_FALSE(ReadDouble(ConstBytes(), 0, 'L', d));
  EXPECT_EQ(i32 + d, 82);
  EXPECT_TRUE(ReadInt16(three, 1, 'B', i16));
  EXPECT_EQ(i16, 0x0203);
  for (std::size_t offset : {std::size_t{2}, std::size_t{3}, SIZE_MAX, SIZE_MAX - 1})  // no wrap of offset + size
    EXPECT_FALSE(ReadInt16(three, offset, 'B', i16)) << offset;
  // Reads at the very end of a heap block of exactly the file's size.
  auto exact = std::make_unique<std::uint8_t[]>(6);
  std::memset(exact.get(), 0x11, 6);
  EXPECT_FALSE(ReadDouble(ConstBytes(exact.get(), 6), 0, 'L', d));
  EXPECT_TRUE(ReadInt16(ConstBytes(exact.get(), 6), 4, 'L', i16));
  EXPECT_FALSE(ReadInt32(ConstBytes(exact.get(), 6), 3, 'L', i32));

  Bytes out = {9, 9, 9};
  EXPECT_FALSE(WriteInt32(1, out, 0, 'B') || WriteInt16(1, out, 2, 'B') || WriteDouble(1.0, out, SIZE_MAX - 2, 'B'));
  EXPECT_EQ(out, (Bytes{9, 9, 9}));
}

TEST(ByteOrder, ReaderStopsCleanlyAtATruncatedFile) {
  // A shapefile main header: file code and length big-endian, version and shape type
  // little-endian, then the bounding box as little-endian doubles.
  std::string header;
  for (std::int32_t v : {9994, 0, 0, 0, 0, 0, 50}) AppendInt32(header, v, 'B');
  for (std::int32_t v : {1000, 1}) AppendInt32(header, v, 'L');
  for (double v : {1600000.5, 4800000.25, 1700000.0, 4900000.75, 0.0, 0.0, 0.0, 0.0}) AppendDouble(header, v, 'L');
  ByteReader reader(header);
  std::int32_t code = 0, length = 0, version = 0, type = 0;
  double xmin = 0, ymin = 0;
  EXPECT_TRUE(reader.Int32('B', code) && reader.Skip(20) && reader.Int32('B', length) && reader.Int32('L', version) &&
              reader.Int32('L', type) && reader.Double('L', xmin) && reader.Double('L', ymin));
  EXPECT_EQ(std::vector<double>({1.0 * code, 1.0 * length, 1.0 * version, 1.0 * type, xmin, ymin}),
            std::vector<double>({9994, 50, 1000, 1, 1600000.5, 4800000.25}));
  EXPECT_TRUE(reader.Skip(reader.Remaining()));
  std::int16_t past = 0;
  EXPECT_FALSE(reader.Int16('L', past));
  EXPECT_TRUE(reader.Failed());

  const std::string cut = header.substr(0, 40);  // ends inside the first double
  ByteReader shortReader(cut);
  EXPECT_TRUE(shortReader.Seek(36));
  EXPECT_FALSE(shortReader.Double('L', xmin));
  EXPECT_EQ(xmin, 1600000.5);  // unchanged
  EXPECT_EQ(shortReader.Position(), 36u);
  EXPECT_FALSE(shortReader.Int32('L', type));  // stays failed
  EXPECT_FALSE(ByteReader(cut).Seek(41));
  EXPECT_FALSE(ByteReader(cut).Skip(41));
}

TEST(DbfFields, WidthsOffsetsRecordLengthAndFieldBytes) {
  for (int mode : {0, 1}) {
    DbfFieldList fields;
    EXPECT_EQ(fields.ComputeOffsets(), 0);
    fields.Add("A", 'C', 20, 0, mode);
    fields.Add("B", 'N', 10, 2, mode);
    fields.Add("C", 'N', 6, 0, mode);
    std::string layout = std::to_string(fields.ComputeOffsets());
    for (const DbfField& f : fields) layout += " " + std::to_string(f.offset) + "+" + std::to_string(f.width);
    EXPECT_EQ(layout, mode == 0 ? "39 0+20 20+13 33+6" : "41 0+20 20+14 34+7");
  }
  EXPECT_EQ(DbfField("D", 'D', 8, 3, 1).width, 8);

  DbfFieldList fields;
  const DbfField* code = fields.Add("CODICE", 'C', 4, 0, 0);
  const DbfField* name = fields.Add("NOME", 'C', 6, 0, 0);
  fields.ComputeOffsets();
  const auto bytes = [&](const char* record, const DbfField* field) {
    return std::string(DbfFieldBytes(record, *field));
  };
  EXPECT_EQ(bytes(" F001Piazza", code) + "|" + bytes(" F001Piazza", name), "F001|Piazza");
  // A short record gives what is there.
  EXPECT_EQ(bytes(" F001Pia", name) + "|" + bytes(" F00", name) + "|" + bytes("", code), "Pia||");
}

// The bounding box of a list, as min x, min y, max x, max y.
std::vector<double> Box(const PointList& p) { return {p.minX, p.minY, p.maxX, p.maxY}; }

TEST(PointLists, RepeatedPointsAndTheBoundingBox) {
  PointList line;
  EXPECT_NE(line.AddPoint(1, 2), nullptr);
  EXPECT_EQ(line.AddPoint(1, 2), nullptr);
  EXPECT_NE(line.AddPoint(3, 4), nullptr);
  EXPECT_NE(line.AddPoint(1, 2), nullptr);  // a closed ring keeps its last vertex
  EXPECT_EQ(line.Count(), 3);
  EXPECT_EQ(Box(line), (std::vector<double>{1, 2, 3, 4}));
  PointList negative;
  negative.AddPoint(-5, -7);
  negative.AddPoint(-1, -2);
  EXPECT_EQ(Box(negative), (std::vector<double>{-5, -7, -1, -2}));
  negative.Clear();
  EXPECT_EQ(negative.Count(), 0);
  EXPECT_EQ(negative.maxY, -2);  // the box stays
}

TEST(PointLists, VertexAndPartArraysStayInBounds) {
  std::string data;
  for (double v : {1.0, 2.0, 3.0, 4.0}) AppendDouble(data, v, 'L');
  VertexArray vertices;
  ASSERT_TRUE(vertices.Load(AsBytes(data), 0, 2));
  for (const auto& [at, expected] : {std::pair{1, 7.0}, {-1, 0.0}, {2, 0.0}}) {
    double x = 9, y = 9;
    vertices.GetVertex(at, x, y);
    EXPECT_EQ(x + y, expected) << at;
  }
  // A count that claims more vertices than the bytes hold is refused.
  EXPECT_FALSE(vertices.Load(AsBytes(data), 0, 3));
  EXPECT_EQ(vertices.Count(), 0);
  for (const auto& [offset, count] : std::initializer_list<std::pair<std::size_t, std::int64_t>>{
           {8, 2}, {0, -1}, {0, std::numeric_limits<std::int64_t>::max()}, {1000, 0}})
    EXPECT_FALSE(vertices.Load(AsBytes(data), offset, count)) << offset << " " << count;
  EXPECT_TRUE(vertices.Load(AsBytes(data), 16, 1));
  EXPECT_EQ(vertices.Count(), 1);

  struct Part {
    int first;
  };
  LinePartArray<Part> parts;
  parts.parts = {{0}, {5}};
  ASSERT_NE(parts.GetAt(1), nullptr);
  EXPECT_EQ(parts.GetAt(1)->first, 5);
  EXPECT_TRUE(parts.GetAt(2) == nullptr && parts.GetAt(-1) == nullptr);
}

}  // namespace
