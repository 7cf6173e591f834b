#include "app/commands/OlviCommands.h"

#include "db/DbDatabase.h"
#include "exchange/ImportErrors.h"
#include "exchange/OlviExport.h"
#include "platform/Busy.h"
#include "platform/BusyProgress.h"
#include "platform/FileDialog.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

namespace {

void ExportForOlvi(MainFrame* frame, OlviFile file) {
  DbDatabase* db = frame->Database();
  // The company read before the dialog and the rows of the file are one moment of the database.
  DbReadSnapshot snapshot(db);
  std::string refusal;
  const int company = OlviCompany(db, 0, &refusal);
  if (!refusal.empty()) {
    ui::MessageBox(refusal, ui::MB_ICONSTOP);
    return;
  }
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, OlviExportTitle(file), OlviFileName(file), kTextFileFilter, "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  ShowBusy(true);
  BusyProgress busy;
  ui::ShowOutcome(ExportOlviFile(db, file, company, dialog.Path(), &busy));
}

}  // namespace

void ExportStopsForOlvi(MainFrame* frame) { ExportForOlvi(frame, OlviFile::Stops); }

void ExportRoutesForOlvi(MainFrame* frame) { ExportForOlvi(frame, OlviFile::Routes); }
