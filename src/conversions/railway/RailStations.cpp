#include "conversions/railway/RailStations.h"

#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeSetReader.h"

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
  for (const Station& s : result.stations.Points()) {
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
