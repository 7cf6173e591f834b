#include "utilities/Normalisation.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "utilities/CodeAssignment.h"
#include "utilities/KeyedRows.h"

#include <string_view>
#include <utility>
#include <vector>

namespace {

// The rows' condition on the fields searched, each with the value it must hold, compared by the
// column's own collation: letter case and accents count, trailing blanks do not (so ' ' also
// matches ''). A text with something other than blanks is bound as a parameter.
class Condition {
 public:
  // An empty or blank value matches NULL or blank.
  // `stored`: the text as stored, when it lost a character.
  void Add(const char* field, const std::string& value, const std::string& stored = {}) {
    if (value.find_first_not_of(' ') == std::string::npos) {
      Append(std::string("(") + field + " IS NULL OR " + field + " = ' ')");
      return;
    }
    Exact(field, value);
    values_.back().stored = stored;
  }
  // A stored value as the lists show it: an empty one matches NULL only, a blank one blank texts
  // only, any other its own text.
  void Exact(const char* field, const std::string& value) {
    if (value.empty()) {
      Append(std::string(field) + " IS NULL");
      return;
    }
    Append(std::string(field) + " = ?");
    values_.push_back({value, {}});
  }
  void ApplyTo(DbSelect& select) {
    select.SetWhere(where_);
    select.SetParameters(values_);
  }

 private:
  void Append(const std::string& term) {
    if (!where_.empty()) where_ += " AND ";
    where_ += term;
  }
  std::string where_;
  std::vector<DbText> values_;
};

void StopCondition(DbSelect& select, const StopSpelling& stop) {
  Condition condition;
  condition.Add("fermata", stop.code, stop.stored[0]);
  condition.Add("denom", stop.name, stop.stored[1]);
  condition.Add("ubicaz", stop.place, stop.stored[2]);
  condition.ApplyTo(select);
}

// Writes `texts` into `fields` of the row found.
template <size_t N>
bool WriteTexts(KeyedRows& rows, const int (&fields)[N], const std::string_view (&texts)[N]) {
  DbTable& t = rows.Table();
  if (!t.Edit()) return false;
  for (size_t i = 0; i < N; ++i)
    if (!t.SetFieldTextAt(fields[i], texts[i])) return false;
  return t.Update() != 0;
}

// The trips' heads that `condition` selects, each given `texts` in `names`.
AssignmentResult ReplaceInTrips(DbDatabase* db, Condition& condition, const char* const (&names)[2],
                                const std::string_view (&texts)[2], WorkProgress* progress) {
  DbSelect select(db, {.columns = "id", .from = "tescor"});
  condition.ApplyTo(select);
  select.SetOrderBy("id");
  KeyedRows trips(db, "tescor");
  const int fields[2] = {trips.Field(names[0]), trips.Field(names[1])};
  return WriteRows(db, select, progress,
                   [&] { return trips.Seek(select.LongAt(0)) && WriteTexts(trips, fields, texts); });
}

}  // namespace

AssignmentResult NormalizeStops(DbDatabase* db, const StopSpelling& search, const StopSpelling& replacement,
                                WorkProgress* progress) {
  DbSelect select(db, {.columns = "id, sub", .from = "detcor"});
  StopCondition(select, search);
  select.SetOrderBy("id, sub");
  KeyedRows stops(db, "detcor");
  const int fields[3] = {stops.Field("fermata"), stops.Field("denom"), stops.Field("ubicaz")};
  const std::string_view texts[3] = {replacement.code, replacement.name, replacement.place};
  // A text searched as stored and left as it reads keeps the stored text: its '?' is not written.
  const std::string_view searched[3] = {search.code, search.name, search.place};
  bool keep[3];
  for (int k = 0; k < 3; ++k) keep[k] = !search.stored[k].empty() && texts[k] == searched[k];
  DbTable& t = stops.Table();
  AssignmentResult result = WriteRows(db, select, progress, [&] {
    if (!stops.Seek(select.LongAt(0), select.IntAt(1)) || !t.Edit()) return false;
    for (int k = 0; k < 3; ++k)
      if (!keep[k] && !t.SetFieldTextAt(fields[k], texts[k])) return false;
    return t.Update() != 0;
  });
  return Told(std::move(result), StopNormalizationResultText);
}

AssignmentResult NormalizeLineCodes(DbDatabase* db, const LineAndDirection& search, const LineAndDirection& replacement,
                                    WorkProgress* progress) {
  Condition condition;
  condition.Exact("codlinea", search.line);
  condition.Add("verso", std::string(1, search.direction));
  const std::string_view texts[2] = {replacement.line, std::string_view(&replacement.direction, 1)};
  AssignmentResult result = ReplaceInTrips(db, condition, {"codlinea", "verso"}, texts, progress);
  return Told(std::move(result), TripNormalizationResultText);
}

AssignmentResult NormalizeRouteCodes(DbDatabase* db, const RouteName& search, const RouteName& replacement,
                                     WorkProgress* progress) {
  Condition condition;
  condition.Exact("codperc", search.route);
  condition.Exact("denom", search.name);
  const std::string_view texts[2] = {replacement.route, replacement.name};
  AssignmentResult result = ReplaceInTrips(db, condition, {"codperc", "denom"}, texts, progress);
  return Told(std::move(result), TripNormalizationResultText);
}

AssignmentResult AssignStopLocality(DbDatabase* db, const StopSpelling& stop, int locality) {
  DbSelect select(db, {.columns = "id, sub", .from = "detcor"});
  StopCondition(select, stop);
  select.SetOrderBy("id, sub");
  KeyedRows stops(db, "detcor");
  const int field = stops.Field("reglocal");
  DbTable& t = stops.Table();
  AssignmentResult result = WriteRows(db, select, nullptr, [&] {
    return stops.Seek(select.LongAt(0), select.IntAt(1)) && t.Edit() && t.SetFieldNumberAt(field, locality) &&
           t.Update();
  });
  return Told(std::move(result), LocalityAssignmentResultText);
}

std::string StopNormalizationResultText(const AssignmentResult& r) {
  return std::string("Risultati dell'elaborazione:\n\n") +
         Format("Lette %d fermate corsa; Variate %d fermate corsa.", r.read, r.updated);
}

std::string TripNormalizationResultText(const AssignmentResult& r) {
  return std::string("Risultati dell'elaborazione:\n\n") +
         Format("Lette %d corse; Variate %d corse.", r.read, r.updated);
}

std::string LocalityAssignmentResultText(const AssignmentResult& r) {
  return Format("Sono stati modificati %d dettagli orari", r.updated);
}
