#pragma once
// The import of trip chains (RT_CHAIN, command 5173): each line of the working company names a
// trip and the trip that follows it; the first gets `nextcor`, the second `prevcor`, and a trip
// that either of them was chained to before loses its link back to it.

#include "exchange/auxiliary/AuxiliaryImport.h"

constexpr const char* kChainFormatText =
    "Il file proposto presenta un formato illegale, oppure non\n"
    "contiene neppure una Concatenazione Corse riferibile\n"
    "all'Azienda di Lavoro !!!";
constexpr const char* kNoChainText =
    "Il file proposto non contiene neppure una Concatenazione Corse\n"
    "riferibile all'Azienda di Lavoro !!!";

// A line of another length, of another company or whose numbers are not numbers refuses the
// whole file (kChainFormatText): nothing is applied. A pair that chains a trip to itself, names a trip that is not
// there, or contradicts another line (a trip with two following or two preceding trips) is
// refused, the lines listed in one message; the others are applied in file order, every row
// written counted.
AuxiliaryImportResult RunChainImport(const AuxiliaryImportOptions& options);
