#pragma once
// FERMATE_NORMALIZZATE.TXT, the list of normalised stops: the one definition of its lines for the
// export that writes it and the import of normalised stops (command 5162) that reads it back.
//
// Windows-1252 text, lines ended by CR LF, fields separated by one TAB, no quoting. A heading line
// first, then one line per stop and locality: the company (decimal, no padding), the stop code,
// name and location (trailing blanks cut, an absent text empty), the locality's ISTAT code (six
// digits, zero-padded) and the locality's name.

#include <string>
#include <string_view>

constexpr const char* kNormalStopsName = "FERMATE_NORMALIZZATE.TXT";
constexpr const char* kNormalStopsDefaultName = "FERMATE_NORMALIZZATE";
constexpr const char* kNormalStopsHeader = "Azienda\tFermata\tDenominazione\tUbicazione\tIstat\tLocalita";

// One stop line, read back.
struct NormalStopLine {
  long company = 0;
  std::string code, name, place;
  long istat = 0;
  std::string locality;
};

// A stop line, without its line end: "%d\t%s\t%s\t%s\t%06ld\t%s".
std::string FormatNormalStopLine(long company, std::string_view code, std::string_view name, std::string_view place,
                                 long istat, std::string_view locality);

// Cuts a line at its TABs into the six fields, taken as they are (not trimmed); fields that a
// short line lacks are empty, an absent ISTAT code 0, and anything after a sixth TAB belongs to
// the locality's name. False when the line is no stop: its company is not a number (so the
// heading line never is one, whatever the working company), or its ISTAT code is there and is
// not one. A number is decimal digits, at most nine.
bool ReadNormalStopLine(std::string_view text, NormalStopLine& line);
