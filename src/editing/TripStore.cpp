#include "editing/TripStore.h"

#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/MasterRow.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace {

// A field of the current row as text without its trailing blanks (empty for NULL).
std::string TrimmedField(DbTable& table, const char* field) {
  std::string text;
  if (!table.GetFieldText(field, text)) text.clear();
  return std::string(WithoutTrailingBlanks(text));
}

int IntField(DbTable& table, const char* field) { return LeadingInt(TrimmedField(table, field)); }

// The first character of a one-letter field, a blank when it is empty.
char LetterField(DbTable& table, const char* field) {
  const std::string text = TrimmedField(table, field);
  return text.empty() ? ' ' : text.front();
}

// A trip link as the head holds it: "-1" for none.
std::string LinkField(DbTable& table, const char* field) {
  const std::string text = TrimmedField(table, field);
  return text.empty() ? std::string("-1") : text;
}

// A required text: one blank for an empty one, which the table would refuse.
std::string Required(const std::string& text) { return text.empty() ? std::string(" ") : text; }

// The dates of a trip's periods, as "GG/MM/AAAA" texts and as stored where those do not find them
// (DbSelect::DateKeyAt); at a date stored as what its column cannot hold, none, and `fault` names
// the period.
std::vector<std::pair<DbText, DbText>> PeriodsOf(DbDatabase* db, std::int32_t id, EditorFault& fault) {
  DbSelect select(db, {.columns = "inizio, fine, caden", .from = "period", .where = "id = ?1"});
  select.SetParameters({std::to_string(id)});
  select.SetFaultsToldByCaller(true);
  std::vector<std::pair<DbText, DbText>> periods;
  for (select.Open(); select.hasRow; select.MoveNext()) {
    auto& [start, end] = periods.emplace_back(select.DateKeyAt(0), select.DateKeyAt(1));
    if (select.Faulted()) {
      fault = FaultOf(select, "period", PeriodRowName(std::to_string(id), start.text, end.text, select.TrimmedAt(2)));
      return {};
    }
  }
  return periods;
}

// The stop numbers of a trip, as texts; with `fault`, at a number stored as what its column cannot
// hold, none, and `fault` names the stop.
std::vector<std::string> StopsOf(DbDatabase* db, std::int32_t id, EditorFault* fault = nullptr) {
  DbSelect select(db, {.columns = "sub", .from = "detcor", .where = "id = ?1", .orderBy = "sub"});
  select.SetParameters({std::to_string(id)});
  select.SetFaultsToldByCaller(fault != nullptr);
  std::vector<std::string> subs;
  for (select.Open(); select.hasRow; select.MoveNext()) {
    int sub = 0;
    select.GetFieldIntAt(0, &sub);
    if (fault && select.Faulted()) {
      *fault = FaultOf(select, "detcor", StopRowName(std::to_string(id), {}));
      return {};
    }
    subs.push_back(std::to_string(sub));
  }
  return subs;
}

// The largest trip id in `tescor`, -1 when there is none.
long LargestTripId(DbDatabase* db) {
  DbSelect select(db, {.columns = "max(id)", .from = "tescor"});
  long largest = -1;
  if (select.Open() && !select.GetFieldLongAt(0, &largest)) largest = -1;
  return largest;
}

}  // namespace

