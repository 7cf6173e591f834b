#pragma once
// The cadence rebuilding of MicroBus-IVU data: each trip's single-day "UNICA" periods become its
// set of service days over the reporting period of the master row; each distinct set becomes a day
// type "0001", "0002" ... ("Cadenza 1", "Cadenza 2" ...) with its calendar, every trip gets one
// period over the whole reporting period with its day type, and "UNICA" goes with its calendar and
// its periods. The plan is made first and refused whole before any change; then it is made again
// in one transaction and written there only when it is the plan confirmed.

#include "common/Outcome.h"
#include "common/WorkProgress.h"

#include <QDate>
#include <cstdint>
#include <string>
#include <vector>

class DbDatabase;

struct TripDaySet {
  std::int32_t id = 0;
  std::string flags;  // one character a day of the period: 'S' a day of service, 'N' none
  int pattern = 0;    // the day type's number, from 1
  bool operator==(const TripDaySet&) const = default;
};

// Ok when the plan is ready; its refusal (stop icon) otherwise, nothing when a read failed (the
// layer has told why).
struct CadencePlan : Outcome {
  enum class Status { Ready, NoPeriod, NotMicroBus, CodeInUse, Refused, ReadFailed };
  Status status = Status::ReadFailed;
  QDate first;                        // the reporting period's first day
  int dayCount = 0;                   // its days
  std::vector<TripDaySet> trips;      // in the order of their ids
  std::vector<std::string> patterns;  // pattern k + 1's flags at k
  std::string codeInUse;              // a day type code the plan would make that is already there
  std::string refusal;                // Refused: a value read that is not of its column's kind

  // The refusal or question of the plan's status.
  std::string MessageText() const;
};

// Reads the reporting period and the periods, and checks the shape of the data and the codes.
CadencePlan PlanMicroBusCadences(DbDatabase* db);

// "%04d" of a pattern number.
std::string CadenceCode(int pattern);

// Makes the plan again in its own transaction and writes it, told as done. Not ok when the plan is
// now refused (its refusal), is not `confirmed`, the plan the question was asked on
// (kCadencePlanChangedText), or the commit was refused (the stop icon): nothing changed.
Outcome RebuildMicroBusCadences(DbDatabase* db, const CadencePlan& confirmed, WorkProgress* progress);

std::string CadenceQuestionText();
constexpr const char* kCadenceDoneText = "Elaborazione terminata";
constexpr const char* kCadencePlanChangedText =
    "ATTENZIONE: le corse o il periodo di validità della comunicazione sono stati modificati dopo la "
    "richiesta di conferma.\n\nNessuna cadenza è stata ricostruita.";
