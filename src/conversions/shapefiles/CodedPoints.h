#pragma once
// The points of a stop set in record order, each with the stop code its record gives (empty for a
// point the code does not belong to: another company's, or not yet given). Found by code through
// an index sorted by code, and by position by walking the list. The railway stations and the
// MicroBus stops are such lists.

#include <string>
#include <vector>

struct CodedPoint {
  int index = 0;     // the record's index in its set, from 0
  std::string code;  // empty when the point has no code
  double x = 0.0;
  double y = 0.0;
};

class CodedPointList {
 public:
  // Appends a point without a code; record indexes are appended in ascending order.
  void Append(int index, double x, double y);
  // Gives the code to the first point of that record index; nothing when there is none.
  void SetCode(int index, const std::string& code);
  // Sorts the coded points by code, byte by byte; equal codes keep their file order.
  void BuildIndex();
  // The first point in file order with exactly that code (after BuildIndex), or null; always null
  // for an empty code.
  const CodedPoint* FindByCode(const std::string& code) const;
  // The first point whose x and y equal the point's exactly, or null.
  const CodedPoint* FindAt(double x, double y) const;
  // The point nearest to (x, y) (Euclidean), the first in file order among equal distances; null
  // for an empty list, or when no distance is finite.
  const CodedPoint* FindNearest(double x, double y) const;
  void Clear();

  int Count() const { return static_cast<int>(points_.size()); }
  // The points with a code (known once the index is built).
  int IndexCount() const { return static_cast<int>(index_.size()); }
  const std::vector<CodedPoint>& Points() const { return points_; }

 private:
  std::vector<CodedPoint> points_;
  std::vector<int> index_;  // positions in points_ of the coded points, by code
};
