#pragma once
// Points of a shape: a list that keeps its bounding box as points are appended, and bounded
// access to the vertex and part arrays of a shape.

#include "common/ByteOrder.h"
#include "common/RecordList.h"

#include <cfloat>
#include <cstdint>
#include <vector>

struct PointNode {
  double x = 0.0;
  double y = 0.0;
  PointNode(double px, double py) : x(px), y(py) {}
};

class PointList {
 public:
  RecordList<PointNode> points;
  double minX = DBL_MAX;
  double minY = DBL_MAX;
  double maxX = -DBL_MAX;
  double maxY = -DBL_MAX;
  PointList* link = nullptr;  // the next list of a chain of lines, kept by the list's owner

  // Appends the point and widens the box; a point equal to the last one is not added (null).
  PointNode* AddPoint(double x, double y);
  int Count() const { return points.Count(); }
  // Deletes the points; the box stays as it was.
  void Clear() { points.Clear(); }
};

// The vertices of a shape, x then y, in file order.
struct Vertex {
  double x = 0.0;
  double y = 0.0;
};

class VertexArray {
 public:
  std::vector<Vertex> vertices;

  int Count() const { return static_cast<int>(vertices.size()); }
  // Vertex i, or (0.0, 0.0) outside 0 .. count-1.
  void GetVertex(int i, double& x, double& y) const;
  // Reads count vertices (16 bytes each, little-endian doubles) from offset; false, with no
  // vertex kept, when the buffer holds fewer bytes than the count claims or count is negative.
  bool Load(ConstBytes bytes, std::size_t offset, std::int64_t count);
};

// The part records of a shape (their layout belongs to the shapefile code).
template <class T>
class LinePartArray {
 public:
  std::vector<T> parts;

  int Count() const { return static_cast<int>(parts.size()); }
  T* GetAt(int i) { return i >= 0 && i < Count() ? &parts[static_cast<std::size_t>(i)] : nullptr; }
  const T* GetAt(int i) const { return i >= 0 && i < Count() ? &parts[static_cast<std::size_t>(i)] : nullptr; }
};
