#pragma once
// The railway arcs: lines between two stations, each with the codes of its start and end station.
// The same list holds the railway sections read for the arc generation (codes still to be found)
// and the arcs read from an ARCHI_FS set, which are found by their pair of codes.

#include "common/Clock.h"
#include "common/ExportFiles.h"
#include "common/Outcome.h"
#include "common/WorkProgress.h"
#include "conversions/railway/RailStations.h"
#include "conversions/shapefiles/PointLists.h"

#include <string>
#include <vector>

struct RailArc {
  int index = 0;  // the record's index in its set, from 0
  std::string start;
  std::string end;
  std::vector<Vertex> vertices;

  void PrependPoint(double x, double y);
  void AppendPoint(double x, double y);
};

class RailArcList {
 public:
  // Appends an arc without codes; record indexes are appended in ascending order.
  void Append(int index, std::vector<Vertex> vertices);
  // Gives both codes to the arc of that record index; nothing when there is none.
  void SetCodes(int index, const std::string& start, const std::string& end);
  // Sorts every arc by start code, then end code, byte by byte; equal pairs keep their file order.
  void BuildIndex();
  // The first arc in file order from `start` to `end` exactly (after BuildIndex), or null.
  const RailArc* Find(const std::string& start, const std::string& end) const;
  void Clear();

  int Count() const { return static_cast<int>(arcs_.size()); }
  int IndexCount() const { return static_cast<int>(index_.size()); }
  std::vector<RailArc>& Arcs() { return arcs_; }
  const std::vector<RailArc>& Arcs() const { return arcs_; }

 private:
  std::vector<RailArc> arcs_;
  std::vector<int> index_;
};

constexpr const char* kSectionInputCaption = "Selezione ShapeFile Tratte Ferroviarie";
constexpr const char* kArcOutputCaption = "Selezione ShapeFile ARCHI_FS (output)";
constexpr const char* kArcInputCaption = "Selezione ShapeFile Archi Ferroviari";

// A sections set that is not of polylines.
std::string NotLinearText();
// Why an arc set is refused: not of polylines, or NODO_INI or NODO_FIN missing or not as required.
std::string ArcRefusalText();

// The warnings of records drawn in several lines, and when not ok the damaged set's fault or the
// refusal (stop icon).
struct RailArcReading : Outcome {
  RailArcList arcs;
};

// The sections of the set of `path`: one arc for every polyline record whose first part has a
// point (a record of several parts is warned of and keeps its first); no attribute is read.
RailArcReading ReadSectionSet(const std::string& path, WorkProgress* progress);

// Gives the sections the codes of the stations at their ends: first the stations that lie exactly
// on an end, then, for an end still without one, the nearest station, whose point then extends
// the line. A station without a code leaves the end without one.
void IdentifyRailArcs(RailArcList& arcs, const StationList& stations, WorkProgress* progress);

// Done with ArcsGeneratedText, or not with "Impossibile creare\n\n" and the path (exclamation icon).
struct RailArcWriting : Outcome {};

std::string ArcsGeneratedText();

// Writes the arcs as ARCHI_FS at the base of `path`, in list order.
RailArcWriting WriteRailArcSet(const std::string& path, const RailArcList& arcs, WorkProgress* progress,
                               const ClockTime& today, const FolderWatch& watch = {});

// The arcs of an ARCHI_FS set, indexed by their codes; a record whose first part has no point is
// an arc without vertices. Not ok, with NoArcText, when no record gives an arc, or when a code
// holds a control byte or a character Windows-1252 lacks (ShapeSetReader::CodeOrName).
RailArcReading ReadArcSet(const std::string& path, WorkProgress* progress);
