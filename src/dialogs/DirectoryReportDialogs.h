#pragma once
// The options of the directories of stops, routes, lines, termini and trip chains, and of the
// primary-stop analysis: whether the report is previewed or printed (or, for the analysis,
// written as a text report).

#include "dialogs/ReportOptionsDialog.h"

// Control ids.
namespace directory_dialog {
// The stop directories (132, 146) and the primary-stop analysis (157).
constexpr int kStopPreview = 1127;
constexpr int kStopPrint = 1128;
constexpr int kTextReport = 1201;
// The route, line, terminus and trip-chain directories (133, 137, 138, 151).
constexpr int kListPreview = 1129;
constexpr int kListPrint = 1130;
}  // namespace directory_dialog

// "Anteprima di stampa" (the default) or "Stampa".
class DirectoryOutputDialog : public ReportOptionsDialog {
 public:
  int preview = 1, print = 0;

 protected:
  DirectoryOutputDialog(QWidget* parent, int idd, const char* caption, int previewId, int printId);
};

// "Rubrica Fermate (normalizzate)": the stops and their normalisation errors.
class StopListDialog : public DirectoryOutputDialog {
 public:
  StopListDialog(QWidget* parent, int idd);
};

// "Rubrica Fermate (Località)".
class StopLocalityListDialog : public DirectoryOutputDialog {
 public:
  StopLocalityListDialog(QWidget* parent, int idd);
};

// "Rubrica Percorsi (normalizzati)": the routes and their normalisation errors.
class RouteListDialog : public DirectoryOutputDialog {
 public:
  RouteListDialog(QWidget* parent, int idd);
};

// "Rubrica Linee (normalizzate)".
class LineListDialog : public DirectoryOutputDialog {
 public:
  LineListDialog(QWidget* parent, int idd);
};

// "Rubrica Capolinea".
class TerminusListDialog : public DirectoryOutputDialog {
 public:
  TerminusListDialog(QWidget* parent, int idd);
};

// "Rubrica Concatenazioni Corse".
class TripChainListDialog : public DirectoryOutputDialog {
 public:
  TripChainListDialog(QWidget* parent, int idd);
};

// "Analisi Fermate Primarie": "Anteprima di stampa" (the default), "Stampa" or "Report Txt".
class PrimaryStopAnalysisDialog : public ReportOptionsDialog {
 public:
  PrimaryStopAnalysisDialog(QWidget* parent, int idd);

  int preview = 1, print = 0, textReport = 0;
};
