#pragma once
// The writers of the communication, of its reference base and of the two return flows. Every file
// is written whole or not at all: its lines go to a temporary beside the chosen name, flushed, and
// take the name by one rename; a file already there keeps its content when the new one cannot be
// written.

#include "common/ExportJournal.h"
#include "common/Outcome.h"
#include "common/WholeFile.h"
#include "exchange/communication/CommunicationModel.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class DbDatabase;
class GeoStopList;
class WorkProgress;

// The protocol line's values.
struct CommunicationHeader {
  char nature = 'B';     // 'B', 'P', 'A' or 'I'
  bool replaces = true;  // 'S': replaces every earlier communication; 'N': integrates them
  int company = 0;
  long number = 1;       // this communication's number (the base carries the same)
  std::string sendDate;  // p_data, "GG/MM/AAAA"
  std::string periodStart, periodEnd;
  std::string person;  // resple without trailing blanks
};

// Not done when a text of the master row cannot be carried by the file: the refusal is the
// message, and nothing is written.
struct CommunicationHeading : Outcome {
  CommunicationHeader header;
};

// The protocol line's values from `master` (number 1); without the row: company 0, the dates
// "01/01/1901", "01/01/1901", "31/12/2099" and "Anonimo". A responsible person's name holding a
// control byte or a character Windows-1252 lacks is refused.
CommunicationHeading ReadCommunicationHeader(DbDatabase* db, char nature, bool replaces);

enum class CommunicationFile {
  First,        // every object, 'S'
  Incremental,  // the objects not in the base, 'N'; the days of every run
  Base,         // every object, 'R', no days
};

// The heads and rows of the itineraries and the lines and stop rows of the runs not from the base,
// made by one walk of the trips of `db` (the database the model was built from), or by the trip
// pass itself, into scratch files, and read back by every file of the set that carries them.
class TripSections {
 public:
  TripSections();
  ~TripSections();
  TripSections(const TripSections&) = delete;
  TripSections& operator=(const TripSections&) = delete;
  // The walk. False when it failed, a scratch file could not be written, or the trips no longer
  // give the model's objects (the database changed).
  bool Make(DbDatabase* db, const CommunicationModel& model);
  // The same made as the trips are placed (the trip pass): the scratch files opened (false when
  // they cannot be), the line and rows of each new run `run` (an index) and, when it came with it,
  // the head and rows of its new itinerary, from the first trip that gave them, and the files
  // finished (false when they could not be written whole).
  // `db` is the database they are read from: its state is noted for ReadFrom.
  bool Begin(DbDatabase* db);
  void Add(const CommunicationModel& model, const TripInput& trip, size_t run, bool newItinerary);
  bool End();
  // True when nothing was committed to `db` since Begin, by this connection or another one: the
  // rows are still those its trips give. Otherwise the writer walks the trips again, and a trip
  // that no longer gives its object fails the set.
  bool ReadFrom(DbDatabase* db) const;
  // The lines of `section` (vurtxt::kItineraryHeads, kItineraryRows, kRuns or kStopTimes) in
  // order. False when they cannot be read back whole.
  bool Read(int section, const std::function<void(std::string_view)>& line) const;
  // When the scratch files could not be written: the message naming the system's temporary folder,
  // saying whether it is full. Empty otherwise.
  std::string Fault() const;

 private:
  struct Scratch;
  std::unique_ptr<Scratch> scratch_[4];  // itinerary heads, itinerary rows, runs, stop rows
  // The database's data version and this connection's changes when the rows were begun.
  struct State {
    long version = -1, changes = -1;
    bool operator==(const State&) const = default;
  };
  static State StateOf(DbDatabase* db);
  State state_;
};

// The lines of the file, in order. `progress` (may be null) gets one pass over the rows. The
// itineraries and runs made from the trips are written from `sections` when given, else from the
// model's scratch files while `db` is as the trip pass read it, else from the trips of `db`
// walked again (the database the model was built from). Not done when that walk failed or the
// trips no longer give the model's objects, when the scratch files could not be written (the
// message names the temporary folder) or when the base's rows are no longer those read (the
// message names the base): the lines given are then not a file.
Outcome WriteCommunication(DbDatabase* db, const CommunicationModel& model, const CommunicationHeader& header,
                           CommunicationFile kind, const LineSink& sink, WorkProgress* progress,
                           const TripSections* sections = nullptr);
// The lines of RT_IDREG: one per company trip of a run, by trip id (the trips of `db` walked
// again). False when that walk failed.
bool WriteIdRegLines(DbDatabase* db, const CommunicationModel& model, int company, const LineSink& sink);
// The lines of RT_FMREG: one per georeferenced stop, in the list's order (none without a list).
void WriteFmRegLines(const GeoStopList* geo, int company, const LineSink& sink);

// One file of a communication's set: where it goes (Windows-1252), its lines (not done: they could
// not all be made, and the set is not written; its messages say why, or none), and the caption of
// the messages about it.
struct CommunicationPart {
  std::string path;
  std::function<Outcome(const LineSink&)> produce;
  std::string caption;
};

// The messages: what was done in each folder where an earlier set had been cut short (under the
// first part's caption); when a part's lines could not be made, why, as the part said; else when
// it could not be written or put in place, "Impossibile creare" and its path (`failedPath`) under
// its caption.
struct CommunicationWriting : Outcome {
  size_t failed = 0;  // when not done: the part that could not be written or put in place
};

// The communication, its base and the return flows, put in place as one set: each file written
// whole to its temporary, and only when every one is complete are they put in place, the files of
// one folder as one set under its journal (ExportFileSet), the communication's folder last. A
// folder where an earlier set was cut short is put in order first (RecoverExportFolder, by the
// key `watch` noted; that note goes once the folder is whole, but a journal of another program
// found there leaves it). Nothing changes when a file cannot be written; only a rename refused in
// a later folder leaves the sets of the folders put in place before it. `step` is told after each
// change on the disk (tests stop there).
CommunicationWriting WriteCommunicationSet(const std::vector<CommunicationPart>& parts, const FolderWatch& watch,
                                           const FileSetStep& step = {});

// The files chosen for a communication, one by one: the communication always; the base, the
// return flow of the trips and the one of the stops each only when the one before it was chosen
// (empty otherwise).
struct CommunicationPaths {
  std::string communication, base, tripFlow, stopFlow;
};

// The first or the incremental communication and the files chosen with it, written as one set
// (WriteCommunicationSet). Its success is told only when the base was written with it: without
// its base no further communication can follow.
CommunicationWriting WriteCommunicationFiles(DbDatabase* db, const CommunicationModel& model,
                                             const CommunicationHeader& header, bool first, const GeoStopList* geo,
                                             const CommunicationPaths& paths, WorkProgress* progress,
                                             const FolderWatch& watch);

// The default names the save dialogs propose.
std::string CommunicationDefaultName(int company, long number);
std::string BaseDefaultName(int company, long number);
