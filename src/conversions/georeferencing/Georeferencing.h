#pragma once
// The coordinates of the stops from a stop shapefile in the RT_NODI layout: every point record
// becomes an entry of a GeoStopList, and the points of the working company take their stop code
// (COD_FERMA or COD_FERM). The communication rounds the coordinates to hundredths as it writes
// them; the IVU-InfoPool export keeps them as read.

#include "common/Outcome.h"
#include "common/WorkProgress.h"
#include "exchange/GeoStops.h"

#include <string>

// Ok when the set was read through, with NoCoordinatesText when it held no point. Not ok, with
// GeoreferenceFailedText (stop icon), when it could not be: a set of the wrong form says so first,
// and so does one where a code of the company's points holds a control byte or a character
// Windows-1252 lacks (ShapeSetReader::CodeOrName: the file, the record and the field named).
struct GeoreferenceResult : Outcome {};

// Reads the set of `path` into `list` (the points read so far stay there on a failure). A point
// whose coordinates are not finite, or absurdly far, makes the set damaged: not read through.
GeoreferenceResult GeoreferenceStops(const std::string& path, GeoStopList& list, int company, bool roundToCents,
                                     WorkProgress* progress = nullptr);

// The refusal of a set that is not of points or lacks the fields.
std::string GeoreferenceRefusalText();
// The note of a set that holds no point at all.
std::string NoCoordinatesText();
// The end of a georeferencing that could not read its set: the stops go without coordinates.
std::string GeoreferenceFailedText();
