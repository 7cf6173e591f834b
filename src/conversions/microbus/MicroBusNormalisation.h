#pragma once
// The normalisation of a MicroBus-IVU communication: a trip stands once for every set of days on
// which it runs. Within each group of trips of the same line, direction, trip code, times,
// authority and route, a trip equal to an earlier one in every other head value and in every stop,
// whose days do not meet the earlier one's, is merged into it: the earlier trip takes its
// single-day "UNICA" periods and the later one goes with its stops and periods. All in one
// transaction.

#include "common/Outcome.h"
#include "common/WorkProgress.h"

#include <cstdint>
#include <string>
#include <vector>

class DbDatabase;

// Ok: the merge is in the database, told with the count. Not ok: a selection failed or the
// commit was refused and nothing changed, told with the stop icon; or the data, checked again in
// the merge's own transaction, no longer has the MicroBus shape (told with its refusal).
struct NormalisationResult : Outcome {
  int deleted = 0;  // trips merged into another and deleted
};

// Trips whose key holds no value (or an empty direction) belong to no group and stay as they are.
NormalisationResult MergeMicroBusTrips(DbDatabase* db, WorkProgress* progress);

std::string NormalisationQuestionText();
std::string NormalisationResultText(int deleted);
