#pragma once
// The two maps of the MicroBus route generation: the working company's stops from an RT_NODI point
// set, and the arcs of the street network from the ARCHI polyline set of MicroBus Map, each arc a
// line from one stop to another. Stops come only from point records and arcs only from polyline
// records; both tables are sorted once by their key and searched by bisection, the keys compared
// byte by byte (case and every blank count).

#include "common/Outcome.h"
#include "common/WorkProgress.h"
#include "conversions/shapefiles/CodedPoints.h"
#include "conversions/shapefiles/PointLists.h"

#include <string>
#include <vector>

// The stops of a MicroBus map: its points, coded when they are the working company's.
using MapStop = CodedPoint;
using MapStopTable = CodedPointList;

struct MapArc {
  int index = 0;
  std::string fromCode;
  std::string toCode;
  std::vector<Vertex> vertices;  // the first part's, in file order
};

class MapArcTable {
 public:
  void Append(int index, std::vector<Vertex> vertices);
  void SetCodes(int index, const std::string& from, const std::string& to);
  void BuildIndex();
  // The arc from `from` to `to` (that order), or null.
  const MapArc* Find(const std::string& from, const std::string& to) const;
  int Count() const { return static_cast<int>(arcs_.size()); }

 private:
  std::vector<MapArc> arcs_;
  std::vector<int> slotOf_;
  std::vector<int> byCodes_;
};

// Not ok: the damaged set's fault or the refusal, with the stop icon.
struct MapReading : Outcome {};

// Reads the stops of the set at `path`: of the records of company `company`, the code of
// COD_FERM or COD_FERMA (the later in the field list). A code that holds a control byte or a
// character Windows-1252 lacks refuses the set, naming its record (ShapeSetReader::CodeOrName).
MapReading ReadMicroBusStops(const std::string& path, int company, MapStopTable& stops, WorkProgress* progress);
// Reads the arcs of the set at `path`: ABBREVIAZI the stop where each begins, ABBREVIA0 where it
// ends, refused as the stops' codes are; multi-part lines are warned of and keep their first part.
MapReading ReadMicroBusArcs(const std::string& path, MapArcTable& arcs, WorkProgress* progress);

std::string ArcMapRefusalText();
