#include "conversions/railway/RailStations.h"

#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeSetReader.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

void StationList::Append(int index, double x, double y) { stations_.push_back({index, {}, x, y}); }

void StationList::SetCode(int index, const std::string& code) {
  // The stations are appended in record order, so the indexes ascend.
  const auto it = std::lower_bound(stations_.begin(), stations_.end(), index,
                                   [](const Station& s, int key) { return s.index < key; });
  if (it != stations_.end() && it->index == index) it->code = code;
}

void StationList::BuildIndex() {
  index_.clear();
  for (int k = 0; k < Count(); ++k)
    if (!stations_[static_cast<std::size_t>(k)].code.empty()) index_.push_back(k);
  // std::string compares its bytes as unsigned characters.
  std::stable_sort(index_.begin(), index_.end(), [this](int a, int b) {
    return stations_[static_cast<std::size_t>(a)].code < stations_[static_cast<std::size_t>(b)].code;
  });
}

const Station* StationList::FindByCode(const std::string& code) const {
  const auto it = std::lower_bound(index_.begin(), index_.end(), code, [this](int k, const std::string& key) {
    return stations_[static_cast<std::size_t>(k)].code < key;
  });
  if (it == index_.end() || stations_[static_cast<std::size_t>(*it)].code != code) return nullptr;
  return &stations_[static_cast<std::size_t>(*it)];
}

const Station* StationList::FindAt(double x, double y) const {
  for (const Station& s : stations_)
    if (s.x == x && s.y == y) return &s;
  return nullptr;
}

const Station* StationList::FindNearest(double x, double y) const {
  const Station* best = nullptr;
  double bestDistance = DBL_MAX;
  for (const Station& s : stations_) {
    const double dx = s.x - x, dy = s.y - y;
    const double distance = std::sqrt(dx * dx + dy * dy);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = &s;
    }
  }
  return best;  // null too when no distance is finite (a point of NaN or of huge coordinates)
}

void StationList::Clear() {
  stations_.clear();
  index_.clear();
}

namespace {

bool IsCodeField(const DbfField& f) {
  return (f.name == "COD_FERM" || f.name == "COD_FERMA") && f.type == 'C' && f.length <= 10;
}

}  // namespace

StationReading ReadStationSet(const std::string& path, int company, WorkProgress* progress) {
  StationReading result;
  ShapeSetReader reader;
  if (!reader.Open(path)) {
    result.failure = reader.Fault();
    return result;
  }
  const DbfField* companyField = reader.FindField("AZIENDA", 'N', 5);
  const bool hasCode = reader.FindField("COD_FERM", 'C', 10) || reader.FindField("COD_FERMA", 'C', 10);
  if (!companyField || !hasCode || !reader.FindField("DENOM", 'C', 40)) {
    result.failure = StopSetRefusalText();
    return result;
  }
  if (!reader.ReadShapes(progress, [&](int i, const ShapeRecord& shape) {
        if (shape.point) result.stations.Append(i, shape.x, shape.y);
      })) {
    result.failure = reader.Fault();
    result.stations.Clear();
    return result;
  }
  // The fields in descriptor order: the last fitting code field gives the code, the last fitting
  // AZIENDA the company.
  std::vector<const DbfField*> codeFields, companyFields;
  for (const DbfField& f : reader.Fields()) {
    if (IsCodeField(f)) codeFields.push_back(&f);
    if (f.name == "AZIENDA" && f.type == 'N' && f.length <= 5) companyFields.push_back(&f);
  }
  std::string_view record;
  for (const Station& s : result.stations.Stations()) {
    if (!reader.Record(s.index, record)) {
      result.failure = reader.Fault();
      result.stations.Clear();
      return result;
    }
    long recordCompany = 0;
    for (const DbfField* f : companyFields) recordCompany = reader.Number(record, *f);
    std::string code;
    for (const DbfField* f : codeFields) code = reader.Text(record, *f);
    if (recordCompany == company) result.stations.SetCode(s.index, code);
  }
  result.stations.BuildIndex();
  if (result.stations.IndexCount() == 0) {
    result.failure = NoCompanyStopText();
    result.ok = false;
    return result;
  }
  result.ok = true;
  return result;
}
