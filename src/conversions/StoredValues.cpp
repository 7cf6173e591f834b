#include "conversions/StoredValues.h"

#include "exchange/ExportRecord.h"
#include "exchange/RecordLayouts.h"

int OpenToRefuseFaults(DbSelect& s) {
  s.SetFaultsToldByCaller(true);
  return s.Open();
}

std::string RefuseStoredValue(const std::string& row, const DbSelect& s, const RecordLayout* layout, StoppedWork work) {
  if (!s.Faulted()) return {};
  const FieldDef* field = layout ? layout->Field(s.Fault().column) : nullptr;
  // The files' refusal is the exports' own.
  if (work == StoppedWork::Files) return RefuseFault(row, s.Fault(), field);
  const char* tail = work == StoppedWork::Database
                         ? "Nessuna modifica è stata registrata: correggere il dato prima di ripetere l'elaborazione."
                         : "Il prospetto non è stato preparato: correggere il dato prima di ripeterlo.";
  return "ATTENZIONE: " + row + ":\n" + ExportRecord::FaultText(s.Fault(), field) + "\n\n" + tail;
}
