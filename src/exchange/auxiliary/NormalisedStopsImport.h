#pragma once
// The import of normalised stops (FERMATE_NORMALIZZATE.TXT, command 5162): every stop row of the
// timetable with a line's code, name and location takes as `reglocal` the locality whose name
// (letter case counts) and ISTAT code are the line's. The lines are read with the layout the
// export writes them by (exchange/NormalStopsLayout).

#include "exchange/auxiliary/AuxiliaryImport.h"

// Said after kNoWorkingCompanyText when there is no master row.
constexpr const char* kNormalStopsNoCompanyText = "L'assegnazione delle fermate normalizzate non risulta possibile.";
constexpr const char* kNoNormalStopText =
    "Il file proposto non contiene neppure una Fermata Normalizzata\n"
    "riferibile all'Azienda di Lavoro !!!";

// Lines that are not stops (the heading, a company or ISTAT code that is not a number) and lines
// of other companies are skipped. An empty code or location matches a stop row where it is empty
// (NULL or blank); every text searched for is bound as a parameter.
AuxiliaryImportResult RunNormalisedStopsImport(const AuxiliaryImportOptions& options);
