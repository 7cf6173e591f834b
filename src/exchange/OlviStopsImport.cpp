#include "exchange/OlviStopsImport.h"

#include "common/Formatters.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "exchange/ExchangeText.h"
#include "exchange/OlviExport.h"
#include "exchange/OlviFiles.h"

const char* const kOlviStopsImportName = "FERMATE_OLVI";
const char* const kOlviStopsImportTitle = "Importazione Fermate per VurOlvi";

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

OlviStopsImportResult ImportOlviStopsFile(DbDatabase* db, const std::string& path, WorkProgress* progress) {
  OlviStopsImportResult result;
  ExchangeReader reader;
  if (!reader.Open(path)) {
    result.messages.push_back({"Impossibile aprire\n\n" + path, NoticeIcon::Stop});
    return result;
  }
  const int company = OlviCompany(db, -1);  // without the master row no line is of it
  if (company < 0) result.messages.push_back({"ATTENZIONE: non è definita l'Azienda di Lavoro !!!", NoticeIcon::Stop});

  std::vector<StopNode> nodes;
  ExchangeReader::Line line;
  long number = 0;
  while (reader.Next(line)) {
    ++number;
    OlviStopLine fields;
    if (!ReadOlviStopLine(line.text, fields) || fields.company != company) continue;
    StopNode node{std::string(WithoutTrailingBlanks(fields.code)), std::string(WithoutTrailingBlanks(fields.name)),
                  std::string(WithoutTrailingBlanks(fields.place))};
    const std::string fault = LineFault(number, node);
    if (!fault.empty()) {
      result.messages.push_back({fault, NoticeIcon::Stop});
      return result;
    }
    nodes.push_back(std::move(node));
  }
  if (reader.Failed()) {
    result.messages.push_back({"Impossibile aprire\n\n" + path, NoticeIcon::Stop});
    return result;
  }
  if (nodes.empty()) {
    result.messages.push_back(
        {"Il file proposto non contiene neppure una Fermata Olvi\n"
         "riferibile all'Azienda di Lavoro !!!",
         NoticeIcon::Stop});
    return result;
  }

  int updated = 0;
  {
    DbBatch batch(db);
    DbTable detcor(db, "detcor");
    const bool ready = detcor.isOpen && detcor.SetIndex("codice");
    const int nameField = detcor.FieldIndex("denom"), placeField = detcor.FieldIndex("ubicaz");
    DbSelect rows(db);
    rows.SetColumns("id, sub");
    rows.SetFrom("detcor");
    rows.SetWhere("fermata = ?1");
    rows.SetOrderBy("id, sub");
    if (progress) progress->Begin({});
    long done = 0;
    for (const StopNode& node : nodes) {
      if (progress) progress->Step(++done, static_cast<long>(nodes.size()));
      if (!ready || node.code.empty()) continue;  // an empty code is no stop of the file
      rows.SetParameters({node.code});
      for (bool more = rows.Open() != 0; more; more = rows.MoveNext()) {
        long id = 0;
        int sub = 0;
        rows.GetFieldLongAt(0, &id);
        rows.GetFieldIntAt(1, &sub);
        const std::string idText = std::to_string(id), subText = std::to_string(sub);
        if (detcor.SeekEqual({idText.c_str(), subText.c_str()}) && detcor.Edit() &&
            detcor.SetFieldTextAt(nameField, node.name) && detcor.SetFieldTextAt(placeField, node.place) &&
            detcor.Update())
          ++updated;
      }
    }
    if (progress) progress->End();
    if (batch.Commit() == 0) updated = 0;
  }
  result.updated = updated;
  result.messages.push_back({Format("Sono stati modificati %d dettagli orari", updated), NoticeIcon::Information});
  return result;
}
