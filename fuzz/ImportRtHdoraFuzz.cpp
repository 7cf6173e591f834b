// The import of RT_HDORA.TXT and its error report.
#include "FuzzSupport.h"
#include "ImportFuzz.h"

QUENDO_IMPORT_TARGET(ImportKind::TripHeads)
