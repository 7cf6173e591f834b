// The field and point lists of the shapefile sets.

#include "conversions/shapefiles/DbfFields.h"
#include "conversions/shapefiles/PointLists.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

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
  std::string bytes;  // a short record gives what is there
  for (const char* record : {" F001Piazza", " F001Pia", " F00", ""})
    bytes += std::string(DbfFieldBytes(record, *code)) + "/" + std::string(DbfFieldBytes(record, *name)) + "|";
  EXPECT_EQ(bytes, "F001/Piazza|F001/Pia|F00/|/|");
}

TEST(PointLists, RepeatedPointsTheBoundingBoxAndVerticesInBounds) {
  PointList line, negative;
  EXPECT_TRUE(line.AddPoint(1, 2) && !line.AddPoint(1, 2) && line.AddPoint(3, 4));
  EXPECT_NE(line.AddPoint(1, 2), nullptr);  // a closed ring keeps its last vertex
  negative.AddPoint(-5, -7);
  negative.AddPoint(-1, -2);
  EXPECT_EQ(std::vector<double>({1.0 * line.Count(), line.minX, line.minY, line.maxX, line.maxY, negative.minX,
                                 negative.minY, negative.maxX, negative.maxY}),
            std::vector<double>({3, 1, 2, 3, 4, -5, -7, -1, -2}));

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
  for (const auto& [offset, count] : std::initializer_list<std::pair<std::size_t, std::int64_t>>{
           {0, 3}, {8, 2}, {0, -1}, {0, std::numeric_limits<std::int64_t>::max()}, {1000, 0}})
    EXPECT_FALSE(vertices.Load(AsBytes(data), offset, count)) << offset << " " << count;
  EXPECT_EQ(vertices.Count(), 0);
  EXPECT_TRUE(vertices.Load(AsBytes(data), 16, 1) && vertices.Count() == 1);
}

}  // namespace
