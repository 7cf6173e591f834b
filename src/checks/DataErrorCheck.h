#pragma once
// The data error check: trip heads (`tescor`), stop rows (`detcor`) and validity periods
// (`period`) walked once each, and an error row for every fault found (one row may name several
// faults of one head or stop). It needs no window: the command "verifica &Errori" prints its rows
// or writes them to a text report, and the communication runs it in its consent mode and goes
// ahead only when it finds nothing.
//
// The rows come in this order: the trip heads' rows by trip id; the authority row (consent mode);
// the duplicate-code rows by trip id (menu mode); the stop rows by trip id and stop, the arrival
// row of a trip right after its last stop's own rows; the locality row (consent mode); the period
// rows by trip id.

#include "common/Outcome.h"
#include "db/DbSelect.h"

#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

struct ErrorCheckOptions {
  // The eight optional checks of the menu mode, with their defaults in the dialog.
  bool tripCode = true;    // "Codice Corsa": empty codes, and codes shared by several trips
  bool lineCode = true;    // "Codice Linea"
  bool routeCode = true;   // "Codice Percorso"
  bool tripName = false;   // "Descrizione Corsa"
  bool stopCode = true;    // "Codice Fermata"
  bool stopPlace = false;  // "Ubicazione Fermata"
  bool distances = true;   // "Distanze Progressive"
  bool mode = true;        // "Tipo Mezzo Trasporto"
  // The communication's own check: the eight options off, no "Ente " word but one row when no trip
  // has an authority, the transport mode always, no duplicate codes, no "KmProgressivi " nor
  // "InversioneKm ", one row when no stop has a locality, no "Mancano periodi effettuazione".
  bool consent = false;

  static ErrorCheckOptions Consent();
};

struct ErrorRow {
  long tripId = -1;  // -1: a fault of the whole database
  int sub = -1;      // the stop's `detcor.sub`; -1: a fault of the trip head
  std::string text;
};

struct ErrorCheckCounts {
  long trips = 0, tripsWithoutAuthority = 0;
  long stops = 0, stopsWithoutLocality = 0;
  long periods = 0, periodsOutside = 0;
};

// `ok` unless a value read is of another kind than its column's: a selection that fails does not
// stop the check. In the menu mode, a check that found nothing holds the information that says so.
struct ErrorCheckResult : Outcome {
  std::vector<ErrorRow> rows;
  ErrorCheckCounts counts;
};

// Runs the check. `periodStart` and `periodEnd` are the working period of `master` ("GG/MM/AAAA");
// when either is empty or no date (no master row), the periods are not compared with it and no
// "Date Inizio/Fine periodi effettuazione errate" row is made; every other test runs. A selection
// that fails leaves its phase without rows (the database layer has said why); the check goes on.
// A value read that its column cannot hold as its kind (a text in a length, bytes in a code, a
// text in a date) stops it there: no rows, not `ok`, and one message naming the row and the field.
// `progress` (may be null) gets one pass per phase.
ErrorCheckResult RunErrorCheck(DbDatabase* db, const ErrorCheckOptions& options, const std::string& periodStart,
                               const std::string& periodEnd, WorkProgress* progress);

// The refusal of the check at the value `fault` read from `table` in `row` ("corsa 17"), worded
// for the command the check serves: its list, or in the consent mode the communication's files.
ErrorCheckResult RefusedErrorCheck(const std::string& row, const char* table, const DbSelect::ValueFault& fault,
                                   const ErrorCheckOptions& options);

// "Non è stato riscontrato nessun errore".
extern const char* const kNoDataErrorsText;

// The captions of the three passes.
extern const char* const kTripHeadPass;
extern const char* const kTripStopPass;
extern const char* const kPeriodPass;
