#include "utilities/TripFixes.h"

#include "common/Formatters.h"
#include "utilities/KeyedRows.h"
#include "utilities/RowBatch.h"

#include <cstdlib>
#include <utility>

namespace {

// Sets whole-number fields of the row found and writes it.
bool WriteNumbers(KeyedRows& rows, std::initializer_list<std::pair<int, long>> fields) {
  DbTable& t = rows.Table();
  if (!t.Edit()) return false;
  for (const auto& [at, value] : fields)
    if (!t.SetFieldNumberAt(at, value)) return false;
  return t.Update() != 0;
}

constexpr int kNoTime = 9999;

bool IsTime(int hhmm) { return hhmm != kNoTime && hhmm >= 0; }

// One trip as its stop rows go by.
struct TripWalk {
  long id = 0;
  int firstSub = 0, lastSub = 0, rows = 0;
  int departure = kNoTime, arrival = kNoTime;  // the first row's departure, the last row's arrival
  int firstArrival = kNoTime;                  // kept for a trip of one stop
  bool clockSet = false;
  int clock = 0;    // minutes of the last time passed
  int running = 0;  // minutes

  // Moves the clock on to `hhmm`, a step over midnight when it lies before the clock.
  void StepTo(int hhmm) {
    if (!IsTime(hhmm)) return;
    const int later = Minutes(hhmm);
    if (clockSet) running += later - clock + (later < clock ? 1440 : 0);
    clock = later;
    clockSet = true;
  }
  void Start(long tripId, int sub, int arriva, int parte) {
    *this = {};
    id = tripId;
    firstSub = lastSub = sub;
    rows = 1;
    departure = parte;
    firstArrival = arrival = arriva;
    StepTo(parte);
  }
  void Next(int sub, int arriva, int parte) {
    ++rows;
    lastSub = sub;
    arrival = arriva;
    StepTo(arriva);
    StepTo(parte);
  }
};

}  // namespace

AssignmentResult FixTripTimes(DbDatabase* db, WorkProgress* progress) {
  DbSelect select(db, {.columns = "id, sub, arriva, parte", .from = "detcor", .orderBy = "id, sub"});
  KeyedRows trips(db, "tescor"), stops(db, "detcor");
  const int headParte = trips.Field("parte"), headArriva = trips.Field("arriva"), tempo = trips.Field("tempo"),
            ctTempo = trips.Field("ct_tempo"), stopArriva = stops.Field("arriva"), stopParte = stops.Field("parte");
  TripWalk trip;
  bool open = false;
  // Writes the finished trip; 1 when its head was written.
  auto finish = [&]() -> int {
    if (!open) return 0;
    open = false;
    if (trip.rows == 1) {
      const int time = IsTime(trip.departure) ? trip.departure : trip.firstArrival;
      return trips.Seek(trip.id) &&
             WriteNumbers(trips, {{headParte, time}, {headArriva, time}, {tempo, 0}, {ctTempo, 0}});
    }
    if (stops.Seek(trip.id, trip.firstSub)) WriteNumbers(stops, {{stopArriva, kNoTime}});
    if (stops.Seek(trip.id, trip.lastSub)) WriteNumbers(stops, {{stopParte, kNoTime}});
    return trips.Seek(trip.id) && WriteNumbers(trips, {{headParte, trip.departure},
                                                       {headArriva, trip.arrival},
                                                       {tempo, trip.running},
                                                       {ctTempo, trip.running}});
  };
  AssignmentResult result = WriteRows(
      db, select, Walked::Stops, progress,
      [&]() -> int {
        const long id = select.LongAt(0);
        const int sub = select.IntAt(1), arriva = select.IntAt(2), parte = select.IntAt(3);
        if (open && id == trip.id) {
          trip.Next(sub, arriva, parte);
          return 0;
        }
        const int written = finish();
        trip.Start(id, sub, arriva, parte);
        open = true;
        return written;
      },
      finish);
  return Told(std::move(result), FixedTripsResultText);
}

AssignmentResult FixRouteLengths(DbDatabase* db, WorkProgress* progress) {
  DbSelect select(db, {.columns = "id, sub, dist", .from = "detcor", .orderBy = "id, sub"});
  KeyedRows trips(db, "tescor");
  const int lung = trips.Field("lung"), ctLung = trips.Field("ct_lung");
  bool open = false;
  long id = 0, dist = 0;
  auto finish = [&]() -> int {
    if (!open) return 0;
    open = false;
    return trips.Seek(id) && WriteNumbers(trips, {{lung, dist}, {ctLung, dist}});
  };
  AssignmentResult result = WriteRows(
      db, select, Walked::Stops, progress,
      [&]() -> int {
        const long rowId = select.LongAt(0);
        const int written = open && rowId == id ? 0 : finish();
        id = rowId;
        dist = select.LongAt(2);
        open = true;
        return written;
      },
      finish);
  return Told(std::move(result), FixedTripsResultText);
}

namespace {

// A chained trip as text: none when empty (NULL), else the number.
bool Chained(const std::string& text, long& id) {
  if (text.empty()) return false;
  id = std::strtol(text.c_str(), nullptr, 10);
  return true;
}

// Whether the current row's field names `id`.
bool Names(DbTable& t, const char* field, long id) {
  std::string text;
  long named = 0;
  t.GetFieldText(field, text);
  return Chained(text, named) && named == id;
}

}  // namespace

