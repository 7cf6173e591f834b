#include "utilities/RowBatch.h"

std::string AssignmentNotStoredText() {
  return "ATTENZIONE: le modifiche non sono state registrate nel database.\n\n"
         "I dati restano quelli di prima dell'elaborazione.";
}
