#include "conversions/shapechecks/ShapeCheck.h"

#include "common/Formatters.h"
#include "conversions/StoredValues.h"
#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeNames.h"
#include "conversions/shapefiles/ShapeSetReader.h"
#include "db/DbSelect.h"
#include "exchange/RecordLayouts.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t kListedFindings = 5;  // a message lists five findings, then the omission line
constexpr const char* kNotToBeSent =
    "Lo Shape File indicato risulta totalmente inutilizzabile\n"
    "e non deve essere inoltrato all'Osservatorio Traporti.";
constexpr const char* kSaveQuestion = "Vuoi salvare il Report completo degli errori ?";

bool IsStops(ShapeCheckKind kind) { return kind == ShapeCheckKind::Stops; }

// The record's own shape type (its content holds at least four bytes).
int ContentType(std::string_view content) {
  std::uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(content[static_cast<std::size_t>(k)]);
  return static_cast<int>(v);
}

// Up to five lines of `lines`, then `omission` when there are more.
std::string Listed(const std::vector<std::string>& lines, const char* omission) {
  std::string out;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k == kListedFindings) {
      out += omission;
      break;
    }
    out += lines[k];
  }
  return out;
}

// The close of the verdict on a set that may be sent as it is: the advice to `fix` before a new
// check, and the question of the report.
std::string UsableAdvice(const char* fix) {
  return std::string(
             "\nLo Shape File indicato risulta comunque utilizzabile e potrebbe\n"
             "tranquillamente essere inoltrato all'Osservatorio Traporti.\n\n"
             "E' comunque fortemente consigliato ") +
         fix + "e poi procedere ad una nuova verifica prima dell'invio.\n\n" + kSaveQuestion;
}

}  // namespace

void ShapeFindings::AddShapeEntry(std::string code, std::string name) {
  first_.emplace(code, matches_.size());  // a later entry of the same code keeps the first
  matches_.push_back({std::move(code), std::move(name), 0});
}

ShapeMatch* ShapeFindings::FindByCode(std::string_view code, std::string_view name, bool& sameName) {
  const auto found = first_.find(std::string(code));
  if (found == first_.end()) return nullptr;
  ShapeMatch& entry = matches_[found->second];
  sameName = entry.name == name;
  return &entry;
}

void ShapeFindings::CompareRow(const std::string& code, const std::string& name, bool codeLost, bool nameLost) {
  bool sameName = false;
  ShapeMatch* entry = codeLost ? nullptr : FindByCode(code, name, sameName);
  sameName = sameName && !nameLost;
  const bool stops = IsStops(kind_);
  if (!entry) {
    missing_.push_back(std::string(stops ? "manca georeferenziazione fermata " : "manca georeferenziazione percorso ") +
                       code + " - " + name + "\n");
    return;
  }
  entry->matched = 1;
  if (!sameName)
    mismatched_.push_back(std::string(stops ? "la fermata " : "il percorso ") + code + " - [" + name +
                          "] nello ShapeFile ha nome [" + entry->name + "]\n");
}

bool ShapeFindings::NoneMatched() const {
  return std::none_of(matches_.begin(), matches_.end(), [](const ShapeMatch& m) { return m.matched == 1; });
}

bool ShapeFindings::AnyUnmatched() const {
  return std::any_of(matches_.begin(), matches_.end(), [](const ShapeMatch& m) { return m.matched == 0; });
}

const char* ShapeCheckInputCaption(ShapeCheckKind kind) {
  return IsStops(kind) ? "Verifica Shape Fermate" : "Verifica Shape Percorsi Linee";
}
const char* ShapeCheckDefaultName(ShapeCheckKind kind) { return IsStops(kind) ? "RT_NODI" : "RT_ITIN"; }
const char* ShapeCheckReportName(ShapeCheckKind kind) { return IsStops(kind) ? "ERRORI_RT_NODI" : "ERRORI_RT_ITIN"; }

std::string ShapeFieldsRefusalText(ShapeCheckKind kind) {
  std::string text = "ATTENZIONE: lo Shape File indicato non ha le caratteristiche\n";
  if (IsStops(kind))
    text +=
        "necessarie per effettuare l'importazione delle coordinate delle fermate.\n\n"
        "All'interno dello Shape File devono esistere i seguenti attributi:\n"
        "* AZIENDA numerico max. 4 cifre\n"
        "* COD_FERM alfanumerico max. 10 caratteri\n"
        "* DENOM alfanumerico max. 40 caratteri\n\n";
  else
    text +=
        "necessarie per effettuare l'importazione delle coordinate dei percorsi.\n\n"
        "All'interno dello Shape File devono esistere i seguenti attributi:\n"
        "* AZIENDA numerico max. 4 cifre\n"
        "* COD_PERC alfanumerico max. 20 caratteri\n"
        "* DESCR alfanumerico max. 120 caratteri\n\n";
  return text + kNotToBeSent;
}

