#pragma once
// The three export commands of the regional exchange files ("&Archivi"): each shows its options
// dialog and the save-file dialog that chooses the folder, runs the export engine with the
// busy clock and the progress bar, and tells the outcome. Cancelling a dialog ends the command
// without a word.

class MainFrame;

// Resource ids of the options dialogs.
constexpr int kTimetableExportDialog = 131;
constexpr int kPeriodTimetableExportDialog = 155;
constexpr int kRenumberedExportDialog = 156;

// "&Esportazione dati (VUR-TXT)": every trip or those of one authority.
void ExportTimetableText(MainFrame* frame);
// "Esportazione &Rinumerazione (VUR-TXT)": the trip ids renumbered from a typed first id.
void ExportTimetableTextRenumbered(MainFrame* frame);
// "&Esportazione dati periodo (VUR-TXT)": a date range inside the reporting period.
void ExportTimetableTextForPeriod(MainFrame* frame);
