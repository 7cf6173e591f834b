#include "conversions/railway/RailStations.h"

#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeSetReader.h"

StationReading ReadStationSet(const std::string& path, int company, WorkProgress* progress) {
  StationReading result;
  ShapeSetReader reader;
  if (!reader.Open(path, result)) return result;
  // In the fields' order, the last fitting AZIENDA gives the company and the last fitting code
  // field (either name) the code.
  const DbfField* companyField = reader.LastField({kCompanyColumn});
  const DbfField* codeField = reader.LastField({kStopCodeColumn, kStopCodeOtherColumn});
  if (!companyField || !codeField || !reader.FindField(kStopNameColumn)) {
    result.Fail(StopSetRefusalText());
    return result;
  }
  if (!reader.ReadShapes(progress, [&](int i, const ShapeRecord& shape) {
        if (shape.point) result.stations.Append(i, shape.x, shape.y);
      })) {
    reader.FailInto(result);
    result.stations.Clear();
    return result;
  }
  std::string_view record;
  for (const Station& s : result.stations.Points()) {
    if (!reader.Record(s.index, record)) {
      reader.FailInto(result);
      result.stations.Clear();
      return result;
    }
    if (reader.Number(record, *companyField) == company)
      result.stations.SetCode(s.index, reader.CodeOrName(s.index, record, *codeField));
  }
  if (reader.RefusedValues()) {
    reader.FailRefusedValues();
    reader.FailInto(result);
    result.stations.Clear();
    return result;
  }
  result.stations.BuildIndex();
  if (result.stations.IndexCount() == 0) {
    result.Fail(NoCompanyStopText());
    return result;
  }
  result.Succeed();
  return result;
}
