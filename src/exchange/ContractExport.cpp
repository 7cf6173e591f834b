#include "exchange/ContractExport.h"

#include "common/ExportFiles.h"
#include "common/WholeFile.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/StoredValueRefusal.h"
#include "exchange/ExportRecord.h"
#include "exchange/RecordLayouts.h"

#include <cstdlib>

const char* const kContractExportNoMaster = "ERRORE BLOCCANTE: Il MASTER non è definito !!!";

namespace {

// The texts of the file that no record layout holds, and the departure, in the words of the
// refusals.
const FieldDef kCompanyName{"denom", "denominazione azienda", 0, 0, FieldKind::Text};
const FieldDef kAuthorityName{"denom", "denominazione ente", 0, 0, FieldKind::Text};
const FieldDef kDeparture{"parte", "orario di partenza", 0, 4, FieldKind::Time};

// The name of a code in a table keyed by "codice", without trailing blanks, or `missing` when
// absent; `refusal` gets the refusal of a name the file cannot carry (`row` names it).
std::string NameOf(DbDatabase* db, const char* table, int code, const char* missing, const FieldDef& field,
                   const std::string& row, std::string& refusal) {
  DbSelect s(db, {.columns = "denom", .from = table});
  s.SetWhere("codice = " + std::to_string(code));
  std::string name;
  DbSelect::LostCharacter lost;
  if (!s.Open() || !s.hasRow) return missing;
  s.ReadTrimmedText(0, name, lost);  // a name never given: empty
  if (refusal.empty()) refusal = RefuseText(row, field, name, lost.code, lost.at);
  return name;
}

// The refusal of the first value of a trip that the file cannot carry as it stands: a text that
// lost a character or holds a control byte, a departure that is no time of day. Empty when none.
std::string TripRefusal(const ContractTrip& t) {
  const std::string row = Format("corsa %ld", t.id);
  const std::pair<const char*, std::string_view> texts[] = {
      {"codcorsa", t.tripCode}, {"codlinea", t.lineCode}, {"verso", std::string_view(&t.direction, 1)}};
  for (const auto& [column, text] : texts) {
    const FieldDef& field = *TripHeadLayout().Field(column);
    const bool lost = t.lostColumn && std::string_view(t.lostColumn) == column;
    std::string refusal =
        lost ? RefuseText(row, field, t.lostText, t.lostCode, t.lostAt) : RefuseText(row, field, text, 0, 0);
    if (!refusal.empty()) return refusal;
  }
  return RefuseValue(row, ExportRecord::TimeMisfit(kDeparture, t.departureTime));
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
  if (period.fault.position >= 0) {
    data.Fail(RefuseFault("dati generali", period.fault, ProtocolLayout().Field(period.fault.column)));
    return data;
  }
  data.ok = true;
  data.periodStart = period.first;
  data.periodEnd = period.last;
  data.company = std::atoi(period.company.c_str());
  // A value the file would show otherwise than stored (a '?', a control byte that splits a line
  // or a field, a time that is none) refuses it, before a file is asked for.
  std::string refusal;
  data.companyName = NameOf(db, "regazi", data.company, "Azienda non definita", kCompanyName,
                            Format("azienda %d", data.company), refusal);
  TripReadFault fault;
  CalendarReadFault calendarFault;
  const ServiceCalendar calendar = ReadServiceCalendar(db, period.first, period.last, &calendarFault);
  if (refusal.empty() && calendarFault.value.position >= 0)
    refusal = RefuseFault("calendario", calendarFault.value, CalendarLayout().Field(calendarFault.value.column));
  if (refusal.empty()) data.trips = ReadContractTrips(db, calendar, progress, &fault);
  if (refusal.empty() && fault.value.position >= 0) {
    // The departure has no field of the trip head's layout of its own here; the others have.
    const std::string& column = fault.value.column;
    const FieldDef* field = column == kDeparture.name ? &kDeparture : TripHeadLayout().Field(column);
    refusal = RefuseFault(TripRowName(column == "id" ? std::string() : std::to_string(fault.trip)), fault.value,
                          field ? field : PeriodLayout().Field(column));
  }
  for (const ContractTrip& t : data.trips) {
    if (!refusal.empty()) break;
    refusal = TripRefusal(t);
    if (!data.authorityNames.count(t.ente))
      data.authorityNames[t.ente] =
          NameOf(db, "regent", t.ente, "Ente non definito", kAuthorityName, Format("ente %d", t.ente), refusal);
  }
  if (!refusal.empty()) {
    data.trips.clear();
    data.authorityNames.clear();
    data.Fail(refusal);
  }
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
