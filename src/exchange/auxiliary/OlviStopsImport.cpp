#include "exchange/auxiliary/OlviStopsImport.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "exchange/OlviFiles.h"

#include <algorithm>
#include <utility>

namespace {

struct StopNode {
  std::string code, name, place;
};

// The fault of a line of the working company that cannot be stored as it is; empty when none.
std::string LineFault(long lineNumber, const StopNode& node) {
  const auto tooLong = [&](const char* what, size_t width) {
    return Format(
        "Il file proposto non può essere importato:\nalla riga %ld %s supera i %zu caratteri.\n\n"
        "Nessun dettaglio orario è stato modificato.",
        lineNumber, what, width);
  };
  // The database keeps texts up to their first NUL byte: a name "\0..." would be stored empty.
  const auto control = [&](const char* what, const std::string& text) {
    const bool found = std::any_of(text.begin(), text.end(), [](char c) {
      const auto byte = static_cast<unsigned char>(c);
      return byte < 0x20 || byte == 0x7f;
    });
    return found ? Format(
                       "Il file proposto non può essere importato:\nalla riga %ld %s contiene un carattere di "
                       "controllo.\n\nNessun dettaglio orario è stato modificato.",
                       lineNumber, what)
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
  if (node.name.empty())
    return Format(
        "Il file proposto non può essere importato:\nalla riga %ld manca la denominazione della fermata.\n\n"
        "Nessun dettaglio orario è stato modificato.",
        lineNumber);
  return {};
}

}  // namespace

AuxiliaryImportResult RunOlviStopsImport(const AuxiliaryImportOptions& o) {
  AuxiliaryImportResult result;
  std::vector<StopNode> nodes;
  bool faulty = false;  // a line that cannot be stored: nothing is
  const auto take = [&](long number, const std::string& line, const std::optional<int>& company) {
    OlviStopLine fields;
    if (!company || !ReadOlviStopLine(line, fields) || fields.company != *company) return true;
    StopNode node{std::string(WithoutTrailingBlanks(fields.code)), std::string(WithoutTrailingBlanks(fields.name)),
                  std::string(WithoutTrailingBlanks(fields.place))};
    const std::string fault = LineFault(number, node);
    faulty = !fault.empty();
    if (faulty)
      result.Tell(fault, NoticeIcon::Stop);
    else
      nodes.push_back(std::move(node));
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
