#pragma once
// The communication's model: the stops, arcs, itineraries and runs that the region is sent,
// normalised from the trips and numbered, each kind from 1. Objects read back from the reference
// base come first and keep their numbers; new ones follow in creation order, numbered after the
// largest number of their kind.
//
// Every lookup by key (a stop by its values, an arc by its ends and length, an itinerary by its
// route and rows, a run by everything it sends, a run by a company trip id) goes through a hash
// map of the key that keeps the first object in list order, so that the passes cost one lookup a
// row and give the same objects as a walk of the lists from the head would.
//
// Stops and arcs are held whole. An itinerary or run made from the trips is held only as the
// 128-bit hash of its key, its number and what the file needs of it besides the trips' rows (a
// run's itinerary and days): its lines are kept in scratch files (NewRows) or made by walking the
// trips again, so that the memory does not grow with the stop rows. The objects read from the base are held whole, as
// read.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class GeoStopList;
class TripSections;

struct CommStop {
  long number = 0;
  std::string code, name, place;  // detcor.fermata, denom, ubicaz
  int locality = 0;               // detcor.reglocal
  double x = 0.0, y = 0.0;        // 0 when not georeferenced
  bool fromBase = false;
};

struct CommArc {
  long number = 0;
  long from = 0, to = 0;  // stop numbers
  long length = 0;        // metres
  bool fromBase = false;
};

struct ItineraryRow {
  long arc = 0;
  long distance = 0;  // progressive distance of the stop where the arc ends
  long from = 0, to = 0;
};

// One stop of a run as the file carries it: the time ("HH.MM" as HHMM; the arrival, or the
// departure where there is no arrival; 9999 none) and the dwell in minutes. A run read from the
// base keeps the rows as the base gave them, so that it is written back unchanged and matched by
// a trip that would write the same rows.
struct RunStopTime {
  long stop = 0;
  int time = 0;
  int dwell = 0;
  bool main = false, request = false, passing = false;
};

// The days of one month on which a run operates: day d is bit 32 - d.
struct RunMonthDays {
  int year = 0, month = 0;
  std::uint32_t mask = 0;
  bool IsDaySet(int d) const { return d >= 1 && d <= 31 && (mask >> (32 - d) & 1u) != 0; }
};

// A run's line and stop rows as the file writes them.
struct ServiceRun {
  long number = 0;
  std::string tripCode, lineCode;
  char direction = 0;  // 0: none
  int authority = 0;
  std::string routeCode;
  long itinerary = 0;
  long length = 0;
  int time = 0;
  long ctLength = 0;
  int ctTime = 0;
  long firstStop = 0;
  int departure = 0;  // HHMM from the first stop; 9999 none
  long lastStop = 0;
  int arrival = 0;                // HHMM at the last stop; 9999 none
  long previous = -1, next = -1;  // company trip ids, -1 none
  char mode = 0;                  // 0: none
  std::vector<RunStopTime> stops;
};

// One stop of a trip as the trip pass reads it.
struct TripStopInput {
  long stop = 0;  // number of its CommStop
  long distance = 0;
  int arrival = 0, departure = 0;  // HHMM, 9999 (or the empty mark -1) none
  bool main = false, request = false, passing = false;
};

// One trip with its stops in travel order.
struct TripInput {
  long id = 0;
  std::string routeCode, routeName, tripCode, lineCode;
  char direction = 0;
  int authority = 0;
  long length = 0;
  int time = 0;
  long ctLength = 0;
  int ctTime = 0;
  long previous = -1, next = -1;
  char mode = 0;
  std::vector<TripStopInput> stops;
};

// The stop row a trip's stop gives: time and dwell by the file's rule (the empty mark -1 counts as
// none; the dwell is 0 when either time is missing, and wraps over midnight).
RunStopTime StopTimeOf(const TripStopInput& stop);

// The hash of an itinerary's or a run's key, 128 bits: two keys of one hash are taken as one key
// (at a million objects the chance of two different keys meeting is below one in 10^26).
struct KeyHash {
  std::uint64_t a = 0, b = 0;
  bool operator==(const KeyHash&) const = default;
};

// The 128-bit hash of a key fed value by value: two lanes, each a bijective mix of its state and
// the value, started and mixed apart.
class KeyHasher {
 public:
  void Add(std::uint64_t v);
  void Text(const std::string& text);
  void Signed(long v) { Add(static_cast<std::uint64_t>(v)); }
  KeyHash Done() const { return KeyHash{a_, b_}; }

 private:
  std::uint64_t a_ = 0x243F6A8885A308D3ull, b_ = 0x13198A2E03707344ull;
};

// The objects of one kind read from the base by their numbers: a list while the numbers rise, as
// the writer writes them, a map of them otherwise.
class NumberIndex {
 public:
  // Adds the next object's number; false when it is taken.
  bool Add(long number);
  // The index of the object of `number`, or -1.
  long Find(long number) const;
  long NumberAt(size_t index) const { return numbers_[index]; }
  size_t Count() const { return numbers_.size(); }

