#include "db/StoredValueRefusal.h"

#include "db/DbSchema.h"

const char* UndoneText(Undone undone) {
  switch (undone) {
    case Undone::Files: return "Nessun file è stato scritto: correggere il dato prima di esportare.";
    case Undone::Changes:
      return "Nessuna modifica è stata registrata: correggere il dato prima di ripetere l'elaborazione.";
    case Undone::Findings: return "Il prospetto non è stato preparato: correggere il dato prima di ripeterlo.";
    case Undone::Editor: return "L'editor non è stato aperto: correggere il dato prima di modificare questi dati.";
    case Undone::EditorClosed: return "L'editor è stato chiuso: correggere il dato prima di modificare questi dati.";
    case Undone::QuadroHidden:
      return "Il quadro non è stato mostrato: correggere il dato prima di modificare queste corse.";
    case Undone::TripKept: return "La corsa non è stata eliminata: correggere il dato prima di eliminarla.";
    case Undone::Opening:
      return "Il database non è stato aperto e il file è rimasto com'era: correggere il dato prima di aprirlo.";
  }
  return "";
}

std::string TitledFaultText(const DbSelect::ValueFault& fault, const char* table) {
  return DbSelect::FaultText(fault, nullptr, table ? SchemaFieldTitle(table, fault.column).c_str() : nullptr);
}

std::string StoredValueRefusal(const std::string& row, const std::string& fault, Undone undone) {
  return "ATTENZIONE: " + row + ":\n" + fault + "\n\n" + UndoneText(undone);
}

std::string TripRowName(const std::string& id) { return id.empty() ? "una corsa" : "corsa " + id; }

std::string StopRowName(const std::string& id, const std::string& sub) {
  return (sub.empty() ? std::string("una fermata") : "fermata " + sub) +
         (id.empty() ? " di una corsa" : " della corsa " + id);
}

std::string CadenceRowName(const std::string& code) { return code.empty() ? "una cadenza" : "cadenza " + code; }

std::string LocalityRowName(const std::string& id) { return id.empty() ? "una località" : "località " + id; }

std::string PeriodRowName(const std::string& id, const std::string& start, const std::string& end,
                          const std::string& code) {
  const std::string trip = id.empty() ? " di una corsa" : " della corsa " + id;
  if (!start.empty() && !end.empty()) return "periodo dal " + start + " al " + end + trip;
  return "un periodo" + trip + (code.empty() ? std::string() : " con cadenza " + code);
}

std::string CalendarDayRowName(const std::string& date, const std::string& code) {
  if (!date.empty()) return "giorno " + date + " del calendario";
  return "un giorno del calendario" + (code.empty() ? std::string() : " con cadenza " + code);
}

std::string KeyNumberAt(DbSelect& select, int at) {
  long value = 0;
  if (select.Fault().position == at || select.GetFieldLongAt(at, &value) != 1) return {};
  return std::to_string(value);
}

std::string KeyTextAt(DbSelect& select, int at) {
  return select.Fault().position == at ? std::string() : select.TrimmedAt(at);
}

std::string StoredTripRow(DbSelect& select, int idAt, int subAt) {
  const std::string id = KeyNumberAt(select, idAt);
  if (subAt < 0) return TripRowName(id);
  const std::string sub = KeyNumberAt(select, subAt);
  return id.empty() || sub.empty() ? StopRowName(id, sub) : "corsa " + id + ", fermata " + sub;
}