std::string ShapeTypeRefusalText(ShapeCheckKind kind) {
  return std::string("ATTENZIONE: lo Shape File indicato non è di tipo ") + (IsStops(kind) ? "PUNTUALE" : "LINEARE") +
         ".\n\n" + kNotToBeSent;
}

ShapeCheckReading ReadShapeCheckSet(ShapeCheckKind kind, const std::string& path, int company, WorkProgress* progress) {
  ShapeCheckReading result;
  result.check = ShapeFindings(kind);
  ShapeSetReader reader;
  if (!reader.Open(path)) {
    result.Fail(reader.Fault() + "\n\n" + kNotToBeSent);
    return result;
  }
  const bool stops = IsStops(kind);
  const DbfField* companyField = reader.FindField(kCompanyColumn);
  const DbfField* nameField = reader.FindField(stops ? kStopNameColumn : kRouteDescriptionColumn);
  const DbfField* codeField =
      stops ? reader.FirstField({kStopCodeOtherColumn, kStopCodeColumn}) : reader.FindField(kRouteCodeColumn);
  if (!companyField || !nameField || !codeField) {
    result.Fail(ShapeFieldsRefusalText(kind));
    return result;
  }
  // A shapefile holds one shape type: every record must be of it, and the last record gives the
  // set its kind (a null one none). A null record before it, or a line of fewer than two points, is
  // no place that the observatory could use.
  const int wanted = stops ? kPointShape : kPolylineShape;
  bool oneType = true;
  const int n = reader.Count();
  std::vector<int> unusable;
  if (progress) progress->Begin({});
  std::string_view bytes;
  ShapeRecord shape;
  for (int i = 0; i < n; ++i) {
    if (progress) progress->Step(i, n);
    // A record of another type refuses the set as it is; one of the type is read whole.
    reader.Content(i, bytes);
    if (bytes.size() >= 4 && ContentType(bytes) != wanted && ContentType(bytes) != kNullShape) {
      oneType = false;
      continue;
    }
    if (!reader.Shape(i, shape)) {
      if (progress) progress->End();
      result.Fail(reader.Fault() + "\n\n" + kNotToBeSent);
      return result;
    }
    if (shape.type == kNullShape && i == n - 1)
      oneType = false;
    else if (shape.type == kNullShape || (shape.type == kPolylineShape && shape.pointCount < 2))
      unusable.push_back(i);
  }
  if (progress) progress->End();
  std::vector<std::string> unusableLines;
  std::size_t next = 0;
  if (!reader.ReadRecords([&](int i, std::string_view record) {
        std::string code = reader.CodeOrName(i, record, *codeField), name = reader.CodeOrName(i, record, *nameField);
        if (next < unusable.size() && unusable[next] == i) {
          ++next;
          unusableLines.push_back("l'entità " + std::to_string(i) + " [" + code + " - " + name + "]\n");
        }
        if (reader.Number(record, *companyField) == company)
          result.check.AddShapeEntry(std::move(code), std::move(name));
      }) ||
      (reader.RefusedValues() && !reader.FailRefusedValues()))
    result.Fail(reader.Fault() + "\n\n" + kNotToBeSent);
  else if (!oneType)
    result.Fail(ShapeTypeRefusalText(kind));
  else if (!unusableLines.empty())
    result.Fail(UnusableShapesText(unusableLines));
  else
    result.Succeed();
  return result;
}

std::string UnusableShapesText(const std::vector<std::string>& lines) {
  return "ATTENZIONE: nello Shape File indicato sono presenti entità senza una\ngeometria utilizzabile:\n\n" +
         Listed(lines, "... altre entità omesse ...\n") + "\n" + kNotToBeSent;
}

void CompareWithTimetable(DbDatabase* db, ShapeFindings& check) {
  const bool stops = IsStops(check.Kind());
  DbSelect select(db);
  const char* columns = stops ? "fermata, denom" : "codperc, denom";
  // With each pair, the first trip that holds it (and that trip's stop) to name a value refused.
  select.SetColumns(std::string(columns) + (stops ? ", min(ID), sub" : ", min(ID)"));
  select.SetFrom(stops ? "detcor" : "tescor");
  select.SetGroupBy(columns);
  select.SetOrderBy(columns);
  const auto row = [&select, stops] { return StoredTripRow(select, 2, stops ? 3 : -1); };
  const RecordLayout& layout = stops ? TripDetailLayout() : TripHeadLayout();
  std::string refusal;
  // A failing selection or row has been reported by the layer; the rows read so far count.
  for (int more = OpenToRefuseFaults(select); more; more = select.MoveNext()) {
    const DbText code = select.TrimmedTextAt(0), name = select.TrimmedTextAt(1);
    if (StoredValueRefused(select, row, &layout, Undone::Findings, refusal)) {
      check.Refuse(std::move(refusal));
      return;
    }
    check.CompareRow(code.text, name.text, code.Lost(), name.Lost());
  }
}

