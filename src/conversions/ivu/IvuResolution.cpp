#include "conversions/ivu/IvuResolution.h"

#include "common/Formatters.h"

#include <algorithm>

namespace ivu {

void ResolveIvuRoutes(IvuSet& set, IvuErrorList& errors) {
  for (IvuRoute& route : set.routes) {
    route.company = nullptr;
    for (const IvuCompany& company : set.companies)
      if (company.code == route.division) {
        route.company = &company;
        break;
      }
    if (!route.company) errors.Add("", -1, "Non trovo Azienda=" + route.division);
    // Slots of equal position keep their order.
    std::stable_sort(route.stops.begin(), route.stops.end(),
                     [](const IvuRouteStop& a, const IvuRouteStop& b) { return a.position < b.position; });
    route.totalLength = 0;
    for (const IvuRouteStop& s : route.stops) route.totalLength += s.distance;
    for (long j = 0; j < route.modelCount; ++j) {
      long long total = 0;
      for (const IvuRouteStop& s : route.stops) total += s.GetRunTime(j) + DwellOrZero(s.GetDwellTime(j));
      route.SetTotalTime(j, total);
    }
    if (!route.company) continue;
    for (IvuRouteStop& s : route.stops) {
      s.stop = set.FindStop(route.company->supplier, s.stopId);
      if (!s.stop)
        errors.Add("", -1,
                   Format("Non trovo Fermata Fornitore=%s ID=%ld", route.company->supplier.c_str(),
                          static_cast<long>(s.stopId)));
    }
  }
}

namespace {

void NoRoute(IvuErrorList& errors, const IvuTripBlock& block, std::int32_t model) {
  errors.Add("", -1,
             Format("Non trovo Percorso Linea %s Versione=%d Divisione=%s Variante=%ld Verso=%s Modello=%ld",
                    block.line.c_str(), block.version, block.division.c_str(), static_cast<long>(block.variant),
                    block.direction.c_str(), static_cast<long>(model)));
}

}  // namespace

void ResolveIvuTrips(IvuSet& set, IvuErrorList& errors) {
  for (IvuTripBlock& block : set.blocks) {
    const RouteKey key = block.Key();
    for (IvuTrip& trip : block.trips) {
      trip.route = set.FindRoute(key, trip.model);
      if (!trip.route) NoRoute(errors, block, trip.model);
    }
    // The slots no line filled: each the same fault, which the list keeps once.
    if (static_cast<long>(block.trips.size()) < block.tripCount) NoRoute(errors, block, -1);
  }
}

}  // namespace ivu
