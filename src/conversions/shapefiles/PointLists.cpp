#include "conversions/shapefiles/PointLists.h"

PointNode* PointList::AddPoint(double x, double y) {
  const PointNode* last = points.Last();
  if (last && last->x == x && last->y == y) return nullptr;
  PointNode* node = points.Emplace(x, y);
  if (x < minX) minX = x;
  if (x > maxX) maxX = x;
  if (y < minY) minY = y;
  if (y > maxY) maxY = y;
  return node;
}

void VertexArray::GetVertex(int i, double& x, double& y) const {
  if (i >= 0 && i < Count()) {
    x = vertices[static_cast<std::size_t>(i)].x;
    y = vertices[static_cast<std::size_t>(i)].y;
  } else {
    x = 0.0;
    y = 0.0;
  }
}

bool VertexArray::Load(ConstBytes bytes, std::size_t offset, std::int64_t count) {
  vertices.clear();
  if (count < 0 || offset > bytes.size()) return false;
  if (static_cast<std::uint64_t>(count) > (bytes.size() - offset) / 16) return false;
  vertices.resize(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    ReadDouble(bytes, offset + 16 * i, 'L', vertices[i].x);
    ReadDouble(bytes, offset + 16 * i + 8, 'L', vertices[i].y);
  }
  return true;
}