ShapeVerdict JudgeShapeCheck(const ShapeFindings& check) {
  const bool stops = IsStops(check.Kind());
  ShapeVerdict v;
  if (!check.Refusal().empty()) {
    v.letter = 'R';
    v.Fail(check.Refusal());
    return v;
  }
  if (check.NoneMatched()) {
    v.letter = 'C';
    std::string text = std::string("ATTENZIONE: lo Shape File indicato non contiene neppure ") +
                       (stops ? "una fermata\n" : "un percorso\n") + "georeferenziat" + (stops ? "a" : "o") +
                       " associabile alla comunicazione degli orari corrente.\n\n" + kNotToBeSent;
    v.offersReport = !stops;
    if (v.offersReport) text += std::string("\n\n") + kSaveQuestion;
    v.Fail(std::move(text));
    return v;
  }
  // Usable, though not as it should be: the stop icon and the offer of the report.
  v.ok = true;
  v.offersReport = true;
  const auto usable = [&v](char letter, std::string text) {
    v.letter = letter;
    v.Tell(std::move(text), NoticeIcon::Stop);
    return v;
  };
  if (!check.Missing().empty())
    return usable('D', std::string("ATTENZIONE: nello Shape File indicato mancano ") +
                           (stops ? "le seguenti fermate:\n\n" : "i seguenti percorsi:\n\n") +
                           Listed(check.Missing(), "... altri errori omessi ...\n") +
                           "\nAnche se lo Shape File indicato risulta solo parzialmente utilizzabile \n"
                           "potrebbe essere inoltrato all'Osservatorio Traporti.\n\n"
                           "E' comunque fortemente consigliato inserire " +
                           (stops ? "le fermate mancanti" : "i percorsi mancanti") +
                           " e poi\nprocedere ad una nuova verifica prima dell'invio.\n\n" + kSaveQuestion);
  if (!check.Mismatched().empty())
    return usable(
        'E', std::string("ATTENZIONE: nello Shape File indicato sono presenti le seguenti criticità:\n\n") +
                 Listed(check.Mismatched(), "... altri warnings omessi ...\n") +
                 UsableAdvice(stops ? "correggere le fermate incongruenti\n" : "correggere i percorsi incongruenti\n"));
  if (check.AnyUnmatched()) {
    std::vector<std::string> unused;
    for (const ShapeMatch& m : check.Matches())
      if (m.matched == 0) unused.push_back(m.code + " - " + m.name + "\n");
    return usable('F', std::string("ATTENZIONE: nello Shape File indicato sono presenti ") +
                           (stops ? "alcune fermate inutili:\n\n" : "alcuni percorsi:\n\n") +
                           Listed(unused, stops ? "... altre fermate inutili omesse ...\n"
                                                : "... altri percorsi inutili omessi ...\n") +
                           UsableAdvice(stops ? "eliminare le fermate inutili\n" : "eliminare i percorsi inutili\n"));
  }
  v.letter = 'G';
  v.offersReport = false;
  v.Succeed(
      "Lo Shape File indicato risulta perfettamente utilizzabile\n"
      "e può tranquillamente essere inoltrato all'Osservatorio Traporti.");
  return v;
}

std::string ShapeCheckReportText(const ShapeFindings& check, const std::string& databasePath, const std::string& base,
                                 const ClockTime& now) {
  const bool stops = IsStops(check.Kind());
  const std::string rule(72, '=');
  std::string out = rule + "\n";
  out += Format("%02d/%02d/%04d %02d.%02d Report verifica ShapeFile %s (Quendo)\n", now.day, now.month, now.year,
                now.hour, now.minute, stops ? "Fermate" : "Percorsi");
  out += "Database: " + databasePath + "\n";
  out += "ShapeFile: " + base + ".SHP\n";
  out += rule + "\n\n";
  out += stops ? "******* Fermate presenti negli orari ed assenti nello shapefile ********\n\n"
               : "******* Percorsi presenti negli orari ed assenti nello shapefile *******\n\n";
  for (const std::string& line : check.Missing()) out += line;
  out += stops ? "\n******** Fermate con codici corrispondenti ma nomi differenti **********\n\n"
               : "\n******* Percorsi con codici corrispondenti ma nomi differenti ********\n\n";
  for (const std::string& line : check.Mismatched()) out += line;
  out += stops ? "\n******* Fermate presenti nello shapefile ed assenti negli orari ********\n\n"
               : "\n****** Percorsi presenti nello shapefile ed assenti negli orari ******\n\n";
  for (const ShapeMatch& m : check.Matches())
    if (m.matched == 0)
      out += (stops ? "la fermata [" : "Il percorso [") + m.code + "] - [" + m.name +
             (stops ? "] non è utilizzata negli orari\n" : "] non è utilizzato negli orari\n");
  return WithCrLf(out);
}

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}
