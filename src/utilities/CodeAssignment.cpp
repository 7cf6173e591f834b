#include "utilities/CodeAssignment.h"

#include "common/Formatters.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "utilities/KeyedRows.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace {

// Sets one text field of the row found and writes the row.
bool WriteText(KeyedRows& rows, int field, std::string_view text) {
  DbTable& t = rows.Table();
  return t.Edit() && t.SetFieldTextAt(field, text) && t.Update();
}

long LongAt(DbSelect& select, int position) {
  long value = 0;
  select.GetFieldLongAt(position, &value);
  return value;
}

int IntAt(DbSelect& select, int position) {
  int value = 0;
  select.GetFieldIntAt(position, &value);
  return value;
}

// The code of a number by a printf format; the format sets a minimum width and cuts nothing.
template <class N>
std::string_view Code(char (&buffer)[32], const char* format, N number) {
  const int n = std::snprintf(buffer, sizeof buffer, format, number);
  return {buffer, static_cast<size_t>(n)};
}

// Whether a row of `table` holds a code in `field` (neither missing nor blank).
bool CodesAssigned(DbDatabase* db, const char* table, const char* field) {
  DbSelect select(db);
  select.SetStreaming(true);  // the first row answers
  select.SetColumns("id");
  select.SetFrom(table);
  select.SetWhere(std::string(field) + " IS NOT NULL AND RTRIM(" + field + ") <> ''");
  select.Open();
  return select.hasRow;
}

// The trips' rows with their quadro numbers, each given the code `format` makes of its number,
// inside `batch`.
AssignmentResult WriteQuadroCode(DbBatch& batch, DbDatabase* db, const char* field, const char* format,
                                 WorkProgress* progress) {
  DbSelect select(db, {.columns = "id, gruppo", .from = "tescor"});
  KeyedRows trips(db, "tescor");
  const int at = trips.Field(field);
  char buffer[32];
  return WriteRows(batch, select, Walked::Trips, progress, [&] {
    return trips.Seek(LongAt(select, 0)) && WriteText(trips, at, Code(buffer, format, LongAt(select, 1)));
  });
}

// Codes found in the assignment's batch where the question confirmed said there were none.
AssignmentResult CodesCameMeanwhile(DbBatch& batch, const char* codes) {
  batch.Rollback();
  AssignmentResult result;
  result.Fail(Format("ATTENZIONE: alcuni Codici %s sono stati assegnati dopo la richiesta di conferma.\n\n", codes) +
              "Nessun codice è stato assegnato.");
  return result;
}

}  // namespace

AssignmentResult AssignTripCodes(DbDatabase* db, WorkProgress* progress) {
  DbSelect select(db, {.columns = "id", .from = "tescor", .orderBy = "gruppo, codlinea, id"});
  KeyedRows trips(db, "tescor");
  const int at = trips.Field("codcorsa");
  long counter = 1;
  char buffer[32];
  AssignmentResult result = WriteRows(db, select, Walked::Trips, progress, [&] {
    if (!trips.Seek(LongAt(select, 0))) return false;
    return WriteText(trips, at, Code(buffer, "%06ld", counter++));
  });
  return Told(std::move(result), TripCodesResultText);
}

AssignmentResult AssignContractCodes(DbDatabase* db, const ContractChoice& choice, WorkProgress* progress) {
  DbSelect select(db, {.columns = "id", .from = "tescor"});
  if (!choice.anyLine) {
    // The line chosen or typed is a value of the selection, never part of its text.
    select.SetWhere("codlinea = ?1");
    select.SetParameters(std::vector<DbText>{choice.line});
  }
  select.SetOrderBy("id");
  KeyedRows trips(db, "tescor");
  const int ente = trips.Field("ente"), contratt = trips.Field("contratt");
  DbTable& t = trips.Table();
  AssignmentResult result = WriteRows(db, select, Walked::Trips, progress, [&] {
    return trips.Seek(LongAt(select, 0)) && t.Edit() && t.SetFieldNumberAt(ente, choice.authority) &&
           t.SetFieldNumberAt(contratt, choice.contract) && t.Update();
  });
  return Told(std::move(result), ContractCodesResultText);
}

AssignmentResult AssignStopCodes(DbDatabase* db, bool warnedOfCodes, WorkProgress* progress) {
  // Asked again in the batch that writes: codes may have come while the question waited.
  DbBatch batch(db);
  if (!batch.Active()) return NotStored();
  if (!warnedOfCodes && StopCodesAssigned(db)) return CodesCameMeanwhile(batch, "Fermata");
  DbSelect select(db, {.columns = "id, sub, denom, ubicaz", .from = "detcor", .orderBy = "denom, ubicaz"});
  KeyedRows stops(db, "detcor");
  const int at = stops.Field("fermata");
  int counter = 0;
  // Compared as stored: two names read alike, with '?', are two stops.
  DbText name, place, lastName, lastPlace;
  char buffer[32];
  AssignmentResult result = WriteRows(batch, select, Walked::Stops, progress, [&] {
    name = select.TrimmedTextAt(2);
    place = select.TrimmedTextAt(3);
    if (name != lastName || place != lastPlace) {
      ++counter;
      lastName = std::move(name);
      lastPlace = std::move(place);
    }
    return stops.Seek(LongAt(select, 0), IntAt(select, 1)) && WriteText(stops, at, Code(buffer, "AUTO%05d", counter));
  });
  return Told(std::move(result), StopCodesResultText);
}

