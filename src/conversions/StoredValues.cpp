#include "conversions/StoredValues.h"

#include "exchange/ExportRecord.h"
#include "exchange/RecordLayouts.h"

int OpenToRefuseFaults(DbSelect& s) {
  s.SetFaultsToldByCaller(true);
  return s.Open();
}

std::string RefuseStoredValue(const std::string& row, const DbSelect& s, const RecordLayout* layout, Undone work) {
  if (!s.Faulted()) return {};
  const FieldDef* field = layout ? layout->Field(s.Fault().column) : nullptr;
  return StoredValueRefusal(row, ExportRecord::FaultText(s.Fault(), field), work);
}

std::string DayOfDayType(const std::string& code, const std::string& date) {
  return date.empty() ? CalendarDayRowName({}, code) : "cadenza " + code + ", giorno " + date;
}
