#include "conversions/georeferencing/Georeferencing.h"

#include "common/Numbers.h"

#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeSetReader.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The value as "%1.2lf" writes it, read back (with its point, whatever the locale).
double Hundredths(double v) { return CDecimalValue(FixedDecimals(v, 2).c_str()); }

}  // namespace

std::string GeoreferenceRefusalText() {
  return "ATTENZIONE: lo Shape File indicato non ha le caratteristiche\n"
         "necessarie per effettuare l'importazione delle coordinate delle fermate.";
}

std::string GeoreferenceFailedText() {
  return "ATTENZIONE: la georeferenziazione delle fermate è fallita.\n\n"
         "Non è stato possibile acquisire lo ShapeFile contenente le\n"
         "coordinate geografiche delle fermate.\n"
         "Pertanto la comunicazione verrà generata senza attribuire la\n"
         "georeferenziazione alle fermate.";
}

std::string NoCoordinatesText() {
  return "ATTENZIONE: lo ShapeFile selezionato non contiene neppure una\n"
         "coordinata geografica attribuibile alle fermate utilizzate\n"
         "nella comunicazione corrente.\n\n"
         "Pertanto la comunicazione verrà generata senza attribuire la\n"
         "georeferenziazione alle fermate.";
}

GeoreferenceResult GeoreferenceStops(const std::string& path, GeoStopList& list, int company, bool roundToCents,
                                     WorkProgress* progress) {
  GeoreferenceResult result;
  // A damaged or incomplete set has only the failure; one of the wrong form says so first, and
  // so does a file of the set that is a pipe, a device or a socket, named as every set's read
  // names it.
  const auto failed = [&result] {
    result.Fail(GeoreferenceFailedText());
    return result;
  };
  ShapeSetReader reader;
  if (!reader.Open(path)) {
    if (reader.NotARegularFile()) reader.FailInto(result);
    return failed();
  }
  const DbfField* companyField = reader.FindField(kCompanyColumn);
  const DbfField* codeField = reader.FirstField({kStopCodeOtherColumn, kStopCodeColumn});
  if (reader.ShapeType() != kPointShape || !companyField || !reader.FindField(kStopNameColumn) || !codeField) {
    result.Fail(GeoreferenceRefusalText());
    return failed();
  }
  // The bar goes on every way out.
  struct BarEnd {
    WorkProgress* p;
    ~BarEnd() {
      if (p) p->End();
    }
  } barEnd{progress};
  // A point that is no place (not finite, or absurdly far) makes the set damaged in the reader.
  if (!reader.ReadShapes(progress, [&](int i, const ShapeRecord& shape) {
        if (!shape.point) return;
        if (roundToCents)
          list.Append(i, Hundredths(shape.x), Hundredths(shape.y));
        else
          list.Append(i, shape.x, shape.y);
      }))
    return failed();
  // A code that holds what no stop code can (a control byte, a character Windows-1252 lacks) is
  // refused, naming its record: the return flow would carry it as it stands.
  if (!reader.ReadRecords([&](int i, std::string_view record) {
        GeoStop* stop = list.FindById(i);
        if (stop && reader.Number(record, *companyField) == company)
          list.SetCode(*stop, reader.CodeOrName(i, record, *codeField).c_str());
      }))
    return failed();
  if (reader.RefusedValues()) {
    reader.FailRefusedValues();
    reader.FailInto(result);
    return failed();
  }
  result.Succeed(list.Empty() ? NoCoordinatesText() : std::string());
  return result;
}
