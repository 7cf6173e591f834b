#pragma once
// The results of the MicroBus route generation: the RT_ITIN set, one polyline for each variant
// that has points, and the text report GENERAZIONE_RT_ITIN of what was missing or suspect and of
// every variant's verdict. Both files are put in place whole or not at all.

#include "common/Clock.h"
#include "common/ExportFiles.h"
#include "common/WorkProgress.h"
#include "conversions/microbus/MicroBusRoutes.h"
#include "conversions/microbus/RoutePolylines.h"
#include "conversions/shapefiles/RouteWriting.h"

#include <string>

// Writes RT_ITIN at the base of `path` ("Salvataggio Cartografia Percorsi"): company "%d", the
// variant's name, a blank description.
RouteWriting WriteMicroBusRoutes(const std::string& path, const RouteTable& routes, int company, const ClockTime& today,
                                 const FolderWatch& watch = {}, WorkProgress* progress = nullptr);

// The report's text, lines ended by CR LF, dated `now`.
std::string RouteReportText(const RouteReport& report, const ClockTime& now);

// The failure message when the set cannot be made.
std::string RouteFailureText();
// The closing message of a generation that wrote its set.
std::string RouteSuccessText();
