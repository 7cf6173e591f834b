#pragma once
// The check of a stop shapefile (RT_NODI) or a route shapefile (RT_ITIN) against the timetable:
// the shapefile's entries of the working company, the timetable's distinct codes and names
// (stops of `detcor`, routes of `tescor`) looked up among them, the verdict with its message and
// the text report of every finding. Codes and names are compared as the Windows-1252 bytes the
// program holds, exactly (case and leading blanks count, trailing blanks do not).
//
// The findings keep the order of the selection: code, then name, in the database's order for
// text, that is by bytes of the stored UTF-8 with trailing blanks ignored: capitals before small
// letters, accented letters after every unaccented one.

#include "common/Clock.h"
#include "common/DirectoryLists.h"
#include "common/Outcome.h"
#include "common/WorkProgress.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class DbDatabase;

enum class ShapeCheckKind { Stops, Routes };

// The findings of one check: the shapefile's entries (`ShapeMatch`, matched 1 once a timetable row
// has the code), found by code through an index that keeps the first entry of each code.
class ShapeFindings {
 public:
  explicit ShapeFindings(ShapeCheckKind kind = ShapeCheckKind::Stops) : kind_(kind) {}

  ShapeCheckKind Kind() const { return kind_; }
  const std::vector<ShapeMatch>& Matches() const { return matches_; }
  const std::vector<std::string>& Missing() const { return missing_; }
  const std::vector<std::string>& Mismatched() const { return mismatched_; }

  void AddShapeEntry(std::string code, std::string name);
  // The first entry in file order with exactly this code (null when none); `sameName` tells
  // whether its name is exactly `name`.
  ShapeMatch* FindByCode(std::string_view code, std::string_view name, bool& sameName);
  // One timetable row: its entry marked matched, or a missing code, or a name difference. A code
  // or name that lost a character Windows-1252 lacks (`codeLost`, `nameLost`: read with '?') is
  // none of the set's, which cannot hold it.
  void CompareRow(const std::string& code, const std::string& name, bool codeLost = false, bool nameLost = false);

  bool NoneMatched() const;
  bool AnyUnmatched() const;

  // Why the timetable could not be compared: a value read that is not of its column's kind
  // (StoredValues); empty when it was compared.
  const std::string& Refusal() const { return refusal_; }
  void Refuse(std::string refusal) { refusal_ = std::move(refusal); }

 private:
  ShapeCheckKind kind_;
  std::vector<ShapeMatch> matches_;
  std::unordered_map<std::string, std::size_t> first_;  // code -> its first entry
  std::vector<std::string> missing_;                    // finished lines, each ending in "\n"
  std::vector<std::string> mismatched_;
  std::string refusal_;
};

// Reading the shapefile: the entries of `company`. A set the reader finds damaged (ShapeSetReader:
// its files disagree, a record is damaged or holds a point that is no place), or one where a code
// or name holds a control byte or a character Windows-1252 lacks (ShapeSetReader::CodeOrName), is
// refused with the reader's message and the line that it must not be sent; a record of another
// type, or a null last record, with the type refusal; a set holding records without a usable
// geometry (null records before the last, lines of fewer than two points), naming each (stop icon).
struct ShapeCheckReading : Outcome {
  ShapeFindings check;
};
ShapeCheckReading ReadShapeCheckSet(ShapeCheckKind kind, const std::string& path, int company, WorkProgress* progress);

// Looks up every distinct (code, name) of the timetable among the entries; stops at a code or name
// that is not a text, refusing the check (ShapeFindings::Refusal) with its trip (and stop).
void CompareWithTimetable(DbDatabase* db, ShapeFindings& check);

// The refusals: A for the fields, B for the shape type, and the one naming the records without a
// usable geometry (`lines`: "l'entità <i> [<code> - <name>]\n" each; five, then an omission).
std::string ShapeFieldsRefusalText(ShapeCheckKind kind);
std::string ShapeTypeRefusalText(ShapeCheckKind kind);
std::string UnusableShapesText(const std::vector<std::string>& lines);

// The verdict's one message: with the stop icon, or the information icon for G. Not ok for C: the
// shapefile must not be sent.
struct ShapeVerdict : Outcome {
  // C no usable entry, D missing, E names differ, F unused entries, G perfect; R the timetable
  // refused (ShapeFindings::Refusal), not ok and no report.
  char letter = 'G';
  bool offersReport = false;  // the message asks, with OK and Cancel, whether to save the report
};
ShapeVerdict JudgeShapeCheck(const ShapeFindings& check);

// The report: default name, dialog caption, and its text (lines ending in CR LF).
const char* ShapeCheckReportName(ShapeCheckKind kind);
constexpr const char* kShapeCheckReportCaption = "Report Errori Riscontrati";
std::string ShapeCheckReportText(const ShapeFindings& check, const std::string& databasePath, const std::string& base,
                                 const ClockTime& now);

// The input dialog's caption and default name.
const char* ShapeCheckInputCaption(ShapeCheckKind kind);
const char* ShapeCheckDefaultName(ShapeCheckKind kind);

// "\n" as CR LF, as a text file is written.
std::string WithCrLf(std::string_view text);
