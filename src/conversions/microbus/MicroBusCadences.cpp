#include "conversions/microbus/MicroBusCadences.h"

#include "common/CalendarDays.h"
#include "common/Formatters.h"
#include "conversions/StoredValues.h"
#include "conversions/microbus/MicroBusShape.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/FieldValue.h"
#include "exchange/RecordLayouts.h"
#include "utilities/CodeAssignment.h"

#include <unordered_map>

namespace {

QDate DateOfText(const std::string& text) {
  int year = 0, month = 0, day = 0;
  if (!ParseDateText(text, year, month, day)) return {};
  return QDate(year, month, day);
}

std::string DateText(const QDate& d) { return Format("%02d/%02d/%04d", d.day(), d.month(), d.year()); }

void Step(WorkProgress* progress, long done, long total) {
  if (progress) progress->Step(done, total);
}

}  // namespace

std::string CadenceCode(int pattern) { return Format("%04d", pattern); }

std::string CadencePlan::MessageText() const {
  switch (status) {
    case Status::NoPeriod: return "ATTENZIONE: non è definito il periodo di validità della comunicazione !!!";
    case Status::NotMicroBus: return MicroBusShapeRefusalText();
    case Status::CodeInUse:
      return "ATTENZIONE: il tipo cadenza " + codeInUse + " è già presente in archivio !!!\n\n" +
             "Pertanto non è possibile procedere con la ricostruzione delle cadenze.";
    case Status::Ready: return CadenceQuestionText();
    case Status::Refused: return refusal;
    case Status::ReadFailed: break;
  }
  return {};
}

namespace {

// The plan's status and data; a read that fails leaves Status::ReadFailed.
void MakePlan(DbDatabase* db, CadencePlan& plan) {
  {
    DbSelect master(db, {.columns = "datini, datfin", .from = "master", .where = "codice = 0"});
    OpenToRefuseFaults(master);
    if (master.WalkFailed()) return;
    std::string from, to;
    if (master.hasRow) {
      master.GetFieldTextAt(0, from);
      master.GetFieldTextAt(1, to);
    }
    if (StoredValueRefused(
            master, [] { return std::string("dati generali"); }, &ProtocolLayout(), Undone::Changes, plan.refusal)) {
      plan.status = CadencePlan::Status::Refused;
      return;
    }
    plan.first = DateOfText(from);
    const QDate last = DateOfText(to);
    // A period without both ends, or ending before it starts, gives no day to rebuild.
    if (!master.hasRow || !plan.first.isValid() || !last.isValid() || last < plan.first) {
      plan.status = CadencePlan::Status::NoPeriod;
      return;
    }
    plan.dayCount = static_cast<int>(plan.first.daysTo(last)) + 1;
  }
  const MicroBusPeriodWalk walk = WalkMicroBusPeriods(
      db,
      [&](std::int32_t id, const std::string& inizio) {
        if (plan.trips.empty() || plan.trips.back().id != id)
          plan.trips.push_back({id, std::string(static_cast<std::size_t>(plan.dayCount), 'N'), 0});
        const QDate day = DateOfText(inizio);
        const qint64 i = day.isValid() ? plan.first.daysTo(day) : -1;
        if (i >= 0 && i < plan.dayCount) plan.trips.back().flags[static_cast<std::size_t>(i)] = 'S';
      },
      plan.refusal);
  if (walk == MicroBusPeriodWalk::NotMicroBus) plan.status = CadencePlan::Status::NotMicroBus;
  if (walk == MicroBusPeriodWalk::Refused) plan.status = CadencePlan::Status::Refused;
  if (walk != MicroBusPeriodWalk::Walked) return;
  std::unordered_map<std::string, int> numberOf;
  for (TripDaySet& t : plan.trips) {
    const auto [it, added] = numberOf.try_emplace(t.flags, static_cast<int>(plan.patterns.size()) + 1);
    if (added) plan.patterns.push_back(t.flags);
    t.pattern = it->second;
  }
  // The day types made here must be new: one already there would take the patterns' calendars.
  DbTable cadences(db, "cadenz");
  if (!cadences.SetIndex("codice")) return;
  for (std::size_t k = 0; k < plan.patterns.size(); ++k) {
    const std::string code = CadenceCode(static_cast<int>(k) + 1);
    if (cadences.SeekEqual({code.c_str()})) {
      plan.status = CadencePlan::Status::CodeInUse;
      plan.codeInUse = code;
      return;
    }
  }
  plan.status = CadencePlan::Status::Ready;
}

}  // namespace

CadencePlan PlanMicroBusCadences(DbDatabase* db) {
  CadencePlan plan;
  MakePlan(db, plan);
  if (plan.status == CadencePlan::Status::Ready)
    plan.Succeed();
  else if (plan.status != CadencePlan::Status::ReadFailed)  // a read that failed was told by the layer
    plan.Fail(plan.MessageText());
  return plan;
}