bool SetHeadFields(DbTable& trips, const TripHead& head, const TripHead* shown) {
  const auto link = [](const std::string& text) { return text == "-1" ? std::string() : text; };
  const auto letter = [](char c) { return c == ' ' || c == '\0' ? std::string() : std::string(1, c); };
  // Each field as it goes into its column; with `shown`, a field equal to what was shown is left.
  const std::pair<const char*, std::string> fields[] = {
      {"codcorsa", Required(head.tripCode)},
      {"codlinea", Required(head.lineCode)},
      {"verso", Required(head.direction ? std::string(1, head.direction) : std::string())},
      {"codperc", head.routeCode},
      {"ente", std::to_string(head.authority)},
      {"contratt", std::to_string(head.contract)},
      {"lung", std::to_string(head.length)},
      {"tempo", std::to_string(head.duration)},
      {"ct_lung", std::to_string(head.contractLength)},
      {"ct_tempo", std::to_string(head.contractDuration)},
      {"denom", head.note},
      {"mezzo", letter(head.mode)},
      {"prevcor", link(head.previousTrip)},
      {"nextcor", link(head.nextTrip)},
  };
  const bool same[] = {shown && shown->tripCode == head.tripCode,
                       shown && shown->lineCode == head.lineCode,
                       shown && shown->direction == head.direction,
                       shown && shown->routeCode == head.routeCode,
                       shown && shown->authority == head.authority,
                       shown && shown->contract == head.contract,
                       shown && shown->length == head.length,
                       shown && shown->duration == head.duration,
                       shown && shown->contractLength == head.contractLength,
                       shown && shown->contractDuration == head.contractDuration,
                       shown && shown->note == head.note,
                       shown && shown->mode == head.mode,
                       shown && shown->previousTrip == head.previousTrip,
                       shown && shown->nextTrip == head.nextTrip};
  static_assert(std::size(fields) == std::size(same));
  for (size_t k = 0; k < std::size(fields); ++k)
    if (!same[k] && !trips.SetFieldText(fields[k].first, fields[k].second)) return false;
  return true;
}

TripStore::TripStore(DbDatabase* db) : db_(db), trips_(db, "tescor"), stops_(db, "detcor"), periods_(db, "period") {
  if (trips_.isOpen) trips_.SetIndex("codice");
  if (stops_.isOpen) stops_.SetIndex("codice");
  if (periods_.isOpen) periods_.SetIndex("codice");
}

const char* TripStore::MissingMasterText() { return kMissingMasterText; }

bool TripStore::ReadHead(std::int32_t id, TripHead& out) {
  if (!trips_.SeekEqual({std::to_string(id).c_str()})) return false;
  out.tripCode = TrimmedField(trips_, "codcorsa");
  out.lineCode = TrimmedField(trips_, "codlinea");
  out.direction = LetterField(trips_, "verso");
  out.routeCode = TrimmedField(trips_, "codperc");
  out.authority = IntField(trips_, "ente");
  out.contract = IntField(trips_, "contratt");
  out.length = IntField(trips_, "lung");
  out.duration = IntField(trips_, "tempo");
  out.contractLength = IntField(trips_, "ct_lung");
  out.contractDuration = IntField(trips_, "ct_tempo");
  out.note = TrimmedField(trips_, "denom");
  out.mode = LetterField(trips_, "mezzo");
  out.previousTrip = LinkField(trips_, "prevcor");
  out.nextTrip = LinkField(trips_, "nextcor");
  return true;
}

TripInsertResult TripStore::Insert(const TripHead& head, std::int32_t quadro) {
  TripInsertResult result;
  DbTable master(db_, "master");
  master.SetFaultsToldByCaller(true);
  if (!SeekMasterRow(master)) {
    result.Fail(MissingMasterText());
    return result;
  }
  const std::int32_t nextId = IntField(master, "id_corsa");
  const std::int32_t nextQuadro = IntField(master, "gruppo");
  // A counter stored as what its column cannot hold gives no id: nothing is written.
  if (master.Faulted()) {
    result.Fail(MasterRowRefusal(master.Fault(), Undone::Changes));
    return result;
  }
  // The counter lags behind trips written elsewhere (another program, an import): the next id
  // past the largest one is free.
  std::int64_t id = nextId;
  std::string past;  // the trip the id was sought after
  if (trips_.SeekEqual({std::to_string(id).c_str()})) {
    const long largest = LargestTripId(db_);
    id = std::int64_t{largest} + 1;
    past = " dopo la corsa " + std::to_string(largest);
  }
  const bool given = quadro >= 0;
  if (!given) quadro = nextQuadro;
  // Each counter becomes the number used + 1: a trip whose numbers would carry one past what its
  // column holds is refused before anything is written, and the counter keeps its value.
  if (id >= kLargestCounter) {
    result.Fail(CounterPastItsColumnRefusal("id_corsa", id + 1, "nessuna nuova corsa può essere numerata" + past + ".",
                                            Undone::Changes));
    return result;
  }
  if (quadro >= kLargestCounter) {
    result.Fail(
        CounterPastItsColumnRefusal("gruppo", std::int64_t{quadro} + 1,
                                    given ? "nessuna nuova corsa può entrare nel quadro " + std::to_string(quadro) + "."
                                          : std::string("nessun nuovo quadro può essere numerato."),
                                    Undone::Changes));
    return result;
  }

  const bool stored = trips_.AddNew() && trips_.SetFieldText("id", std::to_string(id)) &&
                      trips_.SetFieldText("gruppo", std::to_string(quadro)) && trips_.SetFieldText("parte", "0") &&
                      trips_.SetFieldText("arriva", "9999") && SetHeadFields(trips_, head) && trips_.Update();
  if (!stored) return result;

  // The counters rise past what was used and never fall.
  if (master.Edit()) {
    master.SetFieldText("id_corsa", std::to_string(std::max<std::int64_t>(nextId, id + 1)));
    master.SetFieldText("gruppo", std::to_string(std::max(nextQuadro, quadro + 1)));
    master.Update();
  }
  result.ok = true;
  result.id = static_cast<std::int32_t>(id);
  result.quadro = quadro;
  return result;
}

