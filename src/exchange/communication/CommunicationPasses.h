#pragma once
// The four database passes of the communication, each one pass of the progress bar with its
// caption: the stops, the trips (itineraries, arcs and runs), the service calendar of the
// reporting period, and the validity periods applied to the runs as days of operation.

#include "common/Outcome.h"
#include "exchange/communication/CommunicationModel.h"

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

class DbDatabase;
class GeoStopList;
class WorkProgress;

constexpr const char* kStopPassCaption = "Normalizzazione Fermate";
constexpr const char* kTripPassCaption = "Normalizzazione Percorsi ed Orari";
constexpr const char* kCalendarPassCaption = "Estrazione Calendario di Servizio";
constexpr const char* kPeriodPassCaption = "Normalizzazione Giorni di Esecuzione";

// The service calendar of the reporting period as the communication wants it: for each day
// type (by its key, db/TextKeys), the dates (YYYYMMDD) on which it applies.
class CadenceDates {
 public:
  void Add(const std::string& dayType, int yyyymmdd) {
    dates_[dayType].insert(yyyymmdd);
    first_ = first_ ? std::min(first_, yyyymmdd) : yyyymmdd;
    last_ = std::max(last_, yyyymmdd);
  }
  // The first and the last date of any day type (0 when none).
  int FirstDate() const { return first_; }
  int LastDate() const { return last_; }
  // The dates of a day type, or null when it has none.
  const std::unordered_set<int>* DatesOf(const std::string& dayType) const {
    const auto it = dates_.find(dayType);
    return it == dates_.end() ? nullptr : &it->second;
  }

 private:
  std::unordered_map<std::string, std::unordered_set<int>> dates_;
  int first_ = 0, last_ = 0;
};

// A text the communication cannot carry (a control byte, which would cut its row or its line, or
// a character that Windows-1252 lacks, which the file would show as '?'): the first one found,
// as the refusal the user is shown, naming the trip, the stop and the field. Empty: none.
using TextRefusal = std::string;

// Every stop row of `detcor` as a stop of the model (coordinates from `geo`, may be null), the
// stops numbered in the order of their code, name, location and locality. False, with `refusal`
// said, at a stop text the file cannot carry.
bool NormaliseStops(DbDatabase* db, CommunicationModel& model, const GeoStopList* geo, WorkProgress* progress,
                    TextRefusal& refusal);
// Every trip with stops into its itinerary and run. The trip's stops are the model's stops of
// their code, name, location and locality. False, with `refusal` said, at a text of a trip head
// the file cannot carry or at a stop's time that is no time of day (TimeFits; the empty mark
// -1 is no time).
bool NormaliseTrips(DbDatabase* db, CommunicationModel& model, WorkProgress* progress, TextRefusal& refusal);
// Every trip with stops, in the order of their ids, with its stops as the model's stops; at a text
// of a trip head the file cannot carry or a time that is no time of day, false with `refusal` said
// (when given). False too when the selection failed (the database layer has said why).
bool WalkTrips(DbDatabase* db, const CommunicationModel& stops, const std::function<void(const TripInput&)>& take,
               WorkProgress* progress, TextRefusal* refusal);
// Every trip head in the order of their ids, without stops (trips without stops too). False when
// the selection failed.
bool WalkTripHeads(DbDatabase* db, const std::function<void(const TripInput&)>& take);
// The calendar's dates from `periodStart` to `periodEnd` ("GG/MM/AAAA"). Every day of the calendar
// is read: false, with `refusal` said, at a value of another kind than its column's (as every
// pass), inside the period or not; a day that is no date is named by its place in the table.
bool ExtractCalendar(DbDatabase* db, const std::string& periodStart, const std::string& periodEnd,
                     CadenceDates& calendar, WorkProgress* progress, TextRefusal& refusal);
// The periods of every trip, by trip id then start date, set (or, excluded, cleared) on the
// days of their run. A period of a trip that is in no run is passed over.
bool ApplyPeriods(DbDatabase* db, CommunicationModel& model, const CadenceDates& calendar, WorkProgress* progress,
                  TextRefusal& refusal);

// One period on one run, over every month from the start to the end: the days whose date carries
// the day type are set, or cleared when `excluded`. A period that ends before it starts touches
// no month.
void ApplyPeriod(RunDays run, const CadenceDates& calendar, const std::string& dayType, const std::string& start,
                 const std::string& end, bool excluded);

// The four passes in their order, on `model` (empty, or loaded from the base). Not done when a
// selection failed (the database layer has said why: no message here) or when a text cannot be
// sent (its refusal is the message; nothing may then be written).
Outcome BuildCommunicationModel(DbDatabase* db, CommunicationModel& model, const std::string& periodStart,
                                const std::string& periodEnd, const GeoStopList* geo, WorkProgress* progress);
