#include "utilities/TransportModes.h"

#include "common/Formatters.h"
#include "utilities/KeyedRows.h"
#include "utilities/RowBatch.h"

#include <string_view>
#include <utility>
#include <vector>

AssignmentResult AssignTransportMode(DbDatabase* db, const ModeScope& scope, char letter, WorkProgress* progress) {
  DbSelect select(db, {.columns = "id", .from = "tescor"});
  // What was chosen is a value of the selection, never part of its text.
  if (scope.kind == ModeScope::Kind::Line) {
    select.SetWhere("codlinea = ?1");
    select.SetParameters(std::vector<DbText>{scope.line});
  } else if (scope.kind == ModeScope::Kind::Authority) {
    select.SetWhere("ente = ?1");
    select.SetParameters({std::to_string(scope.authority)});
  }
  KeyedRows trips(db, "tescor");
  DbTable& t = trips.Table();
  const int mezzo = trips.Field("mezzo");
  const std::string_view text(&letter, 1);
  AssignmentResult result = WriteRows(db, select, Walked::Trips, progress, [&]() -> int {
    return trips.Seek(select.LongAt(0)) && t.Edit() && t.SetFieldTextAt(mezzo, text) && t.Update();
  });
  return Told(std::move(result), [&scope](const AssignmentResult& r) { return TransportModeResultText(scope, r); });
}

std::string TransportModeResultText(const ModeScope& scope, const AssignmentResult& r) {
  std::string text = "Risultati dell'assegnazione del mezzo di trasporto.\n";
  if (scope.kind == ModeScope::Kind::Company) text += "Tutte le corse dell'azienda.\n\n";
  if (scope.kind == ModeScope::Kind::Authority) text += "Corse dell'Ente Contrattuale selezionato.\n\n";
  return text + Format("Corse lette %d\n", r.read) + Format("Corse aggiornate %d\n", r.updated);
}

std::string TransportModeAuthorityRefusal() {
  return std::string("ATTENZIONE: Il Codice Ente Concedente non è valido.\n\n") +
         "Occorre selezionare un Codice Regionale Ente presente nella lista.\n\n" +
         "L'assegnazione automatica del Tipo Mezzo di Trasporto risulta\n" + "impossibile.";
}