 private:
  std::vector<long> numbers_;
  std::unordered_map<long, std::uint32_t> byNumber_;  // once they no longer rise
  bool rising_ = true;
};

// The months of a run's days: the months of the reporting period that a period touched, in the
// order they were first touched, each with its days (day d is bit 32 - d). Months outside the
// reporting period never hold a day (the calendar gives none there), so they are not kept.
class RunDays {
 public:
  RunDays(std::uint32_t* masks, std::uint16_t* order, int months, int firstYear, int firstMonth)
      : masks_(masks), order_(order), months_(months), firstYear_(firstYear), firstMonth_(firstMonth) {}
  // The days of year/month, the month noted as touched; null outside the reporting period.
  std::uint32_t* Touch(int year, int month);
  // The touched months in order.
  std::vector<RunMonthDays> Months() const;

 private:
  std::uint32_t* masks_;
  std::uint16_t* order_;  // month offsets in touch order, kNone past the last
  int months_, firstYear_, firstMonth_;
};

// The itineraries or runs by their key's hash: an open table of their indexes (a few bytes an
// object, where a map would hold a node for each).
class HashIndex {
 public:
  // Room for `count` objects in all without growing.
  void Reserve(const std::vector<KeyHash>& hashes, size_t count);
  // The index of the first object of `hash` among `hashes` (the objects by index), or -1.
  long Find(const std::vector<KeyHash>& hashes, const KeyHash& hash) const;
  // Adds object `index` of hash `hash` (not already there).
  void Add(const std::vector<KeyHash>& hashes, const KeyHash& hash, std::uint32_t index);

 private:
  static constexpr std::uint32_t kFree = 0xFFFFFFFFu;
  void Grow(const std::vector<KeyHash>& hashes, size_t slots);
  std::vector<std::uint32_t> slots_;
  size_t count_ = 0;
};

class CommunicationModel {
 public:
  static constexpr std::uint16_t kNoMonth = 0xFFFF;

  const std::vector<CommStop>& Stops() const { return stops_; }
  const std::vector<CommArc>& Arcs() const { return arcs_; }
  // The itineraries and runs read from the base come first in list order; they are not held but
  // written again from the base file, section by section, as read (its rows and check value).
  size_t BaseItineraries() const { return baseItineraries_.Count(); }
  size_t BaseRuns() const { return baseRuns_.Count(); }
  const std::string& BasePath() const { return basePath_; }
  void SetBasePath(const std::string& path) { basePath_ = path; }
  long BaseRows(int section) const { return baseRows_[static_cast<size_t>(section)]; }
  long BaseCheck(int section) const { return baseChecks_[static_cast<size_t>(section)]; }
  void NoteBaseSection(int section, long rows, long check);
  // Room for the base's itineraries and runs, as its protocol block counts them.
  void ReserveBase(size_t itineraries, size_t runs);
  size_t ItineraryCount() const { return itineraryHashes_.size(); }
  size_t RunCount() const { return runHashes_.size(); }
  long ItineraryNumber(size_t index) const;
  long RunNumber(size_t index) const;
  // The rows the trips' itineraries and runs not from the base give to their sections.
  long NewItineraryRows() const { return newItineraryRows_; }
  long NewStopTimes() const { return newStopTimes_; }

  // The stop of these values and the coordinates of `code` in `geo` (none: 0, 0), made when new.
  const CommStop& NormaliseStop(const std::string& code, const std::string& name, const std::string& place,
                                int locality, const GeoStopList* geo);
  // The first stop in list order with these four values, or null.
  const CommStop* FindStop(const std::string& code, const std::string& name, const std::string& place,
                           int locality) const;
  // The number of the arc of these ends and length (it must exist: made by AddTrip).
  long ArcNumber(long from, long to, long length) const;

  // Room for this many more trips, so that the lists grow once.
  void ReserveTrips(size_t trips);
  // Puts one trip (at least one stop) into its itinerary and run, making them when new. Trips
  // come in the order of their ids.
  void AddTrip(const TripInput& trip);
  // Where a trip walked again stands: its run and the itinerary of that run (indexes). The first
  // trip of each itinerary or run not from the base made it, in the order of the trips. False
  // when the trip was not placed by AddTrip, or gives another key now (the database changed in
  // between).
  struct Placement {
    size_t run = 0, itinerary = 0;
  };
  bool PlaceAgain(const TripInput& trip, Placement& placement) const;
  // A trip's itinerary rows (arcs not set), and its run's line and rows on itinerary number
  // `itinerary` (number not set).
  static std::vector<ItineraryRow> RowsOf(const TripInput& trip);
  static ServiceRun RunOf(const TripInput& trip, long itinerary);
  // The run of a company trip (an index), or -1.
  long RunOfTrip(long tripId) const;
  // The itinerary of a run (an index).
  size_t ItineraryOfRun(size_t run) const { return runItineraries_[run]; }
  // The line of run `run` (an index) as a trip of it gives it: the trip's head (its stops are not
  // needed), the run's number, itinerary and ends.
  ServiceRun RunLineOf(const TripInput& head, size_t run) const;
  // (company trip id, run index) for every trip of every run, by trip id.
  std::vector<std::pair<long, size_t>> TripRunPairs() const;

