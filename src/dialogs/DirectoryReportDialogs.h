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

// The directories whose options are only "Anteprima di stampa" (the default) or "Stampa".
enum class DirectoryList {
  Stops,           // "Rubrica Fermate (normalizzate)": the stops and their normalisation errors
  StopLocalities,  // "Rubrica Fermate (Località)"
  Routes,          // "Rubrica Percorsi (normalizzati)": the routes and their normalisation errors
  Lines,           // "Rubrica Linee (normalizzate)"
  Termini,         // "Rubrica Capolinea"
  TripChains,      // "Rubrica Concatenazioni Corse"
};

// "Anteprima di stampa" (the default) or "Stampa", under the directory's title.
class DirectoryOutputDialog : public ReportOptionsDialog {
 public:
  int preview = 1, print = 0;

 protected:
  DirectoryOutputDialog(QWidget* parent, int idd, DirectoryList list);
};

// The options dialog of one directory.
template <DirectoryList kList>
class DirectoryListDialog : public DirectoryOutputDialog {
 public:
  DirectoryListDialog(QWidget* parent, int idd) : DirectoryOutputDialog(parent, idd, kList) {}
};

using StopListDialog = DirectoryListDialog<DirectoryList::Stops>;
using StopLocalityListDialog = DirectoryListDialog<DirectoryList::StopLocalities>;
using RouteListDialog = DirectoryListDialog<DirectoryList::Routes>;
using LineListDialog = DirectoryListDialog<DirectoryList::Lines>;
using TerminusListDialog = DirectoryListDialog<DirectoryList::Termini>;
using TripChainListDialog = DirectoryListDialog<DirectoryList::TripChains>;

// "Analisi Fermate Primarie": "Anteprima di stampa" (the default), "Stampa" or "Report Txt".
class PrimaryStopAnalysisDialog : public ReportOptionsDialog {
 public:
  PrimaryStopAnalysisDialog(QWidget* parent, int idd);

  int preview = 1, print = 0, textReport = 0;
};
