#pragma once
// The import of Olvi stops (FERMATE_OLVI, command 5208, layout in exchange/OlviFiles): every stop
// row of `detcor` whose code is that of a line of the working company takes the line's name and
// location. The whole file is read and checked before anything changes; the codes are bound as
// parameters, so a text holding quotes matches itself.
//
// The file is checked against what the export writes: every line, whatever its company, is the
// heading or a stop line of the heading's four fields whose company is a number, its code, name
// and location fitting their fields (10, 40, 40 characters, trailing blanks not counted) without a
// control character (a NUL byte among them, which the database would cut the text at). A line
// that is not, one too long for the reader among them, or a line of the working company without a
// name, refuses the import: nothing is changed. A line of another company is then passed over.

#include "exchange/auxiliary/AuxiliaryImport.h"

constexpr const char* kOlviStopsImportName = "FERMATE_OLVI";
constexpr const char* kOlviStopsImportTitle = "Importazione Fermate per VurOlvi";
constexpr const char* kNoOlviStopText =
    "Il file proposto non contiene neppure una Fermata Olvi\n"
    "riferibile all'Azienda di Lavoro !!!";

AuxiliaryImportResult RunOlviStopsImport(const AuxiliaryImportOptions& options);
