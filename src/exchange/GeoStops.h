#pragma once
// The coordinates of the stops, read from a stop shapefile for the communication and the
// IVU-InfoPool export: one entry per point record, with the record's index, its X and Y and the
// stop code it was given (empty until set). Both the record index and the code are looked up
// directly, not by walking the list.

#include <string>
#include <unordered_map>
#include <vector>

struct GeoStop {
  long id = 0;  // the record's index in its file, from 0
  double x = 0.0;
  double y = 0.0;
  std::string code;
};

class GeoStopList {
 public:
  // Appends a point with an empty code.
  void Append(long id, double x, double y);
  // The first point of that record index, or null.
  GeoStop* FindById(long id);
  // Sets the code of a point of the list (a null text gives an empty code).
  void SetCode(GeoStop& stop, const char* code);
  // X and Y of the first point, in record order, whose code equals `code` byte by byte; 0 and 0
  // when there is none, and always for an empty code.
  void GetCoordinates(const std::string& code, double& x, double& y) const;
  void Clear();

  int Count() const { return static_cast<int>(stops_.size()); }
  bool Empty() const { return stops_.empty(); }
  const std::vector<GeoStop>& Stops() const { return stops_; }

 private:
  std::vector<GeoStop> stops_;
  std::unordered_map<long, std::size_t> byId_;  // first position of each id
  mutable std::unordered_map<std::string, std::size_t> byCode_;
  mutable bool codesIndexed_ = false;
};
