#pragma once
// The conversion of an IVU-InfoPool file set into the region's six files RT_PROTO, RT_CADEN,
// RT_CALEN, RT_HDORA, RT_DTORA and RT_PERIOD. Two steps, so that the command can ask for the
// company code and the output folder in between:
//  - ReadIvuSet reads every file of the folder (names found whatever their letter case), links
//    routes, stops and trips, and checks that every value fits the region's record layouts;
//  - WriteIvuRtFiles writes the six files, all of them or none.

#include "common/Clock.h"
#include "common/ExportFiles.h"
#include "common/Outcome.h"
#include "common/WorkProgress.h"
#include "conversions/ivu/IvuErrors.h"
#include "conversions/ivu/IvuRecords.h"

#include <string>

namespace ivu {

constexpr const char* kIvuSourceCaption = "Importazione Formato IVU - InfoPool";
constexpr const char* kIvuSourceFilter = "File di testo (*.asc)|*.asc|Tutti i files (*.*)|*.*||";
constexpr const char* kIvuStatus = "Analisi Preliminare";
constexpr const char* kIvuOpenCaption = "Importazione dati orari IVU-InfoPool";
constexpr const char* kIvuCreateCaption = "Esportazione dati orari";
constexpr const char* kIvuDamaged =
    "I files proposti per l'importazione degli Orari Corsa dal formato IVU-Infopool\n"
    "risultano danneggiati, corrotti oppure mal generati.\n\n"
    "Vuoi salvare il Report completo degli errori ?";
constexpr const char* kIvuStopped =
    "ATTENZIONE: a causa dell'errore precedente non è stato possibile\n"
    "possibile portare a termine l'importazione dati dal formato IVU";
// The day type of the bit-field mode.
constexpr const char* kUnicaCode = "UNICA";

// Not done (`ok` false) when a file could not be opened or read: `failedPath` names it, the
// messages say so and that the conversion stopped, and nothing else counts. Read, the set may
// still hold faults (`errors`): the command offers their report then.
struct IvuReading : Outcome {
  IvuSet set;
  IvuErrorList errors;
  long lines = 0;        // lines read in all files
  long outputTrips = 0;  // the trips the region's files will hold
};

// Reads and checks the set in `folder` (Windows-1252, no final separator).
IvuReading ReadIvuSet(const std::string& folder, WorkProgress* progress);

// The company dialog's text: the version and the companies' names.
std::string IvuCompanyText(const IvuSet& set);

// The messages: what was done first in a folder where an earlier export had been cut short, or
// where a journal the program did not write was there; when a file could not be created
// (`failedPath`), that and that the conversion stopped. Nothing is told of a success.
struct IvuWriting : Outcome {
  long trips = 0;  // output trips written
  long lines = 0;  // lines of the six files
};

// The six files' names, in the order of their journal.
std::vector<std::string> IvuRtFileNames();

// Writes the six files of a set that ReadIvuSet read without faults. Our note of the folder
// (`watch`) is taken back once a journal of ours there has been obeyed and the folder is whole;
// a journal of another program does not make the note ours to forget.
IvuWriting WriteIvuRtFiles(const IvuReading& reading, int company, const std::string& folder, const ClockTime& today,
                           WorkProgress* progress, const FolderWatch& watch = {});

}  // namespace ivu
