#include "checks/ErrorReportFile.h"

#include "common/Formatters.h"
#include "common/WholeFile.h"

std::string ErrorReportDefaultName(const std::string& fileTag) { return "ERR_" + fileTag; }

std::string ErrorReportText(const std::vector<ErrorRow>& rows, const ErrorCheckOptions& options,
                            const std::string& subtitle, const std::string& databasePath, const ClockTime& now) {
  const std::string frame(72, '=');
  const auto yes = [](bool on) { return on ? "** SI **" : "no"; };
  std::string out;
  out += frame + "\r\n";
  out += Format("%02d/%02d/%04d %02d.%02d Report verifica errori (Quendo)\r\n", now.day, now.month, now.year, now.hour,
                now.minute);
  out += "Comunicazione: " + subtitle + "\r\n";
  out += "Database: " + databasePath + "\r\n";
  if (options.consent) {
    out += "Verifica consenso generazione comunicazione\r\n";
  } else {
    // "Codice Corsa" and "Codice Percorso" have no line of their own.
    out += Format("Ricerca errori Codice Linea: %s\r\n", yes(options.lineCode));
    out += Format("Ricerca errori Descrizione Corsa: %s\r\n", yes(options.tripName));
    out += Format("Ricerca errori Codice Fermata: %s\r\n", yes(options.stopCode));
    out += Format("Ricerca errori Ubicazione Fermata: %s\r\n", yes(options.stopPlace));
    out += Format("Ricerca errori Distanze Progressive: %s\r\n", yes(options.distances));
    out += Format("Ricerca errori Tipo Mezzo Trasporto: %s\r\n", yes(options.mode));
  }
  out += frame + "\r\n";
  for (const ErrorRow& row : rows)
    out += "ID=" + std::to_string(row.tripId) + " SUB=" + std::to_string(row.sub) + " " + row.text + "\r\n";
  return out;
}

Outcome WriteErrorReport(const std::string& path, const std::vector<ErrorRow>& rows, const ErrorCheckOptions& options,
                         const std::string& subtitle, const std::string& databasePath, const ClockTime& now) {
  return SaveWholeFile(path, ErrorReportText(rows, options, subtitle, databasePath, now));
}
