#pragma once
// The railway stations: the points of a stop set in the RT_NODI layout, in record order. Only the
// stations of the working company carry a code; the others stay in the list without one and still
// count in the searches by position. Stations are found by code through a sorted index and by
// position by walking the list.

#include "common/Outcome.h"
#include "common/WorkProgress.h"
#include "conversions/shapefiles/CodedPoints.h"

#include <string>
#include <vector>

// A station: a point of the set, coded when it is the working company's.
using Station = CodedPoint;
using StationList = CodedPointList;

constexpr const char* kStationInputCaption = "Selezione ShapeFile Stazioni (RT_NODI.SHP)";

// When not ok: the damaged set's fault, the refusal or NoCompanyStopText (stop icon).
struct StationReading : Outcome {
  StationList stations;
};

// Reads the stations of the set of `path`; a code only for the records of `company`. Only point
// records are stations: a record of another kind, a null record among them, gives none. A code
// that holds a control byte or a character Windows-1252 lacks refuses the set, naming its record
// (ShapeSetReader::CodeOrName).
StationReading ReadStationSet(const std::string& path, int company, WorkProgress* progress);
