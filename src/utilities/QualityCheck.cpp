#include "utilities/QualityCheck.h"

#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/TextKeys.h"
#include "utilities/RowBatch.h"

namespace {

// Opens a streamed selection of `columns` from `table` in `order`, whose faults the check tells.
void Open(DbSelect& select, const char* columns, const char* table, const char* order) {
  select.SetStreaming(true);
  select.SetFaultsToldByCaller(true);
  select.SetColumns(columns);
  select.SetFrom(table);
  select.SetOrderBy(order);
  select.Open();
}

// One finding line when its count is above 0; true when it was written and fails the check.
bool Line(std::string& findings, const char* format, int count, int total, bool fails) {
  if (count <= 0) return false;
  findings += Format(format, count, total);
  return fails;
}

// Whether the row just read held a value its column cannot hold: then `refusal` names it, the
// trip's id at `idAt` (and its stop number at `subAt`).
bool Refused(DbSelect& select, int idAt, int subAt, std::string& refusal) {
  if (!select.Faulted()) return false;
  refusal = StoredValueRefusal(StoredTripRow(select, idAt, subAt), select.FaultText(), Undone::Findings);
  return true;
}

}  // namespace

bool CheckStopQuality(DbDatabase* db, std::string& findings, std::string& refusal) {
  DbSelect select(db);
  Open(select, "fermata, denom, ubicaz, reglocal, primaria, facolt, nonferma, id, sub", "detcor",
       "fermata, denom, ubicaz, reglocal");
  int total = 0, primary = 0, notPrimary = 0, optional = 0, notStopping = 0, noCode = 0, duplicate = 0, noName = 0,
      noPlace = 0, placeIsName = 0, noLocality = 0;
  std::string code, name, place, lastCode, lastName, lastPlace;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    // Compared by their keys: two texts read alike, with '?', are two texts.
    ReadTextKey(select, 0, code);
    ReadTextKey(select, 1, name);
    ReadTextKey(select, 2, place);
    if (select.IntAt(4))
      ++primary;
    else
      ++notPrimary;
    if (select.IntAt(5)) ++optional;
    if (select.IntAt(6)) ++notStopping;
    if (code.empty()) ++noCode;
    if (total > 0 && code == lastCode && (name != lastName || place != lastPlace)) ++duplicate;
    if (name.empty())
      ++noName;
    else if (place == name)
      ++placeIsName;
    if (place.empty()) ++noPlace;
    if (select.IntAt(3) == 0) ++noLocality;
    if (Refused(select, 7, 8, refusal)) return false;
    ++total;
    lastCode.swap(code);
    lastName.swap(name);
    lastPlace.swap(place);
  }
  bool failed = Line(findings, "Fermate senza codice %d su %d\n", noCode, total, true);
  failed |= Line(findings, "Fermate con codice duplicato %d su %d\n", duplicate, total, true);
  failed |= Line(findings, "Fermate senza denominazione %d su %d\n", noName, total, true);
  Line(findings, "Fermate senza ubicazione %d su %d\n", noPlace, total, false);
  Line(findings, "Fermate con ubicazione identica alla denominazione %d su %d\n", placeIsName, total, false);
  if (noLocality == total)
    failed |= Line(findings, "*** Fermate senza località %d su %d\n", noLocality, total, true);
  else
    Line(findings, "Fermate senza località %d su %d\n", noLocality, total, false);
  if (primary == total) findings += "Tutte le fermate sono marcate come PRINCIPALE\n";
  if (notPrimary == total) findings += "Nessuna fermata è marcata come PRINCIPALE\n";
  if (optional == total) findings += "Tutte le fermate sono marcate come FACOLTATIVA\n";
  if (notStopping == total) findings += "Tutte le fermate sono marcate come NON FERMA\n";
  return !failed;
}

bool CheckTripQuality(DbDatabase* db, std::string& findings, std::string& refusal) {
  DbSelect select(db);
  Open(select, "codcorsa, codlinea, ente, codperc, mezzo, id", "tescor", "codcorsa, codlinea, ente, codperc, mezzo");
  int total = 0, noMode = 0, noCode = 0, duplicate = 0, noLine = 0, noAuthority = 0, noRoute = 0;
  std::string code, lastCode, text;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    ++total;
    select.GetFieldTextAt(4, text);  // not trimmed: a blank is a mode
    if (text.empty()) ++noMode;
    ReadTextKey(select, 0, code);
    if (code.empty())
      ++noCode;
    else if (total > 1 && code == lastCode)
      ++duplicate;
    if (select.TrimmedAt(1).empty()) ++noLine;
    if (select.IntAt(2) == 0) ++noAuthority;
    if (select.TrimmedAt(3).empty()) ++noRoute;
    if (Refused(select, 5, -1, refusal)) return false;
    lastCode.swap(code);
  }
  bool failed = Line(findings, "Corse senza codice %d su %d\n", noCode, total, true);
  failed |= Line(findings, "Corse con codice duplicato %d su %d\n", duplicate, total, true);
  failed |= Line(findings, "Corse senza linea %d su %d\n", noLine, total, true);
  if (noAuthority == total)
    failed |= Line(findings, "*** Corse senza ente contrattuale %d su %d\n", noAuthority, total, true);
  else
    Line(findings, "Corse senza ente contrattuale %d su %d\n", noAuthority, total, false);
  failed |= Line(findings, "Corse senza codice percorso %d su %d\n", noRoute, total, true);
  failed |= Line(findings, "*** Corse senza indicazione del mezzo di trasporto %d su %d\n", noMode, total, true);
  return !failed;
}

bool CheckDistanceQuality(DbDatabase* db, std::string& findings, std::string& refusal) {
  DbSelect select(db);
  Open(select, "id, dist, sub", "detcor", "id, sub");
  int total = 0, bad = 0;
  long lastId = 0, lastDist = 0;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    const long id = select.LongAt(0), dist = select.LongAt(1);
    if (Refused(select, 0, 2, refusal)) return false;
    if (total > 0 && id == lastId && dist <= lastDist) ++bad;
    ++total;
    lastId = id;
    lastDist = dist;
  }
  return !Line(findings, "Distanze progressive errate o assenti %d su %d\n", bad, total, true);
}

Outcome CommunicationQuality(DbDatabase* db) {
  std::string findings, refusal;
  bool passed = CheckStopQuality(db, findings, refusal);
  if (refusal.empty()) passed &= CheckTripQuality(db, findings, refusal);
  if (refusal.empty()) passed &= CheckDistanceQuality(db, findings, refusal);
  Outcome quality;
  if (!refusal.empty())
    quality.Fail(refusal);
  else
    quality.Succeed(std::string("La qualità dei dati risulta ") + (passed ? "ECCELLENTE" : "CARENTE") + "\n\n" +
                    findings);
  return quality;
}
