#pragma once
// The normalisations of the "&Normalizzazioni" menu: one spelling of a stop, of a line with its
// direction or of a route with its name replaced by another in every trip, and a locality given
// to every row of one stop. Each runs in one batch transaction (utilities/RowBatch.h). The texts
// searched for are values of the selection, never part of its text, so that a text matches only
// itself, letter case included. For a stop an empty or blank text matches a missing (NULL) or blank
// one; a line or route code and a route name are the stored values of the entry chosen: an empty
// one matches NULL only, a single blank a blank text only (the direction: blank or NULL alike).
// A text searched as stored (one that lost a character Windows-1252 lacks) and left in the
// replacement as it reads keeps its stored text: its '?' is not written.

#include "db/DbSelect.h"
#include "utilities/RowBatch.h"

#include <array>
#include <string>

class DbDatabase;
class WorkProgress;

// A stop as the trips' rows spell it: code, name and place, without trailing blanks.
struct StopSpelling {
  std::string code, name, place;
  // As stored, those of the three texts that lost a character Windows-1252 lacks (DbText::stored;
  // empty when the text is whole): a stop chosen from a list finds its own rows.
  std::array<std::string, 3> stored{};
};

// Every `detcor` row spelt `search` gets the three texts of `replacement` (an empty one is
// stored as NULL).
AssignmentResult NormalizeStops(DbDatabase* db, const StopSpelling& search, const StopSpelling& replacement,
                                WorkProgress* progress);

// A line code with its direction ('A', 'R' or a blank).
struct LineAndDirection {
  std::string line;
  char direction = ' ';
  std::array<std::string, 2> stored{};  // as stored, line and direction (as StopSpelling::stored)
};
// Every trip of `search` gets the line and direction of `replacement`.
AssignmentResult NormalizeLineCodes(DbDatabase* db, const LineAndDirection& search, const LineAndDirection& replacement,
                                    WorkProgress* progress);

// A route code with its name.
struct RouteName {
  std::string route, name;
  std::array<std::string, 2> stored{};  // as stored, route and name (as StopSpelling::stored)
};
// Every trip of `search` gets the route and name of `replacement`.
AssignmentResult NormalizeRouteCodes(DbDatabase* db, const RouteName& search, const RouteName& replacement,
                                     WorkProgress* progress);

// Every `detcor` row spelt `stop` gets the locality `locality` (`reglocal`).
AssignmentResult AssignStopLocality(DbDatabase* db, const StopSpelling& stop, int locality);

// The result texts: each result holds its own, or the stop message of a batch the database did not
// take.
std::string StopNormalizationResultText(const AssignmentResult& r);
std::string TripNormalizationResultText(const AssignmentResult& r);
std::string LocalityAssignmentResultText(const AssignmentResult& r);
