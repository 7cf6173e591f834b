#pragma once
// The exports for the Olvi GIS, FERMATE_OLVI and PERCORSI_OLVI (layouts in OlviFiles.h): the
// file's bytes made from the database, or the reason it is refused. Olvi knows a stop (a route) by
// its company code alone, so a stop (route) without a code, or a code that stands for two stops
// (routes), refuses the whole file. The bytes are written whole (common/WholeFile) only after the
// check, so a refusal leaves a file already there as it was.

#include "common/Outcome.h"

#include <string>

class DbDatabase;
class WorkProgress;

enum class OlviFile { Stops, Routes };

enum class OlviRefusal {
  None,
  NoRows,         // no stop row (no trip) at all
  MissingCode,    // a stop (route) whose code is empty or blank
  DuplicateCode,  // one code with two names or locations (two names)
  ReadFailed,     // the database could not be read (the database layer has said why)
  LostText,       // a text the file cannot carry: a character Windows-1252 lacks (shown as '?'), a control byte
};

// Done when the file was not refused (and, by ExportOlviFile, written). A refusal is told (stop
// icon) but for ReadFailed, which the database layer has told.
struct OlviExportText : Outcome {
  OlviRefusal refusal = OlviRefusal::None;
  std::string bytes;        // the whole file, each line ended by CR LF
  int lines = 0;            // the lines the closing message counts: stops; route heads and their stops
  std::string textRefusal;  // LostText: the refusal, naming the trip, the stop and the field
};

// The working company (`master.azienda`); `withoutMaster` when there is no master row. With
// `refusal`, a company stored as another kind than its column's is refused there, naming it.
int OlviCompany(DbDatabase* db, int withoutMaster = 0, std::string* refusal = nullptr);

// FERMATE_OLVI: the heading, then one line per distinct stop (code, name, location) of the stop
// rows, in the order of code, name and location; texts that differ only by trailing blanks, or an
// absent text and an empty one, are the same.
OlviExportText MakeOlviStops(DbDatabase* db, int company, WorkProgress* progress = nullptr);

// PERCORSI_OLVI: between its markers, for each route code in order, one head line (with the name
// and the smallest length of its trips) and the distinct stop rows (number, distance, code, name,
// location) of its trips, in the order of length, number, distance, code, name and location. A
// route whose trips have no stop rows is not written. The check is of the trips' codes and names.
OlviExportText MakeOlviRoutes(DbDatabase* db, int company, WorkProgress* progress = nullptr);

// The file made and written at `path`. After a refusal, or "Impossibile creare" and the path (a
// warning, and nothing more) when the file cannot be written, the closing message
// (OlviExportDoneText, no line unless written).
OlviExportText ExportOlviFile(DbDatabase* db, OlviFile file, int company, const std::string& path,
                              WorkProgress* progress = nullptr);

// The file's name, proposed in the save dialog and told in the messages.
const char* OlviFileName(OlviFile file);  // "FERMATE_OLVI", "PERCORSI_OLVI"
// The save dialog's title: "Esportazione FERMATE_OLVI", "Esportazione PERCORSI_OLVI".
std::string OlviExportTitle(OlviFile file);
// The message of a refusal (stop icon).
std::string OlviRefusalText(OlviFile file, OlviRefusal refusal);
// The closing message: "Inserite %d righe in FERMATE_OLVI" (PERCORSI_OLVI).
std::string OlviExportDoneText(OlviFile file, int lines);
