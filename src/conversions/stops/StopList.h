#pragma once
// The stops read from a point shapefile, in the order of its records: each with its record's
// index, its code, its name and its coordinates. A record is reached by its index directly.

#include <string>
#include <vector>

struct StopNode {
  int index = 0;  // the record's index in its file, from 0
  std::string code;
  std::string name;
  double x = 0.0;
  double y = 0.0;
};

class StopList {
 public:
  // Appends a stop with an empty code and name.
  void Append(int index, double x, double y);
  // Sets code and name of the first stop of that index; nothing when there is none.
  void SetStopNames(int index, const std::string& code, const std::string& name);
  // The first stop of that index, or null.
  StopNode* Find(int index);
  void Clear();

  int Count() const { return static_cast<int>(stops_.size()); }
  const std::vector<StopNode>& Stops() const { return stops_; }

 private:
  std::vector<StopNode> stops_;
  std::vector<int> slotOf_;  // record index -> position in stops_, -1 for none
};
