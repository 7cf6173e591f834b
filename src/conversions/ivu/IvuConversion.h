#pragma once
// The conversion of an IVU-InfoPool file set into the region's six files RT_PROTO, RT_CADEN,
// RT_CALEN, RT_HDORA, RT_DTORA and RT_PERIOD. Two steps, so that the command can ask for the
// company code and the output folder in between:
//  - ReadIvuSet reads every file of the folder (names found whatever their letter case), links
//    routes, stops and trips, and checks that every value fits the region's record layouts;
//  - WriteIvuRtFiles writes the six files, all of them or none.

#include "common/Clock.h"
#include "common/ExportFiles.h"
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

struct IvuReading {
  // False when a file could not be opened or read: `failedPath` names it, nothing else counts.
  bool opened = false;
  std::string failedPath;
  IvuSet set;
  IvuErrorList errors;
  long lines = 0;        // lines read in all files
  long outputTrips = 0;  // the trips the region's files will hold
};

// Reads and checks the set in `folder` (Windows-1252, no final separator).
IvuReading ReadIvuSet(const std::string& folder, WorkProgress* progress);

// The company dialog's text: the version and the companies' names.
std::string IvuCompanyText(const IvuSet& set);

struct IvuWriting {
  bool ok = false;
  std::string failedPath;  // the file that could not be created
  long trips = 0;          // output trips written
  long lines = 0;          // lines of the six files
  // An earlier export into the folder had been cut short, or a journal the program did not write
  // was there: what was done before this one (a message for the user), or empty.
  std::string recovery;
};

// Writes the six files of a set that ReadIvuSet read without faults.
IvuWriting WriteIvuRtFiles(const IvuReading& reading, int company, const std::string& folder, const ClockTime& today,
                           WorkProgress* progress, const FolderWatch& watch = {});

}  // namespace ivu
