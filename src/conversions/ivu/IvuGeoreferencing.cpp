#include "conversions/ivu/IvuGeoreferencing.h"

#include <cmath>

namespace ivu {

void PlaceIvuStops(const GeoStopList& points, IvuExportData& data) {
  if (points.Empty()) return;
  for (IvuExportStop& stop : data.stops) {
    points.GetCoordinates(stop.code, stop.x, stop.y);
    // A point that is no number (the bytes of a damaged record) gives no coordinates.
    if (!std::isfinite(stop.x) || !std::isfinite(stop.y)) stop.x = stop.y = 0;
  }
}

}  // namespace ivu
