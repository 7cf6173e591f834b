#pragma once
// The options of the quadro timetables in print: "Rubrica Corse" (every quadro or a range of
// quadro numbers) and "Rubrica Quadri Linea" (every line or a range of line codes), whether the
// optional stops and the stops not served are printed, and preview or print. The two stop
// options hold each other: clearing "Includo Facoltative" clears "Includo non effettuate", and
// setting "Includo non effettuate" sets "Includo Facoltative".

#include "dialogs/ReportOptionsDialog.h"

#include <string>

// Control ids (the same in both dialogs).
namespace quadro_dialog {
constexpr int kWhole = 1088;
constexpr int kFrom = 1090;
constexpr int kTo = 1092;
constexpr int kPreview = 1094;
constexpr int kPrint = 1096;
constexpr int kOptional = 1085;
constexpr int kNotServed = 1087;
}  // namespace quadro_dialog

class QuadroListDialog : public ReportOptionsDialog {
 public:
  int whole = 1;
  int preview = 1, print = 0;
  int includeOptional = 1, includeNotServed = 0;

 protected:
  QuadroListDialog(QWidget* parent, int idd, const char* caption, const char* wholeLabel, const char* fromLabel,
                   const char* toLabel, int limit);
  // The two range texts as typed (empty for the whole selection).
  bool ReadRange(std::string& from, std::string& to);
};

// "Rubrica Corse": "Stampo tutti i quadri", or "Dal quadro" / "Al quadro" read as whole numbers
// (EntryRules: digits only, the empty text 0); a text that is not one is refused.
class TripListDialog : public QuadroListDialog {
 public:
  TripListDialog(QWidget* parent, int idd);
  long fromGroup = -1, toGroup = -1;

 protected:
  void OnOK() override;
  friend struct NumberEntry;
};

// "Rubrica Quadri Linea": "Stampo tutte le linee", or "Dalla linea" / "Alla linea" as typed.
class LineTableListDialog : public QuadroListDialog {
 public:
  LineTableListDialog(QWidget* parent, int idd);
  std::string fromLine, toLine;

 protected:
  void OnOK() override;
};
