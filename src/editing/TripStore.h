#pragma once
// The writes of the trip editor on trips as a whole: a new trip head, the deletion of a trip with
// its stops and periods, the copy of a trip's stops to another trip. Everything happens inside
// the editor's transaction; a write the database refuses has been reported by the table layer.

#include "common/Outcome.h"
#include "db/DbTable.h"
#include "editing/EditorFaults.h"

#include <cstdint>
#include <string>

class DbDatabase;

// The head of a trip as the trip-head dialog shows and hands it back.
struct TripHead {
  std::string tripCode;   // codcorsa
  std::string lineCode;   // codlinea
  char direction = ' ';   // verso: 'A', 'R' or a blank
  std::string routeCode;  // codperc
  int authority = 0;      // ente
  int contract = 0;       // contratt
  long length = 0;        // lung, metres
  int duration = 0;       // tempo, minutes
  long contractLength = 0;
  int contractDuration = 0;
  std::string note;                 // denom
  char mode = ' ';                  // mezzo: U, X, W, F, T, N or a blank when none is chosen
  std::string previousTrip = "-1";  // prevcor as text, "-1" for none
  std::string nextTrip = "-1";      // nextcor as text, "-1" for none
};

// `ok`: the trip is stored. When not, a stop message says why (a missing master row, a counter of
// another kind or at its largest), or there is none when the database refused the row (the table
// layer has said why).
struct TripInsertResult : Outcome {
  std::int32_t id = -1;      // the new trip's id
  std::int32_t quadro = -1;  // its quadro number
};

// Sets every field of a head on the row being added or edited (a required text left empty is
// stored as one blank, a link of "-1" as none); the caller then updates it. With `shown` (the head
// a dialog showed), a field equal to the one shown is left as stored.
bool SetHeadFields(DbTable& trips, const TripHead& head, const TripHead* shown = nullptr);

class TripStore {
 public:
  explicit TripStore(DbDatabase* db);

  // The head of an existing trip; false when it is not there.
  bool ReadHead(std::int32_t id, TripHead& out);

  // Adds a trip with the head given, departure 0 and arrival 9999, in the quadro given (or, with
  // -1, in the master row's next quadro). Its id is the master row's next trip id, or the next id
  // free in `tescor` when that counter lags behind the trips already there. The master row's
  // counters then rise past what was used and never fall. Refused without a master row, when a
  // counter is stored as what its column cannot hold (MasterRowRefusal), and when the id or the
  // quadro used is the largest number a counter holds, which it could not then pass
  // (CounterPastItsColumnRefusal): nothing written.
  TripInsertResult Insert(const TripHead& head, std::int32_t quadro = -1);

  // Deletes the trip's stops, then its periods, then its head; true when all of it was deleted.
  // When any of it is refused nothing is deleted. A stop number or a period's date stored as what
  // its column cannot hold is met before anything is deleted: false, and Fault names it.
  bool Delete(std::int32_t id);
  const EditorFault& Fault() const { return fault_; }

  // The texts of trip `target` that were left as the head of trip `source` showed them (`shown`,
  // `saved` what was confirmed) take `source`'s stored text where it lost a character the code
  // page lacks, instead of the '?' it was shown with; returns the texts so kept.
  int KeepStoredTexts(std::int32_t source, std::int32_t target, const TripHead& shown, const TripHead& saved);

  // Copies every stop of `source` to `target`, with no times, its texts as stored; returns the
  // stops copied.
  int CopyStops(std::int32_t source, std::int32_t target);

  // The text of a missing master row.
  static const char* MissingMasterText();

 private:
  DbDatabase* db_;
  DbTable trips_;    // tescor, index "codice"
  DbTable stops_;    // detcor, index "codice"
  DbTable periods_;  // period, index "codice"
  EditorFault fault_;
};
