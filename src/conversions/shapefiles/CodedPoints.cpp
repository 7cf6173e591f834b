#include "conversions/shapefiles/CodedPoints.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

void CodedPointList::Append(int index, double x, double y) { points_.push_back({index, {}, x, y}); }

void CodedPointList::SetCode(int index, const std::string& code) {
  // The points are appended in record order, so the indexes ascend.
  const auto it = std::lower_bound(points_.begin(), points_.end(), index,
                                   [](const CodedPoint& s, int key) { return s.index < key; });
  if (it != points_.end() && it->index == index) it->code = code;
}

void CodedPointList::BuildIndex() {
  index_.clear();
  for (int k = 0; k < Count(); ++k)
    if (!points_[static_cast<std::size_t>(k)].code.empty()) index_.push_back(k);
  // std::string compares its bytes as unsigned characters.
  std::stable_sort(index_.begin(), index_.end(), [this](int a, int b) {
    return points_[static_cast<std::size_t>(a)].code < points_[static_cast<std::size_t>(b)].code;
  });
}

const CodedPoint* CodedPointList::FindByCode(const std::string& code) const {
  const auto it = std::lower_bound(index_.begin(), index_.end(), code, [this](int k, const std::string& key) {
    return points_[static_cast<std::size_t>(k)].code < key;
  });
  if (it == index_.end() || points_[static_cast<std::size_t>(*it)].code != code) return nullptr;
  return &points_[static_cast<std::size_t>(*it)];
}

const CodedPoint* CodedPointList::FindAt(double x, double y) const {
  for (const CodedPoint& s : points_)
    if (s.x == x && s.y == y) return &s;
  return nullptr;
}

const CodedPoint* CodedPointList::FindNearest(double x, double y) const {
  const CodedPoint* best = nullptr;
  double bestDistance = DBL_MAX;
  for (const CodedPoint& s : points_) {
    const double dx = s.x - x, dy = s.y - y;
    const double distance = std::sqrt(dx * dx + dy * dy);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = &s;
    }
  }
  return best;  // null too when no distance is finite (a point of NaN or of huge coordinates)
}

void CodedPointList::Clear() {
  points_.clear();
  index_.clear();
}
