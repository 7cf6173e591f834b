// The import of RT_CADEN.TXT and its error report.
#include "FuzzSupport.h"
#include "ImportFuzz.h"

QUENDO_IMPORT_TARGET(ImportKind::Cadences)
