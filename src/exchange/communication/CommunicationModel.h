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

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class GeoStopList;

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

struct Itinerary {
  long number = 0;
  std::string routeCode, routeName;
  bool fromBase = false;
  std::vector<ItineraryRow> rows;  // travel order
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
  bool fromBase = false;
  std::vector<RunStopTime> stops;
  std::vector<RunMonthDays> months;  // creation order
  std::vector<long> trips;           // company trip ids
};

// One stop of a trip as the trip pass reads it.
struct TripStopInput {
  long stop = 0;  // number of its CommStop
  long distance = 0;
  int arrival = 0, departure = 0;  // HHMM, 9999 (or negative) none
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

// The stop row a trip's stop gives: time and dwell by the file's rule (a negative time counts as
// none; the dwell is 0 when either time is missing, and wraps over midnight).
RunStopTime StopTimeOf(const TripStopInput& stop);

class CommunicationModel {
 public:
  const std::vector<CommStop>& Stops() const { return stops_; }
  const std::vector<CommArc>& Arcs() const { return arcs_; }
  const std::vector<Itinerary>& Itineraries() const { return itineraries_; }
  const std::vector<ServiceRun>& Runs() const { return runs_; }
  std::vector<ServiceRun>& Runs() { return runs_; }

  // The stop of these values and the coordinates of `code` in `geo` (none: 0, 0), made when new.
  const CommStop& NormaliseStop(const std::string& code, const std::string& name, const std::string& place,
                                int locality, const GeoStopList* geo);
  // The first stop in list order with these four values, or null.
  const CommStop* FindStop(const std::string& code, const std::string& name, const std::string& place,
                           int locality) const;
  // Puts one trip (at least one stop) into its itinerary and run, making them when new.
  void AddTrip(const TripInput& trip);
  // The run that holds the trip id, or null.
  ServiceRun* FindRunByTrip(long tripId);

  // The reference base, read in file order. False (a corrupt base) when the number is already
  // taken, or when the row names a stop, arc, itinerary or run that is not there, stands at
  // another position than the next one of its itinerary or run, or does not go on from the row
  // before it (an itinerary row leaves the stop the one before reached, over an arc between the
  // two stops it names).
  bool AddBaseStop(CommStop stop);
  bool AddBaseArc(CommArc arc);
  bool AddBaseItinerary(Itinerary itinerary);
  bool AddBaseItineraryRow(long itinerary, long position, const ItineraryRow& row);
  bool AddBaseRun(ServiceRun run);
  bool AddBaseStopTime(long run, long position, const RunStopTime& time);
  // Once the whole base is read: the itineraries and runs become findable by their keys. False
  // when a run does not stop at the stops of its itinerary, in order, from its first stop to its
  // last one.
  bool EndBase();

  long NextNumber(int kind) const;  // vurtxt::Section of stops, arcs, itineraries or runs

  // (company trip id, run index) for every trip of every run, by trip id.
  std::vector<std::pair<long, size_t>> TripRunPairs() const;

 private:
  static std::string StopKey(const std::string& code, const std::string& name, const std::string& place, int locality);
  static std::string ItineraryKey(const std::string& code, const std::string& name,
                                  const std::vector<ItineraryRow>& rows);
  static std::string RunKey(const ServiceRun& run);
  long ArcOf(long from, long to, long length);

  std::vector<CommStop> stops_;
  std::vector<CommArc> arcs_;
  std::vector<Itinerary> itineraries_;
  std::vector<ServiceRun> runs_;
  long nextStop_ = 1, nextArc_ = 1, nextItinerary_ = 1, nextRun_ = 1;

  std::unordered_map<std::string, size_t> stopByValues_;  // four values and the coordinates
  std::unordered_map<std::string, size_t> stopByKey_;     // the four values
  std::unordered_map<std::string, size_t> arcByKey_;
  // The itineraries and runs by the hash of their key, which is made again only to tell two
  // objects of one hash apart: a key as long as every row it sends is not kept for each of them.
  std::unordered_multimap<std::size_t, size_t> itineraryByHash_;
  std::unordered_multimap<std::size_t, size_t> runByHash_;
  // The index of the itinerary or run of `key` among those of its hash, or -1.
  long FindItinerary(std::size_t hash, const std::string& key) const;
  long FindRun(std::size_t hash, const std::string& key) const;
  std::unordered_map<long, size_t> runByTrip_;
  // While the base is read: the itineraries and runs by number.
  std::unordered_map<long, size_t> itineraryByNumber_, runByNumber_;
  std::unordered_map<long, size_t> stopByNumber_, arcByNumber_;
};
