// The import of RT_CALEN.TXT and its error report.
#include "FuzzSupport.h"
#include "ImportFuzz.h"

QUENDO_IMPORT_TARGET(ImportKind::Calendar)
