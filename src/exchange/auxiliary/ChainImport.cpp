#include "exchange/auxiliary/ChainImport.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "exchange/RecordLayouts.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <set>

namespace {

struct Chain {
  long trip = 0, next = 0;
  long line = 0;  // in the file, from 1
};

// The pair of a line of the working company; false for any other line.
bool ReadChain(const std::string& text, const std::optional<int>& company, Chain& chain) {
  const RecordLayout& layout = ChainLayout();
  if (!company || text.size() != static_cast<size_t>(layout.length)) return false;
  long lineCompany = 0;
  const auto number = [&](const FieldDef& field, long& value) {
    return ReadNumber(field, FieldBytes(text, field), value);
  };
  return number(layout.fields[0], lineCompany) && lineCompany == *company && number(layout.fields[1], chain.trip) &&
         number(layout.fields[2], chain.next);
}

bool TripExists(DbTable& trips, long id) { return trips.SeekEqual({std::to_string(id).c_str()}) != 0; }

// Why the pair cannot be applied; empty when it can. A trip given two following trips (or two
// preceding ones) in the file: every line of the contradiction is refused, as none can be chosen.
std::string Refusal(const Chain& c, DbTable& trips, const std::map<long, std::set<long>>& nexts,
                    const std::map<long, std::set<long>>& previous) {
  if (c.trip == c.next) return Format("la corsa %ld è concatenata a se stessa", c.trip);
  if (!TripExists(trips, c.trip)) return Format("la corsa %ld non esiste", c.trip);
  if (!TripExists(trips, c.next)) return Format("la corsa successiva %ld non esiste", c.next);
  if (nexts.at(c.trip).size() > 1) return Format("la corsa %ld ha più di una corsa successiva nel file", c.trip);
  if (previous.at(c.next).size() > 1) return Format("la corsa %ld ha più di una corsa precedente nel file", c.next);
  return {};
}

// The trip that a link field of trip `id` names; none when it is empty. At a value the field
// cannot hold, none, and the result's refusal names it.
std::optional<long> LinkOf(DbDatabase* db, long id, const char* field, AuxiliaryImportResult& result) {
  DbSelect s(db, {.columns = field, .from = "tescor", .where = "id = ?1"});
  s.SetFaultsToldByCaller(true);
  s.SetParameters(std::vector<std::string>{std::to_string(id)});
  long named = 0;
  const bool there = s.Open() && s.hasRow && s.GetFieldLongAt(0, &named);
  if (RefusedValue(s, result, [id] { return Format("corsa %ld", id); })) return std::nullopt;
  return there ? std::optional(named) : std::nullopt;
}

// Trip `id` gets `field` = `to`. The trip it named before loses its back-link (`backField`) when
// that named `id`: no trip is left pointing at a chain that is no longer there. Rows written; a
// link that is no number stops there, with the result's refusal.
int Link(DbDatabase* db, DbTable& trips, long id, const char* field, long to, const char* backField,
         AuxiliaryImportResult& result) {
  const std::string key = std::to_string(id);
  if (!trips.SeekEqual({key.c_str()})) return 0;
  const std::optional<long> old = LinkOf(db, id, field, result);
  int written = 0;
  if (old && *old != to && *old != id && TripExists(trips, *old) && LinkOf(db, *old, backField, result) == id)
    written += trips.Edit() && trips.SetFieldText(backField, "") && trips.Update();
  if (!result.refusal.empty()) return written;
  return written + SetKeyedField(trips, {key.c_str()}, field, std::to_string(to));
}

// The refused lines, the first ones named one by one.
std::string RefusedText(const std::vector<std::string>& refused) {
  constexpr size_t kNamed = 20;
  std::string text = "Le seguenti Concatenazioni Corse non sono state importate:\n";
  for (size_t k = 0; k < refused.size() && k < kNamed; ++k) text += "\n" + refused[k];
  if (refused.size() > kNamed) text += Format("\n... e altre %zu righe", refused.size() - kNamed);
  return text;
}

}  // namespace

AuxiliaryImportResult RunChainImport(const AuxiliaryImportOptions& o) {
  AuxiliaryImportResult result;
  std::vector<Chain> chains;
  // The whole file is read first: a line that is no pair of the working company changes nothing.
  bool illegal = false;
  const auto take = [&](long number, const std::string& line, const std::optional<int>& company) {
    Chain chain;
    chain.line = number;
    illegal = !ReadChain(line, company, chain);
    if (!illegal) chains.push_back(chain);
    return !illegal;
  };
  if (!ForEachAuxiliaryLine(o, kNoWorkingCompanyText, result, take)) return result;
  if (illegal) {
    result.Tell(kChainFormatText, NoticeIcon::Stop);
    return result;
  }
  if (chains.empty()) {
    result.Tell(kNoChainText, NoticeIcon::Stop);
    return result;
  }

  DbTable trips(o.db, "tescor");
  trips.SetIndex("codice");
  std::map<long, std::set<long>> nexts, previous;
  for (const Chain& c : chains) {
    nexts[c.trip].insert(c.next);
    previous[c.next].insert(c.trip);
  }
  std::vector<Chain> applied;
  std::vector<std::string> refused;
  for (const Chain& c : chains) {
    const std::string why = Refusal(c, trips, nexts, previous);
    if (why.empty())
      applied.push_back(c);
    else
      refused.push_back(Format("riga %ld: ", c.line) + why);
  }
  if (!refused.empty()) result.Tell(RefusedText(refused), NoticeIcon::Stop);

  const bool committed = UpdateInOneBatch(
      o, applied, true,
      [&](const Chain& c) {
        const int written = Link(o.db, trips, c.trip, "nextcor", c.next, "prevcor", result);
        return written + (result.refusal.empty() ? Link(o.db, trips, c.next, "prevcor", c.trip, "nextcor", result) : 0);
      },
      result);
  Conclude(committed, {Format("Sono stati modificate %d corse", result.updated), NoticeIcon::Information, {}}, result);
  return result;
}
