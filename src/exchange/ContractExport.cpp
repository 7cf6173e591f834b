#include "exchange/ContractExport.h"

#include "common/ExportFiles.h"
#include "common/WholeFile.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "exchange/ExportRecord.h"
#include "exchange/RecordLayouts.h"

#include <cstdlib>

const char* const kContractExportNoMaster = "ERRORE BLOCCANTE: Il MASTER non è definito !!!";

namespace {

// The name of a code in a table keyed by "codice", without trailing blanks; `missing` when absent.
std::string NameOf(DbTable& table, int code, const char* missing) {
  std::string name;
  const std::string key = std::to_string(code);
  if (table.isOpen && table.SetIndex("codice") && table.SeekEqual({key.c_str()}) && table.GetFieldText("denom", name))
    return std::string(WithoutTrailingBlanks(name));
  return missing;
}

}  // namespace

ContractExportData ReadContractExport(DbDatabase* db, WorkProgress* progress) {
  ContractExportData data;
  DbReadSnapshot snapshot(db);
  const WorkingPeriod period = ReadWorkingPeriod(db);
  if (!period.found) {
    data.Fail(kContractExportNoMaster);
    return data;
  }
  data.ok = true;
  data.periodStart = period.first;
  data.periodEnd = period.last;
  data.company = std::atoi(period.company.c_str());
  {
    DbTable companies(db, "regazi");
    data.companyName = NameOf(companies, data.company, "Azienda non definita");
  }
  data.trips = ReadContractTrips(db, ReadServiceCalendar(db, period.first, period.last), progress);
  // A text the file would show as '?' refuses it, before a file is asked for.
  for (const ContractTrip& t : data.trips) {
    if (!t.lostColumn) continue;
    const FieldDef& field = *TripHeadLayout().Field(t.lostColumn);
    data.trips.clear();
    data.Fail(RefuseText(Format("corsa %ld", t.id), field, t.lostText, t.lostCode, t.lostAt));
    return data;
  }
  DbTable authorities(db, "regent");
  for (const ContractTrip& t : data.trips)
    if (!data.authorityNames.count(t.ente))
      data.authorityNames[t.ente] = NameOf(authorities, t.ente, "Ente non definito");
  return data;
}

std::string PeriodTimeText(long minutes) {
  return minutes >= 60 ? Format("%ldh %02ld'", minutes / 60, minutes % 60) : Format("00h %02ld'", minutes);
}

std::vector<std::string> ContractExportLines(const ContractExportData& data) {
  std::vector<std::string> lines;
  lines.reserve(data.trips.size() + 16);
  lines.push_back(Format("Contratti di servizio dal %s al %s", data.periodStart.c_str(), data.periodEnd.c_str()));
  lines.push_back(Format("Azienda %d %s", data.company, data.companyName.c_str()));
  lines.emplace_back();
  bool first = true;
  int ente = 0;
  std::string line;
  char direction = 'X';
  for (const ContractTrip& t : data.trips) {
    const bool newEnte = first || t.ente != ente;
    if (newEnte) {
      first = false;
      ente = t.ente;
      const auto name = data.authorityNames.find(t.ente);
      lines.emplace_back();
      lines.push_back(Format("Ente: %d %s", t.ente,
                             name == data.authorityNames.end() ? "Ente non definito" : name->second.c_str()));
    }
    // Every authority opens with its own column line, whatever the line of its first trip.
    if (newEnte || t.lineKey != line || t.direction != direction) {
      line = t.lineKey;
      direction = t.direction;
      lines.push_back(
          Format("\tLinea: %s%c\tID\tMezzo\tCorsa\tOrario\tLung\tLungContr\tDurata\tDurataContr\tGiorni\tKmPeriodo"
                 "\tTempoPeriodo",
                 t.lineCode.c_str(), t.direction));
    }
    lines.push_back(Format("\t\t%ld\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%ld\t%s\t%s", t.id, TransportModeName(t.mode),
                           t.tripCode.c_str(), t.departure.c_str(), t.length.c_str(), t.contractLength.c_str(),
                           t.time.c_str(), t.contractTime.c_str(), t.days,
                           KilometresText(static_cast<double>(t.contractMetres) * static_cast<double>(t.days)).c_str(),
                           PeriodTimeText(static_cast<long>(t.contractMinutes) * t.days).c_str()));
  }
  return lines;
}

ContractExportResult WriteContractExport(const ContractExportData& data, const std::string& path) {
  ContractExportResult result;
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  ExportFileSet file(folder);
  if (file.Begin(name)) {
    for (const std::string& line : ContractExportLines(data)) file.WriteLine(line);
    if (file.Finish() && file.Commit()) {
      result.tripLines = static_cast<int>(data.trips.size());
      result.Succeed(ContractExportDoneText(result.tripLines));
      return result;
    }
  }
  result.Fail(CannotCreateText(path), NoticeIcon::Exclamation, path);
  return result;
}

std::string ContractExportDoneText(int tripLines) { return Format("Inserite %d righe in Contratti", tripLines); }
