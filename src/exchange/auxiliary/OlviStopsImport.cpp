#include "exchange/auxiliary/OlviStopsImport.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "exchange/ExchangeText.h"
#include "exchange/OlviFiles.h"
#include "exchange/RecordLayouts.h"

#include <utility>

namespace {

struct StopNode {
  std::string code, name, place;
};

// The refusal of the file for `why` (the line and its fault).
std::string Refused(const std::string& why) {
  return "Il file proposto non può essere importato:\n" + why + ".\n\nNessun dettaglio orario è stato modificato.";
}

// The fault of a line the export could not have written, whatever its company: longer than the
// reader keeps, not of the heading's four fields, or neither the heading nor a line whose company
// is a number. Empty when none; `fields` then holds the stop, unless `heading`.
std::string FormFault(long lineNumber, const std::string& line, OlviStopLine& fields, bool& heading) {
  // A line too long for the reader stands as a line feed (ReadAllLines).
  if (line == "\n") return Refused(Format("la riga %ld supera i %zu caratteri", lineNumber, ExchangeReader::kMaxKept));
  if (const size_t count = OlviFieldCount(line); count != kOlviStopFields)
    return Refused(Format("alla riga %ld i campi sono %zu invece di %zu", lineNumber, count, kOlviStopFields));
  heading = line == kOlviStopsHeading;
  if (!heading && !ReadOlviStopLine(line, fields))
    return Refused(Format("alla riga %ld il codice dell'azienda non è un numero", lineNumber));
  return {};
}

// The fault of a stop line whose texts cannot be stored as they are (of the working company,
// `own`, also an empty name); empty when none.
std::string LineFault(long lineNumber, const StopNode& node, bool own) {
  const auto tooLong = [&](const char* what, size_t width) {
    return Refused(Format("alla riga %ld %s supera i %zu caratteri", lineNumber, what, width));
  };
  // The database keeps texts up to their first NUL byte: a name "\0..." would be stored empty.
  const auto control = [&](const char* what, const std::string& text) {
    return FindControlByte(text) != std::string_view::npos
               ? Refused(Format("alla riga %ld %s contiene un carattere di controllo", lineNumber, what))
               : std::string();
  };
  for (const auto& [what, text] : {std::pair<const char*, const std::string&>{"il codice della fermata", node.code},
                                   {"la denominazione", node.name},
                                   {"l'ubicazione", node.place}}) {
    if (std::string fault = control(what, text); !fault.empty()) return fault;
  }
  if (node.code.size() > kOlviStopCodeWidth) return tooLong("il codice della fermata", kOlviStopCodeWidth);
  if (node.name.size() > kOlviStopTextWidth) return tooLong("la denominazione", kOlviStopTextWidth);
  if (node.place.size() > kOlviStopTextWidth) return tooLong("l'ubicazione", kOlviStopTextWidth);
  if (own && node.name.empty())
    return Refused(Format("alla riga %ld manca la denominazione della fermata", lineNumber));
  return {};
}

}  // namespace

AuxiliaryImportResult RunOlviStopsImport(const AuxiliaryImportOptions& o) {
  AuxiliaryImportResult result;
  std::vector<StopNode> nodes;
  bool faulty = false;  // a line that cannot be stored: nothing is
  const auto take = [&](long number, const std::string& line, const std::optional<int>& company) {
    // Every line is checked, whatever its company: the file is refused whole or taken.
    OlviStopLine fields;
    bool heading = false;
    std::string fault = FormFault(number, line, fields, heading);
    if (fault.empty() && !heading) {
      StopNode node{std::string(WithoutTrailingBlanks(fields.code)), std::string(WithoutTrailingBlanks(fields.name)),
                    std::string(WithoutTrailingBlanks(fields.place))};
      const bool own = company && fields.company == *company;
      fault = LineFault(number, node, own);
      if (fault.empty() && own) nodes.push_back(std::move(node));
    }
    faulty = !fault.empty();
    if (faulty) result.Tell(fault, NoticeIcon::Stop);
    return !faulty;
  };
  if (!ForEachAuxiliaryLine(o, kNoWorkingCompanyText, result, take) || faulty) return result;
  if (nodes.empty()) {
    result.Tell(kNoOlviStopText, NoticeIcon::Stop);
    return result;
  }

  DbTable detcor(o.db, "detcor");
  const bool ready = detcor.isOpen && detcor.SetIndex("codice");
  const int nameField = detcor.FieldIndex("denom"), placeField = detcor.FieldIndex("ubicaz");
  DbSelect rows(o.db,
                {.columns = "id, sub, denom, ubicaz", .from = "detcor", .where = "fermata = ?1", .orderBy = "id, sub"});
  rows.SetFaultsToldByCaller(true);
  // A stored text with a character that Windows-1252 lacks reads, and is written in the files, with
  // a '?' in its place: the file's text equal to that reading is the stored text, kept as it is.
  const auto keeps = [&rows](int position, const std::string& text) {
    return rows.LostAt(position).code != 0 && rows.TrimmedAt(position) == text;
  };
  const bool committed = UpdateInOneBatch(
      o, nodes, true,
      [&](const StopNode& node) {
        int updated = 0;
        if (!ready || node.code.empty()) return updated;  // an empty code is no stop of the file
        rows.SetParameters({node.code});
        for (int ok = rows.Open(); ok; ok = rows.MoveNext()) {
          const std::string id = std::to_string(rows.LongAt(0)), sub = std::to_string(rows.IntAt(1));
          const bool keepName = keeps(2, node.name), keepPlace = keeps(3, node.place);
          if (RefusedValue(rows, result, [&] { return StoredTripRow(rows, 0, 1); })) break;
          if (keepName && keepPlace) continue;
          if (detcor.SeekEqual({id.c_str(), sub.c_str()}) && detcor.Edit() &&
              (keepName || detcor.SetFieldTextAt(nameField, node.name)) &&
              (keepPlace || detcor.SetFieldTextAt(placeField, node.place)) && detcor.Update())
            ++updated;
        }
        return updated;
      },
      result);
  Conclude(committed, {Format("Sono stati modificati %d dettagli orari", result.updated), NoticeIcon::Information, {}},
           result);
  return result;
}
