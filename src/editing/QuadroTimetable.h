#pragma once
// The timetable of one quadro (every trip with the same `tescor.gruppo`) or of one trip alone:
// the trips are the columns, in order of departure then id; the stops are the rows; each cell
// holds one trip's arrival and departure at one stop. And every write the quadro's commands make:
// a transit time, a stop's details in every trip, a stop inserted into or deleted from every trip,
// a trip's head, the line, lengths or contract of the whole quadro, a trip moved to a quadro of
// its own, times cloned from another column. Every write happens inside the trip editor's
// transaction; a write the database refuses has been reported by the table layer and leaves the
// model as it was. Rows and columns are reached by position in constant time.

#include "common/EditorLists.h"
#include "common/Outcome.h"
#include "db/DbTable.h"
#include "editing/EditorFaults.h"
#include "editing/TripStore.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class DbDatabase;

class QuadroTimetable {
 public:
  explicit QuadroTimetable(DbDatabase* db);

  // Loads every trip of quadro `number` (>= 0), or trip `id` alone; Reload loads again what was
  // loaded last (changed and deleted marks go). A trip without stops in a quadro whose other trips
  // have stops is left out: no column, and no command on every trip writes to it. A load without
  // any stop is one column of no trip, which stands for the trips loaded: the commands on every
  // trip still reach each of them.
  // A stored value of a trip or stop loaded that its column cannot hold as its kind ends the
  // loading: Fault names it, and the timetable is not to be shown.
  void LoadQuadro(std::int32_t number);
  void LoadSingleTrip(std::int32_t id);
  void Reload();
  const EditorFault& Fault() const { return fault_; }
  // Adds trip `id` (just written) as the last column, as it is in the database, whatever its
  // departure: the columns before it keep their places and marks until the next load. In a
  // model without stops it takes the column of no trip, and the trips that column stood for stay
  // in every command on every trip.
  void AppendTrip(std::int32_t id);
  std::int32_t QuadroNumber() const { return quadroNumber_; }  // -1 when one trip is loaded
  std::int32_t SingleTripId() const { return singleTripId_; }  // -1 when a quadro is loaded

  int RowCount() const { return static_cast<int>(rows_.size()); }
  TripStop* Row(int position) const;
  int PositionOf(const TripStop* row) const;  // -1 when it is not a row of the model
  int ColumnCount() const { return model_.ColumnCount(); }
  TripLeg* Column(int position) const { return model_.GetColumn(position); }
  TimeCell* Cell(int row, int column) const;

  // The text a cell shows: the arrival when both are equal, the other when one is "99:99",
  // else "A: 8:35 / P: 8:37".
  static std::string CellText(const TimeCell& cell);

  // A typed transit time: cut at its first blank; empty is no time (-1); else "H.MM" or "HH.MM"
  // with '.', ':', ',' or '-', hours 0-23, minutes 0-59; and, only where `markAllowed`, "99:99"
  // (with any of the separators), the mark of no time (9999). False for anything else.
  static bool ParseTransitTime(std::string_view text, bool markAllowed, int& hhmm);

  // Writes a cell's times as typed. A fault returns its stop message (nothing written): a time
  // that is no time of day, or the mark 99:99 anywhere but for the arrival at the trip's first
  // stop and the departure at its last; and no time at all. One time given stands for both. On
  // success the cell shows the new times, marked changed; a stop the trip lacks is said, and a
  // write the database refuses (reported by the table layer) returns "" and leaves the cell as
  // it was.
  // `written` (when given) tells whether the database took the times.
  std::string WriteTime(int row, int column, const std::string& arrival, const std::string& departure,
                        bool* written = nullptr);

  // Writes a stop's details in every trip; the row takes them, marked changed. Returns the trips
  // written. With `shown` (the details a dialog showed), a detail equal to the one shown is left
  // as each trip stores it, and nothing is written when none changed.
  int WriteStopDetails(int row, const TripStopValues& values, const TripStopValues* shown = nullptr);
  // Deletes a stop from every trip; the row is marked deleted. Returns the trips written.
  int DeleteStop(int row);

  enum class InsertAt { Head, Below, Tail };
  // Inserts a stop into every trip of the model: at the head, below row `below`, or at the tail.
  // The later stops of each trip move down one place keeping all of their own data. The new stop
  // has no times, except at the tail of a model without stops, where `time` (HHMM, or -1) is its
  // arrival and departure and `fallbackTrip` the trip it goes to. The model is loaded again; the
  // position of the new row is returned, -1 when nothing was written.
  int InsertStop(InsertAt where, int below, const TripStopValues& values, int time, std::int32_t fallbackTrip);

  // Writes a trip's head; its column (and nothing else) takes the new texts, marked changed. With
  // `shown` (the head a dialog showed), a field equal to the one shown is left as stored.
  bool WriteHead(int column, const TripHead& head, const TripHead* shown = nullptr);
  // The whole quadro: line, direction, route and note; lengths; authority and contract. Each
  // returns the ids of the trips written, in column order. The columns written take the new line
  // texts or length, marked changed; the contract is not shown and marks nothing. With `shown`,
  // the line texts equal to those shown are left as each trip stores them (none changed: nothing
  // written).
  std::vector<std::int32_t> AssignLine(const std::string& lineCode, char direction, const std::string& routeCode,
                                       const std::string& note, const TripHead* shown = nullptr);
  std::vector<std::int32_t> AssignLengths(long length, long contractLength, int contractDuration);
  std::vector<std::int32_t> AssignContract(int authority, int contract);

  // Gives a column's trip the master row's next quadro number (and raises the counter); the
  // model is then loaded again. `ok` once moved; a missing master row is refused with its stop
  // message, a write the database refuses has been told by the table layer.
  Outcome MoveToNewQuadro(int column);

  // Gives column `target` the running and dwell times of column `source`, starting at
  // `departure` (HHMM), with no arrival at the first stop. A source without a time at one of its
  // stops after the first is refused with a stop message (nothing written, not `ok`).
  Outcome CloneTimes(int source, int target, int departure);

 private:
  void Load(const std::string& where, const std::vector<std::string>& parameters);
  // Adds the trips selected as columns after those there, and the stops no row has yet as rows.
  // With `stopless`, a trip without stops is no column but listed there.
  void AddTrips(const std::string& where, const std::vector<std::string>& parameters,
                std::vector<std::int32_t>* stopless = nullptr);
  // Whether stop `sub` is the first and the last of trip `id`'s own stops; both are left as they
  // are when the trip has none.
  void StopEnds(std::int32_t id, std::int32_t sub, bool& first, bool& last) const;
  void IndexRows();
  // Every trip the model stands for, each with its column (none for a trip loaded without stops),
  // in column order, then the trips loaded without stops; a trip deleted in this session is left
  // out.
  std::vector<std::pair<std::int32_t, TripLeg*>> Trips() const;

  DbDatabase* db_;
  DbTable trips_;  // tescor, index "codice"
  DbTable stops_;  // detcor, index "codice" (id, sub)
  TripStopList model_;
  std::vector<TripStop*> rows_;
  std::unordered_map<const TripStop*, int> positions_;  // each row's position in rows_
  std::vector<std::int32_t> stopless_;                  // the trips of a load without any stop
  std::int32_t quadroNumber_ = -1;
  std::int32_t singleTripId_ = -1;
  EditorFault fault_;
};
