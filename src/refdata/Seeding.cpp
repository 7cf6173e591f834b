#include "refdata/Seeding.h"

#include "common/Notices.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "refdata/RefData.h"

#include <cstdio>
#include <unordered_map>

namespace {

void ReportList(const std::string& error) {
  Notify("Errore lettura dati di riferimento\n\n" + error, NoticeIcon::Exclamation, "Creazione database");
}

std::string Number(long value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%ld", value);
  return buffer;
}

// A refused row ends the table's seeding and undoes what was written of it.

// Writes the code list into `regazi` or `regent`.
int FillCodeTable(DbDatabase* db, const char* tableName, const std::vector<RegionCodeRef>& rows) {
  DbBatch batch(db);
  if (!batch.Active()) return 0;
  DbTable table(db, tableName);
  if (!table.isOpen || !table.SetIndex("codice")) return 0;
  for (const RegionCodeRef& row : rows) {
    if (!table.AddNew() || !table.SetFieldText("codice", Number(row.codice)) ||
        !table.SetFieldText("denom", row.denom) || !table.Update()) {
      batch.Rollback();
      return 0;
    }
  }
  return batch.Commit();
}

}  // namespace

int FillRegaziTable(DbDatabase* db) { return FillRegaziTable(db, RefDataFolder()); }
int FillRegentTable(DbDatabase* db) { return FillRegentTable(db, RefDataFolder()); }
int FillLocalityTable(DbDatabase* db) { return FillLocalityTable(db, RefDataFolder()); }

int FillRegaziTable(DbDatabase* db, const std::string& folder) {
  std::vector<RegionCodeRef> rows;
  std::string error;
  if (!LoadCompanyCodes(folder, rows, error)) {
    ReportList(error);
    return 0;
  }
  return FillCodeTable(db, "regazi", rows);
}

int FillRegentTable(DbDatabase* db, const std::string& folder) {
  std::vector<RegionCodeRef> rows;
  std::string error;
  if (!LoadAuthorityCodes(folder, rows, error)) {
    ReportList(error);
    return 0;
  }
  return FillCodeTable(db, "regent", rows);
}

int FillLocalityTable(DbDatabase* db, const std::string& folder) {
  std::vector<LocalityRef> localities;
  std::vector<MunicipalityRef> municipalities;
  std::string error;
  if (!LoadLocalities(folder, localities, error) || !LoadMunicipalities(folder, municipalities, error)) {
    ReportList(error);
    return 0;
  }
  std::unordered_map<long, const MunicipalityRef*> byIstat;
  for (const MunicipalityRef& m : municipalities) byIstat.emplace(m.istat, &m);

  DbBatch batch(db);
  if (!batch.Active()) return 0;
  DbTable table(db, "local");
  if (!table.isOpen || !table.SetIndex("codice")) return 0;
  for (const LocalityRef& locality : localities) {
    const auto found = byIstat.find(locality.istat);
    const std::string comune = found != byIstat.end() ? found->second->comune : " ";
    const std::string prov = found != byIstat.end() ? found->second->prov : " ";
    if (!table.AddNew() || !table.SetFieldText("id", Number(locality.id)) ||
        !table.SetFieldText("istat", Number(locality.istat)) || !table.SetFieldText("denom", locality.denom) ||
        !table.SetFieldText("comune", comune) || !table.SetFieldText("prov", prov) || !table.Update()) {
      batch.Rollback();
      return 0;
    }
  }
  return batch.Commit();
}

int SeedReferenceTables(DbDatabase* db) { return FillRegaziTable(db) && FillRegentTable(db) && FillLocalityTable(db); }

CreateOutcome CreateSeededDatabase(const std::string& path, CreateMode mode) {
  return CreateTimetableDatabase(path, mode, SeedReferenceTables);
}
