#pragma once
// The route codes of the trips from a HyperPlan descriptor: each quadro's stop sequence (the
// distinct stops of its trips by position, then by stop code, each code followed by "#F") is
// looked up among the descriptor's route signatures (a stop code that lost a character Windows-1252
// lacks taken as stored, so it matches no code read with '?'); the trips of a quadro that matches get that
// route's code (the first route of the file with that signature), every other trip
// "GRUPPO_<quadro>". Every trip's codperc is written in one batch transaction: a run that does not
// reach its end leaves every trip as it was, a row the database refuses is told by the layer and
// skipped.

#include "common/Outcome.h"
#include "conversions/hyperplan/RouteDescriptor.h"

#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

// The status band's captions of the command's three steps.
constexpr const char* kDescriptorStep = "Identificazione Percorsi HyperPlan";
constexpr const char* kQuadroStep = "Identificazione Percorsi Quendo";
constexpr const char* kAssignmentStep = "Assegnazione Codici Percorso";

// Ok: the batch is in the database (nothing to tell). Not ok: nothing of it is, told with the
// stop icon.
struct RouteCodeResult : Outcome {
  int trips = 0;    // trips read
  int matched = 0;  // trips given a descriptor route's code
  int updated = 0;  // trips written
};

RouteCodeResult AssignRouteCodesFromDescriptor(DbDatabase* db, const std::vector<DescriptorRoute>& routes,
                                               WorkProgress* progress);
