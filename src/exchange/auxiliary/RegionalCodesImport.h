#pragma once
// The import of the return flow of regional trip numbers (RT_IDREG, command 5204): a trip whose
// line code, direction, route code, length, departure and arrival agree with its line takes the
// line's regional trip number as `reglinea`. The lines are read with the layout the communication
// writes them by (exchange/communication/VurTxtLayout).

#include "exchange/auxiliary/AuxiliaryImport.h"

constexpr const char* kIdRegFormatText =
    "Il file proposto presenta un formato illegale, oppure non\n"
    "contiene neppure un Flusso di Ritorno riferibile\n"
    "all'Azienda di Lavoro !!!";

// The whole file is checked before anything changes: a line of another length, of another
// company or whose numbers are not numbers, or a file without lines, gives kIdRegFormatText and
// no trip is changed. Otherwise a trip not found or that differs in any of the six values is left
// as it is, and the count of the trips given their number is said. No progress bar: the busy
// clock only.
AuxiliaryImportResult RunRegionalCodesImport(const AuxiliaryImportOptions& options);