AssignmentResult AssignRouteCodes(DbDatabase* db, bool warnedOfCodes, WorkProgress* progress) {
  DbBatch batch(db);
  if (!batch.Active()) return NotStored();
  if (!warnedOfCodes && RouteCodesAssigned(db)) return CodesCameMeanwhile(batch, "Percorso");
  return Told(WriteQuadroCode(batch, db, "codperc", "AUTO%05ld", progress), RouteCodesResultText);
}

AssignmentResult AssignBoardAsLine(DbDatabase* db, WorkProgress* progress) {
  DbBatch batch(db);
  return Told(WriteQuadroCode(batch, db, "codlinea", "Q_%04ld", progress), BoardAsLineResultText);
}

bool StopCodesAssigned(DbDatabase* db) { return CodesAssigned(db, "detcor", "fermata"); }

bool RouteCodesAssigned(DbDatabase* db) { return CodesAssigned(db, "tescor", "codperc"); }

std::string TripCodesQuestion() {
  return std::string("ATTENZIONE: Questa funzione assegnerà un codice univoco ad ogni singola corsa.\n\n") +
         "I codici corsa eventualmente già assegnati verranno sovrascritti.\n\n" + "Intendi proseguire?";
}

std::string TripCodesResultText(const AssignmentResult& r) {
  return std::string("Risultati dell'elaborazione:\n\n") +
         Format("Lette %d corse; Assegnati %d codici corsa.", r.read, r.updated);
}

std::string ContractCodesResultText(const AssignmentResult& r) {
  return std::string("Risultati dell'elaborazione:\n\n") +
         Format("Lette %d corse; Assegnati %d codici contratto.", r.read, r.updated);
}

namespace {

// The first question of the stop and route codes: what the assignment takes for granted.
std::string Conditions(const char* codes, const char* lowerCase, const char* third) {
  return Format("ATTENZIONE; l'assegnazione automatica dei Codici %s ha un\n", codes) +
         "senso logico solo se si verificano le condizioni seguenti:\n\n" +
         "1) Gli orari corsa sono già stati caricati e verificati per intero.\n\n" +
         Format("2) Non si sono caricati manualmente i codici %s negli orari.\n\n", lowerCase) + third +
         Format("Intendi comunque procedere con l'assegnazione automatica dei Codici %s?", codes);
}

// The second question: a plain confirmation, or the warning that codes are there and will go.
std::string Confirmation(const char* codes, bool alreadyAssigned) {
  if (!alreadyAssigned)
    return std::string("Questa operazione provvederà ad assegnare automaticamente\n") +
           Format("un Codice univoco ad ogni %s presente negli orari.\n", codes) +
           Format("Confermi l'assegnazione automatica dei Codici %s?", codes);
  return Format("ATTENZIONE; alcuni Codici %s risultano già assegnati.\n\n", codes) +
         Format("Procedendo con questa operazione i Codici %s già assegnati.\n", codes) +
         "verranno perduti irrimediabilmente, in quanto saranno sostituiti\n" +
         "da quelli assegnati automaticamente.\n\n" +
         Format("Confermi l'assegnazione automatica dei Codici %s?", codes);
}

}  // namespace

std::string StopCodesFirstQuestion() {
  return Conditions("Fermata", "fermata", "3) Si è rigorosamente verificata la Normalizzazione delle Fermate.\n\n");
}

std::string StopCodesSecondQuestion(bool alreadyAssigned) { return Confirmation("Fermata", alreadyAssigned); }

std::string StopCodesResultText(const AssignmentResult& r) {
  return std::string("Risultati dell'assegnazione Codici Fermate:\n\n") + "Fermate Lette: " + Format("%d\n", r.read) +
         "Fermate Aggiornate: " + Format("%d\n", r.updated);
}

std::string RouteCodesFirstQuestion() {
  return Conditions("Percorso", "percorso",
                    "3) E' stata effettuata e verificata l'operazione di Raggruppamento\n"
                    "delle Corse omogenee.\n\n");
}

std::string RouteCodesSecondQuestion(bool alreadyAssigned) { return Confirmation("Percorso", alreadyAssigned); }

std::string RouteCodesResultText(const AssignmentResult& r) {
  return std::string("Risultati dell'assegnazione Codici Percorso:\n\n") + "Corse Lette: " + Format("%d\n", r.read) +
         "Corse Aggiornate: " + Format("%d\n", r.updated);
}

std::string BoardAsLineQuestion() {
  return std::string("ATTENZIONE: Questa funzione assenga i codici quadro come codici delle linee.\n\n") +
         "SI PRESUME SERVA SOLO PER REZURUZADA.\n\n" + "Intendi proseguire?";
}

std::string BoardAsLineResultText(const AssignmentResult& r) {
  return std::string("Risultati dell'elaborazione:\n\n") + Format("Sistemate %d corse.", r.updated);
}
