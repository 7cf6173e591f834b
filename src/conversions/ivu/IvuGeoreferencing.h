#pragma once
// The IVU-InfoPool export's stops take their coordinates from the points read out of an RT_NODI
// set (conversions/georeferencing, kept as read): each stop those of the first point, in record
// order, whose code equals its own, else 0 and 0 (also for a point whose X or Y is not a finite
// number), which "halteste.asc" writes as no coordinates.

#include "conversions/ivu/IvuExport.h"
#include "exchange/GeoStops.h"

namespace ivu {

// Sets the x and y of every stop of `data`; a list without points leaves them as they are.
void PlaceIvuStops(const GeoStopList& points, IvuExportData& data);

}  // namespace ivu
