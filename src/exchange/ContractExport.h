#pragma once
// The contract export ("export Contratti (&txt/tab)"): a tab-separated text for a spreadsheet that
// lists, for the working period of `master`, every trip with validity periods, grouped by granting
// authority and by line and direction, with its head data, its days of operation in the period
// and the contractual kilometres and time those days add up to. No timestamp: the same database
// gives the same bytes. Lines end in CR LF, texts are Windows-1252, fields are separated by TAB.
//
// The data are read first (before the file is chosen); the file is then written whole beside its
// name and renamed into place, or not at all.

#include "common/Outcome.h"
#include "db/ContractTrips.h"

#include <map>
#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

// Done when the master row was found; otherwise kContractExportNoMaster (stop icon).
struct ContractExportData : Outcome {
  std::string periodStart, periodEnd;  // "GG/MM/AAAA"
  int company = 0;
  std::string companyName;  // or "Azienda non definita"
  std::vector<ContractTrip> trips;
  std::map<int, std::string> authorityNames;  // "Ente non definito" for a code not in `regent`
};

// Reads what the file lists, in one moment of the database. Without a master row nothing is read.
ContractExportData ReadContractExport(DbDatabase* db, WorkProgress* progress);

// The lines of the file, without their ends.
std::vector<std::string> ContractExportLines(const ContractExportData& data);

// The contractual time over the days of operation: "00h %02d'" under an hour, else "%dh %02d'".
std::string PeriodTimeText(long minutes);

// Done: the file is in place, told by ContractExportDoneText. Otherwise "Impossibile creare" and
// the file (a warning, `failedPath`).
struct ContractExportResult : Outcome {
  int tripLines = 0;  // lines of trips written
};

// Writes the file at `path` (Windows-1252): whole, or nothing (the file there before keeps its
// content).
ContractExportResult WriteContractExport(const ContractExportData& data, const std::string& path);

// The texts of the results.
extern const char* const kContractExportNoMaster;   // "ERRORE BLOCCANTE: Il MASTER non è definito !!!"
std::string ContractExportDoneText(int tripLines);  // "Inserite %d righe in Contratti"