namespace {

// The same day types for the same trips over the same reporting period.
bool SamePlan(const CadencePlan& a, const CadencePlan& b) {
  return a.first == b.first && a.dayCount == b.dayCount && a.trips == b.trips;
}

// Writes `plan` inside the open batch; false when a table could not be opened, or with `refusal`
// when a row of "UNICA" to be deleted holds a value that is not of its column's kind.
bool WritePlan(DbDatabase* db, const CadencePlan& plan, WorkProgress* progress, std::string& refusal) {
  DbTable cadences(db, "cadenz"), calendar(db, "calend"), periods(db, "period");
  if (!cadences.SetIndex("codice") || !calendar.SetIndex("codice") || !periods.SetIndex("codice")) return false;
  if (progress) progress->Begin({});
  const long total = static_cast<long>(plan.patterns.size() + plan.trips.size());
  long done = 0;
  std::vector<std::string> dates(static_cast<std::size_t>(plan.dayCount));
  std::vector<std::string> weekdays(dates.size());
  for (int i = 0; i < plan.dayCount; ++i) {
    const QDate d = plan.first.addDays(i);
    dates[static_cast<std::size_t>(i)] = DateText(d);
    weekdays[static_cast<std::size_t>(i)] = std::string(1, d.isValid() ? WeekdayDigit(d) : '0');
  }
  for (std::size_t k = 0; k < plan.patterns.size() && !db->TransactionLost(); ++k) {
    Step(progress, ++done, total);
    const int number = static_cast<int>(k) + 1;
    const std::string code = CadenceCode(number);
    if (cadences.AddNew() && cadences.SetFieldText("codice", code) &&
        cadences.SetFieldText("denom", Format("Cadenza %d", number)))
      cadences.Update();
    const std::string& flags = plan.patterns[k];
    for (std::size_t i = 0; i < flags.size(); ++i) {
      if (flags[i] != 'S') continue;
      if (calendar.AddNew() && calendar.SetFieldText("data", dates[i]) && calendar.SetFieldText("caden", code) &&
          calendar.SetFieldText("giorno", weekdays[i]) && calendar.SetFieldText("note", " "))
        calendar.Update();
    }
  }
  const std::string& from = dates.front();
  const std::string& to = dates.back();
  for (const TripDaySet& t : plan.trips) {
    if (db->TransactionLost()) break;
    Step(progress, ++done, total);
    const std::string id = std::to_string(t.id);
    const std::string code = CadenceCode(t.pattern);
    // A one-day period has the key of the trip's own "UNICA" period: that row takes the day type.
    if (periods.SeekEqual({id.c_str(), from.c_str(), to.c_str()})) {
      if (periods.Edit() && periods.SetFieldText("caden", code)) periods.Update();
      continue;
    }
    if (periods.AddNew() && periods.SetFieldText("id", id) && periods.SetFieldText("caden", code) &&
        periods.SetFieldText("inizio", from) && periods.SetFieldText("fine", to) &&
        periods.SetFieldText("escluso", "0"))
      periods.Update();
  }
  {
    DbSelect select(db, {.columns = "ID, inizio, fine", .from = "period", .where = "caden = 'UNICA'"});
    OpenToRefuseFaults(select);
    std::string inizio, fine;
    for (bool more = select.hasRow; more; more = select.MoveNext()) {
      const std::string id = std::to_string(select.LongAt(0));
      select.GetFieldTextAt(1, inizio);
      select.GetFieldTextAt(2, fine);
      if (StoredValueRefused(
              select, [&select] { return StoredTripRow(select, 0); }, &PeriodLayout(), Undone::Changes, refusal))
        return false;
      if (periods.SeekEqual({id.c_str(), inizio.c_str(), fine.c_str()})) periods.Delete();
    }
  }
  {
    DbSelect select(db, {.columns = "data, caden", .from = "calend", .where = "caden = 'UNICA'"});
    OpenToRefuseFaults(select);
    std::string data, caden;
    for (bool more = select.hasRow; more; more = select.MoveNext()) {
      select.GetFieldTextAt(0, data);
      select.GetFieldTextAt(1, caden);
      if (StoredValueRefused(
              select, [&] { return DayOfDayType(caden, data); }, &CalendarLayout(), Undone::Changes, refusal))
        return false;
      if (calendar.SeekEqual({data.c_str(), caden.c_str()})) calendar.Delete();
    }
  }
  if (cadences.SeekEqual({"UNICA"})) cadences.Delete();
  if (progress) progress->End();
  return true;
}

}  // namespace

Outcome RebuildMicroBusCadences(DbDatabase* db, const CadencePlan& confirmed, WorkProgress* progress) {
  // The plan is made again in the transaction that writes it: what the question was asked on may
  // have changed meanwhile. A plan refused now stops the rebuilding with its own message, and one
  // that is not the plan confirmed is never written.
  DbBatch batch(db);
  if (!batch.Active()) return NotStored<Outcome>();
  CadencePlan plan = PlanMicroBusCadences(db);
  if (!plan.ok || !SamePlan(plan, confirmed)) {
    batch.Rollback();
    if (plan.ok) plan.Fail(kCadencePlanChangedText);
    return plan;
  }
  Outcome result;
  std::string refusal;
  const bool written = WritePlan(db, plan, progress, refusal);
  if (!written) batch.Rollback();
  if (written && batch.Commit() != 0)
    result.Succeed(kCadenceDoneText);
  else
    result.Fail(refusal.empty() ? AssignmentNotStoredText() : refusal);
  return result;
}

std::string CadenceQuestionText() {
  return std::string("I dati analizzati presentano le caratteristiche tipiche di MicroBus-IVU\n\n") +
         "Intendi procedere con la ricostruzione delle cadenze?";
}
