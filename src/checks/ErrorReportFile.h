#pragma once
// The text report of the data error check ("ERR_" and the company's letters and digits): the
// framed heading with the moment, the company and period, the database and the options of the
// check (or the consent line), then one line "ID=%ld SUB=%d %s" per error row. Windows-1252,
// lines ending in CR LF.

#include "checks/DataErrorCheck.h"
#include "common/Clock.h"
#include "common/Outcome.h"

#include <string>
#include <vector>

// The name the save dialog proposes: "ERR_" followed by `fileTag`.
std::string ErrorReportDefaultName(const std::string& fileTag);

// The whole text of the report. `subtitle` is the company line ("Azienda ... [periodo ...]").
std::string ErrorReportText(const std::vector<ErrorRow>& rows, const ErrorCheckOptions& options,
                            const std::string& subtitle, const std::string& databasePath, const ClockTime& now);

// Writes the report to `path` whole or not at all (a file already there keeps its content when the
// new one cannot be written). Not written, the outcome holds "Impossibile creare" with the path.
Outcome WriteErrorReport(const std::string& path, const std::vector<ErrorRow>& rows, const ErrorCheckOptions& options,
                         const std::string& subtitle, const std::string& databasePath, const ClockTime& now);

// The save dialog's title and filter.
constexpr const char* kErrorReportTitle = "Report Errori Riscontrati";
constexpr const char* kErrorReportFilter = "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";
