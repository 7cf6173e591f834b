#pragma once
// The conversion of a planning tool's stop shapefile (points with a code and a name attribute)
// into the program's stop set RT_NODI, every stop stamped with the working company. HyperPlan and
// MicroBus differ only in the names of the two attributes and in the texts that go with them.
//
// Reading and writing are two steps, so that the command can ask for the output in between.

#include "common/Clock.h"
#include "common/ExportFiles.h"
#include "common/Outcome.h"
#include "common/WorkProgress.h"
#include "conversions/stops/StopList.h"

#include <cstddef>
#include <string>
#include <vector>

struct StopConversionTexts {
  std::string inputCaption;  // the input file dialog's caption
  std::string codeField;     // the code attribute: text of at most 10 characters
  std::string nameField;     // the name attribute: text of at most 100 characters
  std::string codeLine;      // the refusal's line for each attribute
  std::string nameLine;
};
const StopConversionTexts& HyperPlanStopTexts();
const StopConversionTexts& MicroBusStopTexts();

// The output file dialog's caption and default name.
constexpr const char* kStopOutputCaption = "Selezione ShapeFile RT_NODI (output)";

// Why an input is refused: not a point shapefile, or an attribute missing or not as required.
std::string StopRefusalText(const StopConversionTexts& texts);
// The one message that counts the records left out because they are not points (null records).
std::string SkippedStopsText(int skipped);

// The width of RT_NODI's DENOM, in bytes.
constexpr std::size_t kStopNameMax = 40;

// The one message that names the stops whose names were cut to DENOM's 40 bytes: one line
// "l'entità <i> [<code> - <whole name>]\n" each.
std::string CutStopNamesText(const std::vector<std::string>& stops);

// When not ok: the damaged set's fault or the refusal (stop icon); when done with records left
// out, SkippedStopsText, and with names cut, CutStopNamesText (exclamation icons, in that order).
struct StopReading : Outcome {
  int skipped = 0;  // records that are not points (a null record among them), left out
  StopList stops;
};

// Reads the stops of the set of `path` (geometry pass with the progress bar, then attributes). A
// record of another type than points, a damaged record or set (ShapeSetReader), and a code or
// name that RT_NODI cannot take (a control byte, a character Windows-1252 lacks) refuse the whole
// set, naming the file and the records. A name longer than DENOM is cut to its first 40 bytes.
StopReading ReadStopSet(const std::string& path, const StopConversionTexts& texts, WorkProgress* progress);

// When not ok: CompanyTooLongText, or "Impossibile creare\n\n" and the path (exclamation icon).
struct StopWriting : Outcome {};

// Writes the stops as RT_NODI at the base of `path`: company "%d", code, name (the reading cut
// longer names); a company of more than five characters writes nothing.
StopWriting WriteStopSet(const std::string& path, const StopList& stops, int company, const ClockTime& today,
                         const FolderWatch& watch = {});
