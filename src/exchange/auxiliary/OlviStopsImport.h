#pragma once
// The import of Olvi stops (FERMATE_OLVI, command 5208, layout in exchange/OlviFiles): every stop
// row of `detcor` whose code is that of a line of the working company takes the line's name and
// location. The whole file is read and checked before anything changes; the codes are bound as
// parameters, so a text holding quotes matches itself.
//
// A line whose company field is not a number (the heading among them) is no stop; a line of
// another company is passed over. Fields missing at the end of a short line are empty. A line of
// the working company whose code, name or location does not fit its field (10, 40, 40 characters,
// trailing blanks not counted), whose name is empty, or whose code, name or location holds a
// control character (a NUL byte among them, which the database would cut the text at), refuses
// the import: nothing is changed.

#include "exchange/auxiliary/AuxiliaryImport.h"

constexpr const char* kOlviStopsImportName = "FERMATE_OLVI";
constexpr const char* kOlviStopsImportTitle = "Importazione Fermate per VurOlvi";
constexpr const char* kNoOlviStopText =
    "Il file proposto non contiene neppure una Fermata Olvi\n"
    "riferibile all'Azienda di Lavoro !!!";

AuxiliaryImportResult RunOlviStopsImport(const AuxiliaryImportOptions& options);
