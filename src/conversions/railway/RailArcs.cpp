#include "conversions/railway/RailArcs.h"

#include "conversions/railway/RailStations.h"
#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeNames.h"
#include "conversions/shapefiles/ShapeSetReader.h"
#include "conversions/shapefiles/ShapeSetWriter.h"

#include <algorithm>

void RailArc::PrependPoint(double x, double y) { vertices.insert(vertices.begin(), Vertex{x, y}); }

void RailArc::AppendPoint(double x, double y) { vertices.push_back({x, y}); }

void RailArcList::Append(int index, std::vector<Vertex> vertices) {
  RailArc arc;
  arc.index = index;
  arc.vertices = std::move(vertices);
  arcs_.push_back(std::move(arc));
}

void RailArcList::SetCodes(int index, const std::string& start, const std::string& end) {
  const auto it =
      std::lower_bound(arcs_.begin(), arcs_.end(), index, [](const RailArc& a, int key) { return a.index < key; });
  if (it == arcs_.end() || it->index != index) return;
  it->start = start;
  it->end = end;
}

namespace {

// Byte order of (start, end): std::string compares its bytes as unsigned characters.
bool KeyBefore(const RailArc& a, const std::string& start, const std::string& end) {
  const int c = a.start.compare(start);
  return c < 0 || (c == 0 && a.end.compare(end) < 0);
}

}  // namespace

void RailArcList::BuildIndex() {
  index_.resize(arcs_.size());
  for (std::size_t k = 0; k < arcs_.size(); ++k) index_[k] = static_cast<int>(k);
  std::stable_sort(index_.begin(), index_.end(), [this](int a, int b) {
    const RailArc& y = arcs_[static_cast<std::size_t>(b)];
    return KeyBefore(arcs_[static_cast<std::size_t>(a)], y.start, y.end);
  });
}

const RailArc* RailArcList::Find(const std::string& start, const std::string& end) const {
  const auto it = std::lower_bound(index_.begin(), index_.end(), 0, [&](int k, int) {
    return KeyBefore(arcs_[static_cast<std::size_t>(k)], start, end);
  });
  if (it == index_.end()) return nullptr;
  const RailArc& arc = arcs_[static_cast<std::size_t>(*it)];
  return arc.start == start && arc.end == end ? &arc : nullptr;
}

void RailArcList::Clear() {
  arcs_.clear();
  index_.clear();
}

std::string ArcsGeneratedText() { return "Lo shapefile ARCHI_FS.SHP è stato generato con successo\n\n"; }

std::string NotLinearText() { return "ATTENZIONE: lo Shape File indicato non è di tipo lineare"; }

std::string ArcRefusalText() {
  return std::string("ATTENZIONE: lo Shape File indicato non ha le caratteristiche\n") +
         "necessarie per essere riconosciuto come ARCHI FERROVIARI\n\n" +
         "All'interno dello Shape File deve esistere i seguenti attributi:\n" +
         "* NODO_INI alfanumerico max. 10 caratteri (Nodo Inizio Arco\n" +
         "* NODO_FIN alfanumerico max. 10 caratteri (Nodo Fine Arco\n";
}

namespace {

// The geometry pass of a polyline set: one arc for every record with a part. A record with a part
// but no point gives an arc only when `emptyArcs` holds. The warnings of records in several lines
// go into the reading's outcome.
bool ReadLines(ShapeSetReader& reader, RailArcReading& reading, bool emptyArcs, WorkProgress* progress) {
  NoticeCollector warnings(reading);
  reader.SetMultiPartRule(true);
  if (reader.ReadShapes(progress, [&](int i, const ShapeRecord& shape) {
        if (shape.parts >= 1 && (emptyArcs || !shape.points.empty())) reading.arcs.Append(i, shape.points);
      }))
    return true;
  reading.arcs.Clear();
  return reader.FailInto(reading);
}

}  // namespace

RailArcReading ReadSectionSet(const std::string& path, WorkProgress* progress) {
  RailArcReading result;
  ShapeSetReader reader;
  if (!reader.Open(path, result, {kPolylineShape, {}, NotLinearText()})) return result;
  // A section with no point would have no end to join to a station: it gives no arc.
  if (ReadLines(reader, result, false, progress)) result.ok = true;
  return result;
}

void IdentifyRailArcs(RailArcList& arcs, const StationList& stations, WorkProgress* progress) {
  const long n = arcs.Count();
  if (progress) progress->Begin({});
  long k = 0;
  for (RailArc& arc : arcs.Arcs()) {
    if (progress) progress->Step(++k, n);
    if (arc.vertices.empty()) continue;
    const Vertex first = arc.vertices.front(), last = arc.vertices.back();
    const Station* s = stations.FindAt(first.x, first.y);
    if (s && !s->code.empty()) arc.start = s->code;
    s = stations.FindAt(last.x, last.y);
    if (s && !s->code.empty()) arc.end = s->code;
  }
  if (progress) progress->Begin({});
  k = 0;
  for (RailArc& arc : arcs.Arcs()) {
    if (progress) progress->Step(++k, n);
    if (arc.vertices.empty()) continue;
    const Vertex last = arc.vertices.back();  // the last vertex as read
    if (arc.start.empty()) {
      const Vertex first = arc.vertices.front();
      const Station* s = stations.FindNearest(first.x, first.y);
      if (s && !s->code.empty()) {
        arc.start = s->code;
        arc.PrependPoint(s->x, s->y);
      }
    }
    if (arc.end.empty()) {
      const Station* s = stations.FindNearest(last.x, last.y);
      if (s && !s->code.empty()) {
        arc.end = s->code;
        arc.AppendPoint(s->x, s->y);
      }
    }
  }
  if (progress) progress->End();
}

RailArcWriting WriteRailArcSet(const std::string& path, const RailArcList& arcs, WorkProgress* progress,
                               const ClockTime& today, const FolderWatch& watch) {
  ShapeSetWriter writer(RailArcsLayout());
  const long n = arcs.Count();
  if (progress) progress->Begin({});
  long k = 0;
  for (const RailArc& arc : arcs.Arcs()) {
    if (progress) progress->Step(++k, n);
    writer.AddPolyline(arc.vertices, {arc.start, arc.end});
  }
  RailArcWriting result;
  if (writer.WriteTo(ShapeBase(path), today, result, watch)) result.Inform(ArcsGeneratedText());
  return result;
}

RailArcReading ReadArcSet(const std::string& path, WorkProgress* progress) {
  RailArcReading result;
  ShapeSetReader reader;
  if (!reader.Open(path, result, {kPolylineShape, {kArcStartColumn, kArcEndColumn}, ArcRefusalText()}) ||
      !ReadLines(reader, result, true, progress))
    return result;
  std::string_view record;
  for (RailArc& arc : result.arcs.Arcs()) {
    if (!reader.Record(arc.index, record)) {
      reader.FailInto(result);
      result.arcs.Clear();
      return result;
    }
    arc.start = reader.CodeOrName(arc.index, record, reader.Needed(0));
    arc.end = reader.CodeOrName(arc.index, record, reader.Needed(1));
  }
  if (reader.RefusedValues()) {
    reader.FailRefusedValues("RT_ITIN.SHP");
    reader.FailInto(result);
    result.arcs.Clear();
    return result;
  }
  result.arcs.BuildIndex();
  if (result.arcs.IndexCount() == 0)
    result.Fail(NoArcText("ARCHI FERROVIARI"));
  else
    result.Succeed();
  return result;
}
