#pragma once
// The region's reference lists that seed every new database: company codes, authority codes,
// localities and municipalities. They are data files read at each seeding (UTF-8 text, one row
// a line, fields separated by ';', '#' lines are comments), so the region's official lists can
// replace them without rebuilding the program.

#include <string>
#include <vector>

// One row of the company or authority codes.
struct RegionCodeRef {
  int codice = 0;
  std::string denom;  // Windows-1252
};

struct LocalityRef {
  int id = 0;
  std::string denom;
  long istat = 0;  // the municipality's ISTAT code; -1 for the locality "not assigned"
};

struct MunicipalityRef {
  std::string comune;
  std::string prov;
  long istat = 0;
};

// File names inside the reference folder.
extern const char* const kCompanyCodesFile;    // "aziende.csv": codice;denom
extern const char* const kAuthorityCodesFile;  // "enti.csv": codice;denom
extern const char* const kLocalitiesFile;      // "localita.csv": id;denom;istat
extern const char* const kMunicipalitiesFile;  // "comuni.csv": istat;comune;prov

// The folder of the reference lists (Windows-1252 path): "<QUENDO_DATA_DIR>/refdata" when that
// environment variable is set; else "<program folder>/../share/quendo/refdata" when it exists
// (an installed program); else the data folder of the source tree the program was built from.
std::string RefDataFolder();

// Each reads one list from `folder`. Codes and ids must be whole numbers, each once; names not
// empty and no longer than their database field. On failure returns false with the reason
// (the file and the line).
bool LoadCompanyCodes(const std::string& folder, std::vector<RegionCodeRef>& out, std::string& error);
bool LoadAuthorityCodes(const std::string& folder, std::vector<RegionCodeRef>& out, std::string& error);
bool LoadLocalities(const std::string& folder, std::vector<LocalityRef>& out, std::string& error);
bool LoadMunicipalities(const std::string& folder, std::vector<MunicipalityRef>& out, std::string& error);
