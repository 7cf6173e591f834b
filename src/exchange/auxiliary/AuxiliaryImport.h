#pragma once
// What the auxiliary imports of "&Importazione dati (VUR-TXT)" share: the trip chains (RT_CHAIN),
// the regional trip numbers (RT_IDREG) and the normalised stops (FERMATE_NORMALIZZATE.TXT). Each
// reads its file whole, keeps the lines of the working company and updates rows already there
// (never inserts one), all in one batch transaction: a run cut short leaves the database as it
// was. The engine shows nothing: it hands back the messages for the command to show, in order.

#include "common/Outcome.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "exchange/ImportEngine.h"

#include <optional>
#include <string>
#include <vector>

class DbTable;

struct AuxiliaryImportOptions {
  DbDatabase* db = nullptr;
  std::string path;                  // Windows-1252
  WorkProgress* progress = nullptr;  // a pass over the lines kept; none: nothing shown
};

// Done when the file could be opened and what the import wrote is in the database (a batch the
// database did not take is not done); the messages say the rest.
struct AuxiliaryImportResult : Outcome {
  int updated = 0;  // rows written
  // A value read from the database that its column cannot hold (StoredValueRefusal): the batch
  // stops there and keeps nothing, and this is its last message.
  std::string refusal;
};

// Without the master row the import goes on with no working company: no line is one of its own.
constexpr const char* kNoWorkingCompanyText = "ATTENZIONE: non è definita l'Azienda di Lavoro !!!";
// The database did not take the batch: nothing of it is there.
constexpr const char* kAuxiliaryNotStoredText =
    "ATTENZIONE: le modifiche non sono state registrate nel database.\n\n"
    "I dati restano quelli di prima dell'elaborazione.";

// Every line of the file, each without its line end (a line too long for the reader to keep is
// one LF: no data); false when the file cannot be opened or read.
bool ReadAllLines(const std::string& path, std::vector<std::string>& lines);

// What every import reads first: the file's lines, then the working company.
struct AuxiliaryStart {
  std::vector<std::string> lines;
  std::optional<int> company;
};
// False when the file cannot be opened (CannotOpenText said) or the master
// row's company is not of its column's kind (the refusal alone said: nothing is changed); without
// the master row `noCompanyText` is said and the import goes on.
bool StartAuxiliaryImport(const AuxiliaryImportOptions& options, const std::string& noCompanyText,
                          AuxiliaryImportResult& result, AuxiliaryStart& start);

// The opening every import shares (StartAuxiliaryImport), then `take(number, line, company)` for
// each line (numbered from 1) until it returns false. False when the file could not be opened.
template <class Take>
bool ForEachAuxiliaryLine(const AuxiliaryImportOptions& o, const std::string& noCompanyText,
                          AuxiliaryImportResult& result, Take take) {
  AuxiliaryStart start;
  if (!StartAuxiliaryImport(o, noCompanyText, result, start)) return false;
  long number = 0;
  for (const std::string& line : start.lines)
    if (!take(++number, line, start.company)) break;
  return true;
}

// Walks `items` in one batch, `update` writing what one of them asks and returning the rows it
// wrote; the bar passes over them (with `withBar` false the steps only keep the busy clock
// going). True when the database took the batch; an update that sets the result's refusal ends
// the walk, and the batch is rolled back.
template <class Item, class Update>
bool UpdateInOneBatch(const AuxiliaryImportOptions& o, const std::vector<Item>& items, bool withBar, Update update,
                      AuxiliaryImportResult& result) {
  DbBatch batch(o.db);
  if (!batch.Active()) return false;
  WorkProgress* progress = o.progress;
  if (withBar && progress) progress->Begin({});
  const long total = static_cast<long>(items.size());
  long done = 0;
  for (const Item& item : items) {
    if (batch.Lost() || !result.refusal.empty()) break;  // nothing more can be stored
    if (progress) progress->Step(++done, total);
    result.updated += update(item);
  }
  if (withBar && progress) progress->End();
  if (!result.refusal.empty()) {
    batch.Rollback();
    return false;
  }
  return batch.Commit() != 0;
}

// A row of `table` (opened, its index "codice" chosen) found by its key texts and given one
// field's value; false when it is not there or the database refused the change (said by the
// database layer).
bool SetKeyedField(DbTable& table, std::initializer_list<const char*> keys, const char* field,
                   const std::string& value);

// The import's last message, or when the database refused its batch kAuxiliaryNotStoredText (the
// result's refusal when a value stopped it), and the count 0.
void Conclude(bool committed, Notice last, AuxiliaryImportResult& result);

// The selection's fault, when it has one, as the result's refusal on the row `row()` names; true
// then.
template <class Row>
bool RefusedValue(DbSelect& select, AuxiliaryImportResult& result, Row row) {
  if (!select.Faulted()) return false;
  result.refusal = StoredValueRefusal(row(), select.FaultText());
  return true;
}