  // The days of the runs over the reporting period, from the month of `firstYear`/`firstMonth`,
  // `months` long (0: none); every run's days empty.
  void BeginDays(int firstYear, int firstMonth, int months);
  RunDays DaysOf(size_t run);
  std::vector<RunMonthDays> MonthsOf(size_t run) const;

  // The reference base, read in file order. False (a corrupt base) when the number is already
  // taken, or when the row names a stop, arc, itinerary or run that is not there, stands at
  // another position than the next one of its itinerary or run, or does not go on from the row
  // before it (an itinerary row leaves the stop the one before reached, over an arc between the
  // two stops it names).
  bool AddBaseStop(CommStop stop);
  bool AddBaseArc(CommArc arc);
  bool AddBaseItinerary(long number, const std::string& routeCode, const std::string& routeName);
  bool AddBaseItineraryRow(long itinerary, long position, const ItineraryRow& row);
  bool AddBaseRun(const ServiceRun& run);  // its line's values, without stop rows
  bool AddBaseStopTime(long run, long position, const RunStopTime& time);
  // Once the whole base is read: the itineraries and runs become findable by their keys. False
  // when a run does not stop at the stops of its itinerary, in order, from its first stop to its
  // last one. Rows of an itinerary (or run) after those of a later one in list order make the base
  // corrupt too: it is written again as read, and the writer groups them.
  bool EndBase();

  long NextNumber(int kind) const;  // vurtxt::Section of stops, arcs, itineraries or runs

  // The rows of the itineraries and runs made from the trips, written to scratch files as the trip
  // pass placed them; null when they were not (the writer then walks the trips again).
  const TripSections* NewRows() const { return newRows_.get(); }
  void SetNewRows(std::shared_ptr<const TripSections> rows) { newRows_ = std::move(rows); }

 private:
  static std::string StopKey(const std::string& code, const std::string& name, const std::string& place, int locality);
  static KeyHash ItineraryHash(const std::string& code, const std::string& name, const std::vector<ItineraryRow>& rows);
  static KeyHash RunHash(const ServiceRun& run);
  long ArcOf(long from, long to, long length);
  long FindItinerary(const KeyHash& hash) const;  // an index, or -1
  long FindRun(const KeyHash& hash) const;

  std::vector<CommStop> stops_;
  std::vector<CommArc> arcs_;
  NumberIndex baseItineraries_, baseRuns_;
  std::string basePath_;
  long baseRows_[8] = {}, baseChecks_[8] = {};
  // While the base is read: each itinerary's and run's key so far, the stops it passes, its rows
  // and its last stop (a run: its first and last stop as its line names them).
  struct BaseItinerary {
    KeyHasher key, stops;
    std::uint32_t rows = 0;
    std::int32_t last = 0;
  };
  struct BaseRun {
    KeyHasher key, stops;
    std::uint32_t rows = 0, itinerary = 0;
    std::int32_t first = 0, last = 0, firstStop = 0, lastStop = 0;
  };
  std::vector<BaseItinerary> readItineraries_;
  std::vector<BaseRun> readRuns_;
  long lastRowItinerary_ = 0, lastStopRun_ = 0;
  std::vector<KeyHash> itineraryHashes_, runHashes_;
  std::vector<std::uint32_t> runItineraries_;  // each run's itinerary (an index)
  // Each run's first and last stop with the departure and the arrival there.
  struct RunEnds {
    std::int32_t firstStop = 0, lastStop = 0, departure = 0, arrival = 0;
  };
  std::vector<RunEnds> runEnds_;
  static RunEnds EndsOf(const ServiceRun& run);
  long nextStop_ = 1, nextArc_ = 1, nextItinerary_ = 1, nextRun_ = 1;
  long firstNewItinerary_ = 1, firstNewRun_ = 1;  // the numbers of the first not from the base
  long newItineraryRows_ = 0, newStopTimes_ = 0;

  std::unordered_map<std::string, size_t> stopByValues_;  // four values and the coordinates
  std::unordered_map<std::string, size_t> stopByKey_;     // the four values
  std::unordered_map<std::string, size_t> arcByKey_;
  HashIndex itineraryByHash_, runByHash_;
  // The trips placed, by id, with their runs.
  std::vector<long> tripIds_;
  std::vector<std::uint32_t> tripRuns_;
  // The days: `months_` entries a run.
  int months_ = 0, firstYear_ = 0, firstMonth_ = 0;
  std::vector<std::uint32_t> masks_;
  std::vector<std::uint16_t> monthOrder_;
  std::shared_ptr<const TripSections> newRows_;
  // While the base is read: the stops and arcs by number.
  std::unordered_map<long, size_t> stopByNumber_, arcByNumber_;
};
