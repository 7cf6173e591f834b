#pragma once
// The layout of the region's tagged communication file (VUR-TXT v2), the one definition that the
// writer and the reader of the reference base share: the protocol block, the seven sections with
// their counter names, tags and field counts, the formats of times and numbers, and the check
// value. Also the layouts of the two return flows written with it (RT_IDREG, RT_FMREG).
//
// Lines are Windows-1252 text formatted with a single LF (CR LF on the disk); the check value of
// a line is computed over the line as formatted, with its LF and without a CR.

#include "exchange/RecordLayouts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vurtxt {

constexpr const char* kProtocolOpen = "<protocollo>";
constexpr const char* kProtocolClose = "</protocollo>";
constexpr int kFormatVersion = 1;  // the digit after "<protocollo>"
constexpr int kProtocolFields = 9;
constexpr long kCheckModulo = 1000000000L;

// The first letter of the protocol line.
constexpr char kFirstLetter = 'S';
constexpr char kIncrementalLetter = 'N';
constexpr char kBaseLetter = 'R';

enum Section { kStops, kArcs, kItineraryHeads, kItineraryRows, kRuns, kStopTimes, kDays, kSectionCount };
// The sections a reference base holds: every one but the days.
constexpr int kBaseSectionCount = kDays;

struct SectionDef {
  const char* counter;  // "FERMATE": the protocol block's counter line, followed by a TAB
  const char* tag;      // "fermate": "<fermate>" opens the section, "</fermate>" closes it
  int fields;           // fields of a row; the day rows have at least 3
};
const SectionDef& SectionOf(int section);

// The time written for "no time"; the editors' empty mark (-1, a time not typed yet) counts as
// such. Any other time is written only when it is one of the regional files (TimeFits).
constexpr int kNoTime = 9999;
constexpr int kEmptyTime = -1;
inline int TimeOrNone(int hhmm) { return hhmm == kEmptyTime ? kNoTime : hhmm; }

// Appends a whole number in decimal, without padding.
void AppendNumber(std::string& out, long value);
// Appends a time of day "HH.MM" (hours hhmm / 100, minutes hhmm % 100, each at least two digits).
void AppendTime(std::string& out, int hhmm);
// Appends a coordinate with two decimals and a decimal point ("%1.2f").
void AppendCoordinate(std::string& out, double value);

// The line sum: the bytes as signed 8-bit values, TAB and LF left out.
long LineChecksum(std::string_view line);
// The running check value after one more line: (line sum + running) modulo 10^9, truncating.
inline long AddLine(long running, std::string_view line) {
  return static_cast<long>((static_cast<std::int64_t>(LineChecksum(line)) + running) % kCheckModulo);
}

// The readers of the fields of a row. Each takes a field only as the writer above writes it, so
// that a value read is the value written and is written back the same: anything else (a sign or
// a leading zero the writer does not write, a NUL, more digits than a 32-bit number holds, "nan",
// an exponent) is not a value of the file and gives false.
// A whole number "%ld" of 32 bits.
bool ReadNumber(std::string_view field, long& out);
// A time "HH.MM" as HHMM: hours 00 to 23 and minutes 00 to 59, or 99.99 (no time).
bool ReadTime(std::string_view field, int& hhmm);
// A coordinate "%1.2f", finite; or the same with a decimal comma, as an earlier build wrote it
// under an Italian locale.
bool ReadCoordinate(std::string_view field, double& out);

// RT_IDREG: one line per company trip, 63 characters when every value fits its width. The same
// fields serve the communication that writes it and the import of the regional trip numbers
// (command 5204) that reads it back.
enum IdRegField {
  kIdRegCompany,     // 4 digits
  kIdRegTrip,        // the company's trip id, 6 digits
  kIdRegRun,         // the regional trip number (the run), 6 digits
  kIdRegLine,        // line code, 10, blank-filled
  kIdRegDirection,   // 'A' or 'R'
  kIdRegRoute,       // route code, 20, blank-filled
  kIdRegTripLength,  // metres, 8 digits
  kIdRegDeparture,   // HHMM
  kIdRegArrival,     // HHMM
};
const RecordLayout& IdRegLayout();

struct IdRegLine {
  int company = 0;
  long tripId = 0;
  long runNumber = 0;
  std::string lineCode;
  char direction = 0;  // 0: a blank
  std::string routeCode;
  long length = 0;
  int departure = 0, arrival = 0;  // HHMM; the empty mark -1 is written 9999
};
std::string FormatIdRegLine(const IdRegLine& line);
constexpr int kIdRegLength = 63;
// A line read back: false unless it is kIdRegLength bytes long and its number fields hold
// numbers (digits; the trip numbers and the length may stand right-aligned after blanks). The
// codes lose their trailing blanks.
bool ReadIdRegLine(std::string_view text, IdRegLine& line);

// RT_FMREG: one line per georeferenced stop, 44 characters when every value fits its width.
std::string FormatFmRegLine(int company, const std::string& stopCode, long record, double x, double y);
constexpr int kFmRegLength = 44;

}  // namespace vurtxt
