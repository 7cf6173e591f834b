// The import of RT_PROTO.TXT and its error report.
#include "FuzzSupport.h"
#include "ImportFuzz.h"

QUENDO_IMPORT_TARGET(ImportKind::Protocol)
