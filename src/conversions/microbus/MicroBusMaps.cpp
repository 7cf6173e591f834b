#include "conversions/microbus/MicroBusMaps.h"

#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeSetReader.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

// The slot of a record index, grown as records come.
void NoteSlot(std::vector<int>& slotOf, int index, int position) {
  if (index < 0) return;
  const auto i = static_cast<std::size_t>(index);
  if (i >= slotOf.size()) slotOf.resize(i + 1, -1);
  if (slotOf[i] < 0) slotOf[i] = position;
}

int SlotOf(const std::vector<int>& slotOf, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= slotOf.size()) return -1;
  return slotOf[static_cast<std::size_t>(index)];
}

// A company as the stop sets hold it: digits after leading blanks, up to the first other
// character (a sign is not a digit, so no record matches the -1 of a database without master).
long CompanyNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000000; ++i)
    value = value * 10 + (text[i] - '0');
  return value;
}

// A reading that stops: `failure` with the stop icon (none when it is empty).
MapReading& Refused(MapReading& result, const std::string& failure) {
  result.ok = false;
  if (!failure.empty()) result.Fail(failure);
  return result;
}

}  // namespace

void MapArcTable::Append(int index, std::vector<Vertex> vertices) {
  NoteSlot(slotOf_, index, Count());
  arcs_.push_back({index, {}, {}, std::move(vertices)});
}

void MapArcTable::SetCodes(int index, const std::string& from, const std::string& to) {
  const int slot = SlotOf(slotOf_, index);
  if (slot < 0) return;
  arcs_[static_cast<std::size_t>(slot)].fromCode = from;
  arcs_[static_cast<std::size_t>(slot)].toCode = to;
}

void MapArcTable::BuildIndex() {
  byCodes_.resize(arcs_.size());
  for (int i = 0; i < Count(); ++i) byCodes_[static_cast<std::size_t>(i)] = i;
  std::stable_sort(byCodes_.begin(), byCodes_.end(), [this](int a, int b) {
    const MapArc& x = arcs_[static_cast<std::size_t>(a)];
    const MapArc& y = arcs_[static_cast<std::size_t>(b)];
    return std::tie(x.fromCode, x.toCode) < std::tie(y.fromCode, y.toCode);
  });
}

const MapArc* MapArcTable::Find(const std::string& from, const std::string& to) const {
  const auto key = std::tie(from, to);
  const auto it = std::lower_bound(byCodes_.begin(), byCodes_.end(), key, [this](int slot, const auto& k) {
    const MapArc& a = arcs_[static_cast<std::size_t>(slot)];
    return std::tie(a.fromCode, a.toCode) < k;
  });
  if (it == byCodes_.end()) return nullptr;
  const MapArc& a = arcs_[static_cast<std::size_t>(*it)];
  return a.fromCode == from && a.toCode == to ? &a : nullptr;
}

std::string ArcMapRefusalText() {
  return std::string("ATTENZIONE: lo Shape File indicato non ha le caratteristiche\n") +
         "necessarie per essere riconosciuto come ARCHI generati da Microbus Map\n\n" +
         "All'interno dello Shape File deve esistere i seguenti attributi:\n" +
         "* ABBREVIAZI alfanumerico max. 10 caratteri (Nodo Inizio Arco\n" +
         "* ABBREVIA0 alfanumerico max. 10 caratteri (Nodo Fine Arco\n";
}

MapReading ReadMicroBusStops(const std::string& path, int company, MapStopTable& stops, WorkProgress* progress) {
  MapReading result;
  ShapeSetReader reader;
  if (!reader.Open(path, result)) return result;
  const DbfField* companyField = reader.FindField(kCompanyColumn);
  const DbfField* name = reader.FindField(kStopNameColumn);
  // The later of the two code fields in the field list gives the code.
  const DbfField* code = reader.LastField({kStopCodeColumn, kStopCodeOtherColumn});
  if (!companyField || !name || !code) return Refused(result, StopSetRefusalText());
  if (!reader.ReadShapes(progress,
                         [&](int i, const ShapeRecord& shape) {
                           if (shape.point) stops.Append(i, shape.x, shape.y);
                         }) ||
      !reader.ReadRecords([&](int i, std::string_view record) {
        if (CompanyNumber(ShapeSetReader::Bytes(record, *companyField)) == company)
          stops.SetCode(i, reader.CodeOrName(i, record, *code));
      }) ||
      (reader.RefusedValues() && !reader.FailRefusedValues("RT_ITIN.SHP"))) {
    return Refused(result, reader.Fault());
  }
  stops.BuildIndex();
  if (progress) progress->End();
  // Only a point record of the company with a code counts.
  if (stops.IndexCount() == 0) return Refused(result, NoCompanyStopText());
  result.Succeed();
  return result;
}

MapReading ReadMicroBusArcs(const std::string& path, MapArcTable& arcs, WorkProgress* progress) {
  MapReading result;
  ShapeSetReader reader;
  if (!reader.Open(path, result)) return result;
  const DbfField* from = reader.FindField(kMapArcStartColumn);
  const DbfField* to = reader.FindField(kMapArcEndColumn);
  if (!from || !to) return Refused(result, ArcMapRefusalText());
  reader.SetMultiPartRule(true);
  if (!reader.ReadShapes(progress,
                         [&](int i, ShapeRecord& shape) {
                           if (shape.parts > 0) arcs.Append(i, std::move(shape.points));
                         }) ||
      !reader.ReadRecords([&](int i, std::string_view record) {
        arcs.SetCodes(i, reader.CodeOrName(i, record, *from), reader.CodeOrName(i, record, *to));
      }) ||
      (reader.RefusedValues() && !reader.FailRefusedValues("RT_ITIN.SHP"))) {
    return Refused(result, reader.Fault());
  }
  arcs.BuildIndex();
  if (progress) progress->End();
  if (arcs.Count() == 0) return Refused(result, NoArcText("ARCHI Microbus Map"));
  result.Succeed();
  return result;
}