AssignmentResult FixTripChaining(DbDatabase* db, WorkProgress* progress) {
  // Read whole at the start: each trip's chain as it stood then, whatever the walk has written.
  DbSelect select(
      db, {.columns = "id, prevcor, nextcor, prevcor IS NULL, nextcor IS NULL", .from = "tescor", .orderBy = "id"});
  KeyedRows trips(db, "tescor");
  DbTable& t = trips.Table();
  const int prevcor = trips.Field("prevcor"), nextcor = trips.Field("nextcor");
  // A link of the trip sought that cannot be read stops the walk (WriteRows), naming that trip.
  AssignmentResult result = WriteRows(
      db, select, Walked::Trips, progress,
      [&]() -> int {
        const long id = select.LongAt(0);
        int corrections = 0;
        if (!select.IntAt(3) && trips.Seek(select.LongAt(1)) && !Names(t, "nextcor", id) && !t.Faulted())
          corrections += WriteNumbers(trips, {{nextcor, id}});
        if (!t.Faulted() && !select.IntAt(4) && trips.Seek(select.LongAt(2)) && !Names(t, "prevcor", id) &&
            !t.Faulted())
          corrections += WriteNumbers(trips, {{prevcor, id}});
        return corrections;
      },
      [] { return 0; }, &t);
  return Told(std::move(result), TripChainingResultText);
}

AssignmentResult FixHalfTransitTimes(DbDatabase* db, WorkProgress* progress) {
  DbSelect select(db, {.columns = "id, sub, arriva, parte", .from = "detcor"});
  KeyedRows stops(db, "detcor");
  const int arrivaAt = stops.Field("arriva"), parteAt = stops.Field("parte");
  AssignmentResult result = WriteRows(db, select, Walked::Stops, progress, [&]() -> int {
    const int arriva = select.IntAt(2), parte = select.IntAt(3);
    if (arriva == kNoTime || parte == kNoTime || (arriva < 1) == (parte < 1)) return 0;
    if (!stops.Seek(select.LongAt(0), select.IntAt(1))) return 0;
    return arriva < 1 ? WriteNumbers(stops, {{arrivaAt, parte}}) : WriteNumbers(stops, {{parteAt, arriva}});
  });
  return Told(std::move(result), HalfTransitTimesResultText);
}

AssignmentResult AlignContractLengthsAndTimes(DbDatabase* db, WorkProgress* progress) {
  DbSelect select(db, {.columns = "id, lung, tempo", .from = "tescor"});
  KeyedRows trips(db, "tescor");
  const int ctLung = trips.Field("ct_lung"), ctTempo = trips.Field("ct_tempo");
  AssignmentResult result = WriteRows(db, select, Walked::Trips, progress, [&]() -> int {
    return trips.Seek(select.LongAt(0)) &&
           WriteNumbers(trips, {{ctLung, select.LongAt(1)}, {ctTempo, select.IntAt(2)}});
  });
  return Told(std::move(result), ContractValuesResultText);
}

std::string TripTimesQuestion() {
  return std::string("ATTENZIONE: Questa funzione sistemerà formalmente i parametri delle corse.\n\n") +
         "In particolare verranno sistemati i tempi di percorrenza.\n\n" + "Intendi proseguire?";
}

std::string RouteLengthsQuestion() {
  return std::string("ATTENZIONE: Questa funzione calcola le lunghezze totali dei percorsi a partire\n") +
         "dalle distanze progressive.\n\n" +
         "La lunghezza totale attualmente indicata dal percorso verrà sovrascritta.\n\n" + "Intendi proseguire?";
}

std::string HalfTransitTimesQuestion() {
  return std::string("ATTENZIONE: Questa funzione sistema i tempi di transito \"zoppi\", quelli cioè\n") +
         "per i quali è impostato il solo tempo di ARRIVO oppure il solo tempo di PARTENZA\n\n" + "Intendi proseguire?";
}

std::string ContractValuesQuestion() {
  return std::string("ATTENZIONE: Questa funzione riallinea lunghezze e durate contrattuali delle corse\n") +
         "rendendole identiche a lunghezze e durate fisiche.\n\n" + "Intendi proseguire?";
}

std::string FixedTripsResultText(const AssignmentResult& r) {
  return std::string("Risultati dell'elaborazione:\n\n") + Format("Sistemate %d corse.", r.updated);
}

std::string TripChainingResultText(const AssignmentResult& r) {
  if (r.updated == 0) return "I concatenamenti tra corse sono risultati consistenti";
  return std::string("I concatenamenti tra corse risultavano inconsistenti\n\n") + "E' stato necessario apportare " +
         Format("%d", r.updated) + " correzioni.\n\n" +
         "E' assolutamente consigliabile procedere alla verifica della\n" + "apposita RUBRICA di controllo !!!";
}

std::string HalfTransitTimesResultText(const AssignmentResult& r) {
  return std::string("Risultati dell'elaborazione:\n\n") +
         Format("Aggiustati %d tempi di transito \"zoppi\"", r.updated);
}

std::string ContractValuesResultText(const AssignmentResult& r) {
  return std::string("Risultati dell'elaborazione:\n\n") + Format("Aggiustate %d corse", r.updated);
}
