#pragma once
// Linking what the files of an IVU-InfoPool set name: each route to its company and its stops
// (its stops put in order of position, its totals computed), each trip to its route. What cannot
// be found is a fault of the set.

#include "conversions/ivu/IvuErrors.h"
#include "conversions/ivu/IvuRecords.h"

namespace ivu {

// Every route in file order; the route index is not used (built afterwards by the caller).
void ResolveIvuRoutes(IvuSet& set, IvuErrorList& errors);
// Every trip slot of every block in file order (the route index must be built). A slot that no
// trip line filled is a trip of no model.
void ResolveIvuTrips(IvuSet& set, IvuErrorList& errors);

// A dwell time the line did not carry (-1) counts as none.
inline long long DwellOrZero(std::int32_t dwell) { return dwell < 0 ? 0 : dwell; }

}  // namespace ivu