bool TripStore::Delete(std::int32_t id) {
  // The keys of the stops and periods read whole first: one that cannot be read stops the
  // deletion before anything is deleted.
  fault_ = {};
  const std::vector<std::string> subs = StopsOf(db_, id, &fault_);
  std::vector<std::pair<DbText, DbText>> periods;
  if (!fault_.Any()) periods = PeriodsOf(db_, id, fault_);
  if (fault_.Any()) return false;
  // All or nothing: a trip is never left without some of its stops or periods.
  DbBatch batch(db_);
  if (!batch.Active()) return false;
  const std::string idText = std::to_string(id);
  bool whole = true;
  for (const std::string& sub : subs)
    whole = whole && stops_.SeekEqual({idText.c_str(), sub.c_str()}) && stops_.Delete();
  for (const auto& [start, end] : periods)
    whole = whole && periods_.SeekEqual({DbText{idText, {}}, start, end}) && periods_.Delete();
  whole = whole && trips_.SeekEqual({idText.c_str()}) && trips_.Delete();
  if (!whole) {
    batch.Rollback();
    return false;
  }
  return batch.Commit() == 1;
}

int TripStore::KeepStoredTexts(std::int32_t source, std::int32_t target, const TripHead& shown, const TripHead& saved) {
  DbSelect select(db_, {.columns = "codlinea, codperc, denom", .from = "tescor", .where = "id = ?1"});
  select.SetParameters({std::to_string(source)});
  if (!select.Open()) return 0;
  const std::pair<const char*, bool> fields[] = {{"codlinea", shown.lineCode == saved.lineCode},
                                                 {"codperc", shown.routeCode == saved.routeCode},
                                                 {"denom", shown.note == saved.note}};
  const DbText id{std::to_string(target), {}};
  int kept = 0;
  for (int k = 0; k < static_cast<int>(std::size(fields)); ++k) {
    const DbText text = select.TrimmedTextAt(k);
    if (fields[k].second && text.Lost() &&
        DbExecute(db_, "tescor", "UPDATE tescor SET " + std::string(fields[k].first) + " = ?1 WHERE id = ?2",
                  {text, id}) > 0)
      ++kept;
  }
  return kept;
}

int TripStore::CopyStops(std::int32_t source, std::int32_t target) {
  const std::string sourceText = std::to_string(source), targetText = std::to_string(target);
  int copied = 0;
  for (const std::string& sub : StopsOf(db_, source)) {
    if (!stops_.SeekEqual({sourceText.c_str(), sub.c_str()}) || !stops_.SaveRecord() || !stops_.AddNew() ||
        !stops_.RestoreRecord())
      continue;
    if (stops_.SetFieldText("id", targetText) && stops_.SetFieldText("arriva", "-1") &&
        stops_.SetFieldText("parte", "-1") && stops_.Update())
      ++copied;
  }
  stops_.FreeSavedRecord();
  // The row copies hold the texts as read: the texts of the copies are put back as stored, so that
  // one with a character the code page lacks is not saved with '?'.
  if (copied > 0)
    DbExecute(db_, "detcor",
              "UPDATE detcor SET (fermata, denom, ubicaz, regarea) = (SELECT s.fermata, s.denom, s.ubicaz, s.regarea"
              " FROM detcor s WHERE s.id = ?1 AND s.sub = detcor.sub) WHERE id = ?2",
              {{sourceText, {}}, {targetText, {}}});
  return copied;
}
