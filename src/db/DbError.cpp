#include "db/DbError.h"

#include "common/Cp1252.h"

#include <sqlite3.h>

std::string EngineErrorText(sqlite3* db, int rc, DbOperation op) {
  const int ext = db ? sqlite3_extended_errcode(db) : rc;
  const char* msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  return EngineErrorText(ext, msg ? msg : "", op);
}

std::string EngineErrorText(int rc, const std::string& engineText, DbOperation op) {
  std::string it;
  switch (rc) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE: it = "Valore duplicato: esiste già una riga con la stessa chiave"; break;
    case SQLITE_CONSTRAINT_NOTNULL: it = "Manca il valore di un campo obbligatorio"; break;
    case SQLITE_CONSTRAINT_CHECK:
      if (engineText.find("__required") != std::string::npos)
        it = "Manca il valore di un campo obbligatorio";
      else if (engineText.find("__size") != std::string::npos)
        it = "Il testo è troppo lungo per il campo";
      else if (engineText.find("__kind") != std::string::npos)
        it = "Il valore non è del tipo del campo";
      else
        it = "Il valore non rispetta le regole del campo";
      break;
    case SQLITE_CONSTRAINT_FOREIGNKEY:
      it = op == DbOperation::Delete
               ? "La riga non può essere eliminata: altre tavole vi fanno riferimento"
               : "Violazione dell'integrità referenziale: la riga collegata non esiste, oppure altre tavole "
                 "fanno riferimento alla chiave modificata";
      break;
    default:
      switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
        case SQLITE_PROTOCOL: it = kEngineBusyText; break;
        case SQLITE_READONLY: it = "Il database è in sola lettura"; break;
        case SQLITE_FULL: it = "Spazio su disco esaurito"; break;
        case SQLITE_NOTADB: it = "Il file non è un database valido"; break;
        case SQLITE_CORRUPT: it = "Il file del database è danneggiato"; break;
        case SQLITE_CANTOPEN: it = "Impossibile aprire il file"; break;
        case SQLITE_IOERR: it = "Errore di lettura o scrittura del file"; break;
        case SQLITE_PERM: it = "Permesso negato"; break;
        case SQLITE_CONSTRAINT: it = "Il valore non rispetta i vincoli della tavola"; break;
        case SQLITE_NOMEM: it = "Memoria insufficiente"; break;
        default: it = "Il motore del database ha rifiutato l'operazione"; break;
      }
  }
  // The engine's own words, in English, only ever follow the Italian description.
  const std::string engine = cp1252::FromUtf8Lossy(engineText);
  return it + (engine.empty() ? "" : " (" + engine + ")");
}
