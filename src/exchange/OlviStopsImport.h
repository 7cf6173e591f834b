#pragma once
// The import of Olvi stops (FERMATE_OLVI, layout in OlviFiles.h): every stop row of `detcor` whose
// code is that of a line of the working company takes the line's name and location. The whole
// file is read and checked before anything changes; the changes are one batch transaction. The
// codes are bound as parameters, so a text holding quotes matches itself.
//
// A line whose company field is not a number (the heading among them) is no stop; a line of
// another company is passed over. Fields missing at the end of a short line are empty. A line of
// the working company whose code, name or location does not fit its field (10, 40, 40 characters,
// trailing blanks not counted), or whose name is empty, refuses the import: nothing is changed.

#include "common/Notices.h"

#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

struct OlviImportMessage {
  std::string text;  // Windows-1252
  NoticeIcon icon = NoticeIcon::Stop;
};

struct OlviStopsImportResult {
  // The boxes to show, in order: the last one is the outcome.
  std::vector<OlviImportMessage> messages;
  int updated = 0;  // stop rows changed (and stored)
};

// `path` is Windows-1252. Without a master row no line is of the working company.
OlviStopsImportResult ImportOlviStopsFile(DbDatabase* db, const std::string& path, WorkProgress* progress = nullptr);

// The open dialog's default name and title.
extern const char* const kOlviStopsImportName;   // "FERMATE_OLVI"
extern const char* const kOlviStopsImportTitle;  // "Importazione Fermate per VurOlvi"
