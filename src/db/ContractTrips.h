#pragma once
// What the contract check and the contract export read alike: the working period of `master`,
// the service calendar inside it, and every trip that has validity periods with its head data,
// the texts both print, and its days of operation over the working period.

#include "common/OperatingDays.h"
#include "db/DbSelect.h"

#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

struct WorkingPeriod {
  bool found = false;       // the master row is there
  std::string company;      // `azienda` as read
  std::string first, last;  // `datini`, `datfin` ("GG/MM/AAAA")
  // The first field of the row that its column cannot hold as its kind (none: position -1).
  DbSelect::ValueFault fault;
};
WorkingPeriod ReadWorkingPeriod(DbDatabase* db);

// The first value of the calendar read that its column cannot hold as its kind (DbSelect::Fault),
// and its date: "GG/MM/AAAA", or the value as SQL writes it when the date is itself the fault.
struct CalendarReadFault {
  std::string date;
  DbSelect::ValueFault value;
};

// The dates of `calend` from `first` to `last` with their day types (as keys, db/TextKeys, as the
// periods read here give theirs). Every day of the table is read, its kind checked before the
// period is applied: with `fault`, a value of another kind than its column's, inside the period or
// not, ends the reading there, and `fault` tells it.
ServiceCalendar ReadServiceCalendar(DbDatabase* db, const std::string& first, const std::string& last,
                                    CalendarReadFault* fault = nullptr);

// The ids of a range, both included; `all` takes every trip.
struct TripIdRange {
  bool all = true;
  long from = 0, to = 0;
};

// The first value read that its column cannot hold as its kind (DbSelect::Fault), and its trip.
struct TripReadFault {
  long trip = 0;
  DbSelect::ValueFault value;
};

// The trips with their validity periods, by id (every trip has at least one period): what the
// days-of-operation check lists. `progress` (or none) follows the rows read. With `fault`, a value
// of another kind than its column's ends the reading there: no trip, and `fault` tells it.
struct TripPeriods {
  long id = 0;
  std::string tripCode, lineCode;  // without trailing blanks
  char direction = ' ';
  int departure = 0;  // HHMM
  std::vector<ValidityPeriod> periods;
};
std::vector<TripPeriods> ReadTripPeriods(DbDatabase* db, const TripIdRange& range, WorkProgress* progress,
                                         TripReadFault* fault = nullptr);

struct ContractTrip {
  int ente = 0;
  int contract = 0;
  long id = 0;
  std::string tripCode, lineCode;  // without trailing blanks
  std::string lineKey;             // the line code's key (db/TextKeys), by which lines are told apart
  char direction = ' ';
  long departureTime = 0;      // `parte` as stored (HHMM)
  std::string departure;       // "%d:%02d"
  std::string length;          // kilometres "%1.2lf", decimal comma
  std::string contractLength;  // the same of `ct_lung`
  std::string time;            // "%dm" under an hour, else "%dh %dm"
  std::string contractTime;    // the same of `ct_tempo`
  long contractMetres = 0;     // `ct_lung`
  int contractMinutes = 0;     // `ct_tempo`
  long days = 0;               // days of operation in the working period
  char mode = ' ';             // `mezzo`
  // The first text of the trip that lost a character Windows-1252 lacks (read as '?'): its column
  // (`codcorsa`, `codlinea`, `verso`), its text as read and the character; no column when
  // every text is whole.
  const char* lostColumn = nullptr;
  std::string lostText;
  char32_t lostCode = 0;
  int lostAt = 0;
};

// Every trip with at least one validity period, ordered by authority, contract, line, direction,
// departure, trip code and id, with its days of operation in `calendar`. With `fault`, a value of
// another kind than its column's ends the reading there: no trip, and `fault` tells it.
std::vector<ContractTrip> ReadContractTrips(DbDatabase* db, const ServiceCalendar& calendar, WorkProgress* progress,
                                            TripReadFault* fault = nullptr);

// Metres as kilometres "%1.2lf" with a decimal comma (12340 gives "12,34").
std::string KilometresText(double metres);
// The name of a transport mode letter: F "Funicolare", N "Traghetto", T "Treno", U "Bus Urbano",
// W "Tramvia", X "Bus Extraurbano", any other "???".
const char* TransportModeName(char letter);
