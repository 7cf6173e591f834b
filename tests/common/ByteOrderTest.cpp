#include "common/ByteOrder.h"
#include "common/DbfFields.h"
#include "common/PointLists.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QFile>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<std::uint8_t> out;
  for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
  return out;
}

bool WriteFile(const std::string& path, const std::string& data) {
  QFile f(QString::fromStdString(path));
  return f.open(QIODevice::WriteOnly) &&
         f.write(data.data(), static_cast<qint64>(data.size())) == static_cast<qint64>(data.size());
}

std::string ReadFile(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray all = f.readAll();
  return std::string(all.constData(), static_cast<std::size_t>(all.size()));
}

}  // namespace

TEST(ByteOrder, KnownByteLayouts) {
  std::vector<std::uint8_t> b(8, 0xAA);
  ASSERT_TRUE(WriteInt32(9994, b, 0, 'B'));
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin(), b.begin() + 4), Bytes({0x00, 0x00, 0x27, 0x0A}));
  EXPECT_EQ(b[4], 0xAA);  // nothing written beyond the value
  std::int32_t i32 = 0;
  ASSERT_TRUE(ReadInt32(b, 0, 'B', i32));
  EXPECT_EQ(i32, 9994);
  ASSERT_TRUE(ReadInt32(b, 0, 'L', i32));
  EXPECT_EQ(i32, 0x0A270000);
  ASSERT_TRUE(ReadInt32(b, 0, 'x', i32));  // any other letter is little-endian
  EXPECT_EQ(i32, 0x0A270000);

  ASSERT_TRUE(WriteInt16(-2, b, 0, 'L'));
  EXPECT_EQ(b[0], 0xFE);
  EXPECT_EQ(b[1], 0xFF);
  std::int16_t i16 = 0;
  ASSERT_TRUE(ReadInt16(b, 0, 'L', i16));
  EXPECT_EQ(i16, -2);

  ASSERT_TRUE(WriteDouble(1.0, b, 0, 'L'));
  EXPECT_EQ(b, Bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  ASSERT_TRUE(WriteDouble(1.0, b, 0, 'B'));
  EXPECT_EQ(b, Bytes({0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));
  double d = 0;
  ASSERT_TRUE(ReadDouble(b, 0, 'B', d));
  EXPECT_EQ(d, 1.0);
}

TEST(ByteOrder, RoundTripsInBothOrders) {
  const std::int16_t shorts[] = {
      0, 1, -1, 0x1234, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()};
  const std::int32_t longs[] = {
      0, 1, -1, 0x12345678, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
  const double doubles[] = {0.0,          -0.0,     1.5,         -123456.789,
                            DBL_MAX,      -DBL_MAX, DBL_MIN / 4, std::numeric_limits<double>::infinity(),
                            1681234.56789};
  for (char order : {'B', 'L'}) {
    for (std::int16_t v : shorts) {
      std::string buffer;
      AppendInt16(buffer, v, order);
      std::int16_t back = 0;
      ASSERT_TRUE(ReadInt16(AsBytes(buffer), 0, order, back));
      EXPECT_EQ(back, v);
    }
    for (std::int32_t v : longs) {
      std::string buffer;
      AppendInt32(buffer, v, order);
      std::int32_t back = 0;
      ASSERT_TRUE(ReadInt32(AsBytes(buffer), 0, order, back));
      EXPECT_EQ(back, v);
    }
    for (double v : doubles) {
      std::string buffer;
      AppendDouble(buffer, v, order);
      double back = 0;
      ASSERT_TRUE(ReadDouble(AsBytes(buffer), 0, order, back));
      EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << v;  // bit for bit, sign of zero included
    }
  }
  std::string nan;
  AppendDouble(nan, std::numeric_limits<double>::quiet_NaN(), 'B');
  double back = 0;
  ASSERT_TRUE(ReadDouble(AsBytes(nan), 0, 'B', back));
  EXPECT_TRUE(std::isnan(back));
}

TEST(ByteOrder, ShortBuffersFailWithoutTouchingAnything) {
  const std::vector<std::uint8_t> three = Bytes({1, 2, 3});
  std::int32_t i32 = 77;
  EXPECT_FALSE(ReadInt32(three, 0, 'B', i32));
  EXPECT_EQ(i32, 77);
  std::int16_t i16 = 77;
  EXPECT_TRUE(ReadInt16(three, 1, 'B', i16));
  EXPECT_EQ(i16, 0x0203);
  EXPECT_FALSE(ReadInt16(three, 2, 'B', i16));
  EXPECT_FALSE(ReadInt16(three, 3, 'B', i16));
  EXPECT_FALSE(ReadInt16(three, SIZE_MAX, 'B', i16));  // no wrap-around of offset + size
  EXPECT_FALSE(ReadInt16(three, SIZE_MAX - 1, 'B', i16));
  double d = 5.0;
  EXPECT_FALSE(ReadDouble(ConstBytes(), 0, 'L', d));
  EXPECT_EQ(d, 5.0);

  // Reads at the very end of a heap block of exactly the file's size.
  auto exact = std::make_unique<std::uint8_t[]>(6);
  std::memset(exact.get(), 0x11, 6);
  EXPECT_FALSE(ReadDouble(ConstBytes(exact.get(), 6), 0, 'L', d));
  EXPECT_TRUE(ReadInt16(ConstBytes(exact.get(), 6), 4, 'L', i16));
  EXPECT_FALSE(ReadInt32(ConstBytes(exact.get(), 6), 3, 'L', i32));

  std::vector<std::uint8_t> out = Bytes({9, 9, 9});
  EXPECT_FALSE(WriteInt32(1, out, 0, 'B'));
  EXPECT_FALSE(WriteInt16(1, out, 2, 'B'));
  EXPECT_FALSE(WriteDouble(1.0, out, SIZE_MAX - 2, 'B'));
  EXPECT_EQ(out, Bytes({9, 9, 9}));
}

TEST(ByteOrder, ReaderStopsCleanlyAtATruncatedFile) {
  // A shapefile main header: file code and length big-endian, version and shape type
  // little-endian, then the bounding box as little-endian doubles.
  std::string header;
  AppendInt32(header, 9994, 'B');
  for (int i = 0; i < 5; ++i) AppendInt32(header, 0, 'B');
  AppendInt32(header, 50, 'B');
  AppendInt32(header, 1000, 'L');
  AppendInt32(header, 1, 'L');
  for (double v : {1600000.5, 4800000.25, 1700000.0, 4900000.75, 0.0, 0.0, 0.0, 0.0}) AppendDouble(header, v, 'L');
  ASSERT_EQ(header.size(), 100u);

  ScratchDir dir;
  const std::string path = dir.Path("RT_NODI.shp");
  ASSERT_TRUE(WriteFile(path, header));
  const std::string whole = ReadFile(path);
  ASSERT_EQ(whole, header);

  ByteReader reader(whole);
  std::int32_t code = 0, length = 0, version = 0, type = 0;
  double xmin = 0, ymin = 0;
  EXPECT_TRUE(reader.Int32('B', code));
  EXPECT_TRUE(reader.Skip(20));
  EXPECT_TRUE(reader.Int32('B', length));
  EXPECT_TRUE(reader.Int32('L', version));
  EXPECT_TRUE(reader.Int32('L', type));
  EXPECT_TRUE(reader.Double('L', xmin));
  EXPECT_TRUE(reader.Double('L', ymin));
  EXPECT_EQ(code, 9994);
  EXPECT_EQ(length, 50);
  EXPECT_EQ(version, 1000);
  EXPECT_EQ(type, 1);
  EXPECT_EQ(xmin, 1600000.5);
  EXPECT_EQ(ymin, 4800000.25);
  EXPECT_TRUE(reader.Skip(reader.Remaining()));
  std::int16_t past = 0;
  EXPECT_FALSE(reader.Int16('L', past));
  EXPECT_TRUE(reader.Failed());

  // The same file cut inside the first double.
  const std::string cutPath = dir.Path("CUT.shp");
  ASSERT_TRUE(WriteFile(cutPath, header.substr(0, 40)));
  const std::string cut = ReadFile(cutPath);
  ASSERT_EQ(cut.size(), 40u);
  ByteReader shortReader(cut);
  EXPECT_TRUE(shortReader.Seek(36));
  EXPECT_FALSE(shortReader.Double('L', xmin));
  EXPECT_EQ(xmin, 1600000.5);  // unchanged
  EXPECT_EQ(shortReader.Position(), 36u);
  EXPECT_FALSE(shortReader.Int32('L', type));  // stays failed
  EXPECT_FALSE(ByteReader(cut).Seek(41));
  EXPECT_FALSE(ByteReader(cut).Skip(41));
}

TEST(DbfFields, WidthsOffsetsAndRecordLength) {
  for (int mode : {0, 1}) {
    DbfFieldList fields;
    EXPECT_EQ(fields.ComputeOffsets(), 0);
    fields.Add("A", 'C', 20, 0, mode);
    fields.Add("B", 'N', 10, 2, mode);
    fields.Add("C", 'N', 6, 0, mode);
    const std::int32_t length = fields.ComputeOffsets();
    std::vector<std::int32_t> widths, offsets;
    for (const DbfField& f : fields) {
      widths.push_back(f.width);
      offsets.push_back(f.offset);
    }
    if (mode == 0) {
      EXPECT_EQ(widths, (std::vector<std::int32_t>{20, 13, 6}));
      EXPECT_EQ(offsets, (std::vector<std::int32_t>{0, 20, 33}));
      EXPECT_EQ(length, 39);
    } else {
      EXPECT_EQ(widths, (std::vector<std::int32_t>{20, 14, 7}));
      EXPECT_EQ(offsets, (std::vector<std::int32_t>{0, 20, 34}));
      EXPECT_EQ(length, 41);
    }
    EXPECT_EQ(fields.First()->name, "A");
    EXPECT_EQ(fields.Last()->type, 'N');
  }
  EXPECT_EQ(DbfField("D", 'D', 8, 3, 1).width, 8);
}

TEST(DbfFields, FieldBytesAreBoundedByTheRecord) {
  DbfFieldList fields;
  DbfField* code = fields.Add("CODICE", 'C', 4, 0, 0);
  DbfField* name = fields.Add("NOME", 'C', 6, 0, 0);
  fields.ComputeOffsets();
  EXPECT_EQ(DbfFieldBytes(" F001Piazza", *code), "F001");
  EXPECT_EQ(DbfFieldBytes(" F001Piazza", *name), "Piazza");
  EXPECT_EQ(DbfFieldBytes(" F001Pia", *name), "Pia");  // a short record gives what is there
  EXPECT_EQ(DbfFieldBytes(" F00", *name), "");
  EXPECT_EQ(DbfFieldBytes("", *code), "");
}

TEST(PointLists, RepeatedPointsAndTheBoundingBox) {
  PointList empty;
  EXPECT_EQ(empty.minX, DBL_MAX);
  EXPECT_EQ(empty.minY, DBL_MAX);
  EXPECT_EQ(empty.maxX, -DBL_MAX);
  EXPECT_EQ(empty.maxY, -DBL_MAX);
  EXPECT_EQ(empty.link, nullptr);

  PointList line;
  EXPECT_NE(line.AddPoint(1, 2), nullptr);
  EXPECT_EQ(line.AddPoint(1, 2), nullptr);
  EXPECT_NE(line.AddPoint(3, 4), nullptr);
  EXPECT_NE(line.AddPoint(1, 2), nullptr);  // a closed ring keeps its last vertex
  EXPECT_EQ(line.Count(), 3);
  EXPECT_EQ(line.minX, 1);
  EXPECT_EQ(line.minY, 2);
  EXPECT_EQ(line.maxX, 3);
  EXPECT_EQ(line.maxY, 4);

  PointList negative;
  negative.AddPoint(-5, -7);
  negative.AddPoint(-1, -2);
  EXPECT_EQ(negative.minX, -5);
  EXPECT_EQ(negative.minY, -7);
  EXPECT_EQ(negative.maxX, -1);
  EXPECT_EQ(negative.maxY, -2);
  negative.Clear();
  EXPECT_EQ(negative.Count(), 0);
  EXPECT_EQ(negative.maxY, -2);  // the box stays
}

TEST(PointLists, VertexAndPartArraysStayInBounds) {
  std::string data;
  for (double v : {1.0, 2.0, 3.0, 4.0}) AppendDouble(data, v, 'L');
  VertexArray vertices;
  ASSERT_TRUE(vertices.Load(AsBytes(data), 0, 2));
  double x = 9, y = 9;
  vertices.GetVertex(1, x, y);
  EXPECT_EQ(x, 3.0);
  EXPECT_EQ(y, 4.0);
  vertices.GetVertex(-1, x, y);
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(y, 0.0);
  x = y = 9;
  vertices.GetVertex(vertices.Count(), x, y);
  EXPECT_EQ(x + y, 0.0);

  // A count that claims more vertices than the bytes hold is refused.
  EXPECT_FALSE(vertices.Load(AsBytes(data), 0, 3));
  EXPECT_EQ(vertices.Count(), 0);
  EXPECT_FALSE(vertices.Load(AsBytes(data), 8, 2));
  EXPECT_FALSE(vertices.Load(AsBytes(data), 0, -1));
  EXPECT_FALSE(vertices.Load(AsBytes(data), 0, std::numeric_limits<std::int64_t>::max()));
  EXPECT_FALSE(vertices.Load(AsBytes(data), 1000, 0));
  EXPECT_TRUE(vertices.Load(AsBytes(data), 16, 1));
  EXPECT_EQ(vertices.Count(), 1);

  struct Part {
    int first;
  };
  LinePartArray<Part> parts;
  parts.parts = {{0}, {5}};
  ASSERT_NE(parts.GetAt(1), nullptr);
  EXPECT_EQ(parts.GetAt(1)->first, 5);
  EXPECT_EQ(parts.GetAt(2), nullptr);
  EXPECT_EQ(parts.GetAt(-1), nullptr);
}
