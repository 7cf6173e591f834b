#include "utilities/Normalisation.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "utilities/CodeAssignment.h"
#include "utilities/KeyedRows.h"

#include <array>
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
    Exact(field, value, stored);
  }
  // A stored value as the lists show it: an empty one matches NULL only, a blank one blank texts
  // only, any other its own text (`stored` as for Add).
  void Exact(const char* field, const std::string& value, const std::string& stored = {}) {
    if (value.empty()) {
      Append(std::string(field) + " IS NULL");
      return;
    }
    Append(std::string(field) + " = ?");
    values_.push_back({value, stored});
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

// The texts of a replacement, written into the fields of each row found. A text searched as
// stored and left as it reads is not written: its '?' would replace the stored text.
template <size_t N>
class Replacement {
 public:
  Replacement(KeyedRows& rows, const char* const (&names)[N], const std::string_view (&texts)[N],
              const std::string_view (&searched)[N], const std::array<std::string, N>& stored)
      : rows_(rows) {
    for (size_t i = 0; i < N; ++i) {
      fields_[i] = rows.Field(names[i]);
      texts_[i] = texts[i];
      keep_[i] = !stored[i].empty() && texts[i] == searched[i];
    }
  }
  // Writes the row found.
  bool Write() const {
    DbTable& t = rows_.Table();
    if (!t.Edit()) return false;
    for (size_t i = 0; i < N; ++i)
      if (!keep_[i] && !t.SetFieldTextAt(fields_[i], texts_[i])) return false;
    return t.Update() != 0;
  }

 private:
  KeyedRows& rows_;
  int fields_[N] = {};
  std::string_view texts_[N];
  bool keep_[N] = {};
};

// The trips' heads that `condition` selects, each given `texts` in `names` in place of `searched`.
AssignmentResult ReplaceInTrips(DbDatabase* db, Condition& condition, const char* const (&names)[2],
                                const std::string_view (&texts)[2], const std::string_view (&searched)[2],
                                const std::array<std::string, 2>& stored, WorkProgress* progress) {
  DbSelect select(db, {.columns = "id", .from = "tescor"});
  condition.ApplyTo(select);
  select.SetOrderBy("id");
  KeyedRows trips(db, "tescor");
  const Replacement<2> replacement(trips, names, texts, searched, stored);
  return WriteRows(db, select, Walked::Trips, progress,
                   [&] { return trips.Seek(select.LongAt(0)) && replacement.Write(); });
}

}  // namespace

AssignmentResult NormalizeStops(DbDatabase* db, const StopSpelling& search, const StopSpelling& replacement,
                                WorkProgress* progress) {
  DbSelect select(db, {.columns = "id, sub", .from = "detcor"});
  StopCondition(select, search);
  select.SetOrderBy("id, sub");
  KeyedRows stops(db, "detcor");
  const Replacement<3> write(stops, {"fermata", "denom", "ubicaz"},
                             {replacement.code, replacement.name, replacement.place},
                             {search.code, search.name, search.place}, search.stored);
  AssignmentResult result = WriteRows(db, select, Walked::Stops, progress,
                                      [&] { return stops.Seek(select.LongAt(0), select.IntAt(1)) && write.Write(); });
  return Told(std::move(result), StopNormalizationResultText);
}

AssignmentResult NormalizeLineCodes(DbDatabase* db, const LineAndDirection& search, const LineAndDirection& replacement,
                                    WorkProgress* progress) {
  Condition condition;
  condition.Exact("codlinea", search.line, search.stored[0]);
  condition.Add("verso", std::string(1, search.direction), search.stored[1]);
  const std::string_view texts[2] = {replacement.line, std::string_view(&replacement.direction, 1)};
  const std::string_view searched[2] = {search.line, std::string_view(&search.direction, 1)};
  AssignmentResult result =
      ReplaceInTrips(db, condition, {"codlinea", "verso"}, texts, searched, search.stored, progress);
  return Told(std::move(result), TripNormalizationResultText);
}

AssignmentResult NormalizeRouteCodes(DbDatabase* db, const RouteName& search, const RouteName& replacement,
                                     WorkProgress* progress) {
  Condition condition;
  condition.Exact("codperc", search.route, search.stored[0]);
  condition.Exact("denom", search.name, search.stored[1]);
  const std::string_view texts[2] = {replacement.route, replacement.name};
  const std::string_view searched[2] = {search.route, search.name};
  AssignmentResult result =
      ReplaceInTrips(db, condition, {"codperc", "denom"}, texts, searched, search.stored, progress);
  return Told(std::move(result), TripNormalizationResultText);
}

AssignmentResult AssignStopLocality(DbDatabase* db, const StopSpelling& stop, int locality) {
  DbSelect select(db, {.columns = "id, sub", .from = "detcor"});
  StopCondition(select, stop);
  select.SetOrderBy("id, sub");
  KeyedRows stops(db, "detcor");
  const int field = stops.Field("reglocal");
  DbTable& t = stops.Table();
  AssignmentResult result = WriteRows(db, select, Walked::Stops, nullptr, [&] {
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
