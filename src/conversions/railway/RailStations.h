#pragma once
// The railway stations: the points of a stop set in the RT_NODI layout, in record order. Only the
// stations of the working company carry a code; the others stay in the list without one and still
// count in the searches by position. Stations are found by code through a sorted index and by
// position by walking the list.

#include "common/WorkProgress.h"

#include <string>
#include <vector>

struct Station {
  int index = 0;     // the record's index in its set, from 0
  std::string code;  // empty for a station of another company
  double x = 0.0;
  double y = 0.0;
};

class StationList {
 public:
  // Appends a station without a code; record indexes are appended in ascending order.
  void Append(int index, double x, double y);
  // Gives the code to the first station of that record index; nothing when there is none.
  void SetCode(int index, const std::string& code);
  // Sorts the coded stations by code, byte by byte; equal codes keep their file order.
  void BuildIndex();
  // The first station in file order with exactly that code (after BuildIndex), or null.
  const Station* FindByCode(const std::string& code) const;
  // The first station whose x and y equal the point's exactly, or null.
  const Station* FindAt(double x, double y) const;
  // The station nearest to the point (Euclidean), the first in file order among equal distances;
  // null for an empty list, or when no distance is finite.
  const Station* FindNearest(double x, double y) const;
  void Clear();

  int Count() const { return static_cast<int>(stations_.size()); }
  int IndexCount() const { return static_cast<int>(index_.size()); }
  const std::vector<Station>& Stations() const { return stations_; }

 private:
  std::vector<Station> stations_;
  std::vector<int> index_;  // positions in stations_ of the coded stations, by code
};

constexpr const char* kStationInputCaption = "Selezione ShapeFile Stazioni (RT_NODI.SHP)";

struct StationReading {
  bool ok = false;
  std::string failure;  // when not ok: the damaged set's fault, the refusal or NoCompanyStopText (stop icon)
  StationList stations;
};

// Reads the stations of the set of `path`; a code only for the records of `company`. Only point
// records are stations: a record of another kind, a null record among them, gives none.
StationReading ReadStationSet(const std::string& path, int company, WorkProgress* progress);
