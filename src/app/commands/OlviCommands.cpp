#include "app/commands/OlviCommands.h"

#include "common/WholeFile.h"
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
  const int company = OlviCompany(db);
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, OlviExportTitle(file), OlviFileName(file), kTextFileFilter, "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  ShowBusy(true);
  BusyProgress busy;
  const OlviExportText text =
      file == OlviFile::Stops ? MakeOlviStops(db, company, &busy) : MakeOlviRoutes(db, company, &busy);
  int lines = 0;
  if (text.refusal == OlviRefusal::None) {
    if (!WriteWholeFile(dialog.Path(), text.bytes)) {
      ui::MessageBox("Impossibile creare\n\n" + dialog.Path(), ui::MB_ICONEXCLAMATION);
      return;
    }
    lines = text.lines;
  } else if (text.refusal != OlviRefusal::ReadFailed) {
    ui::MessageBox(OlviRefusalText(file, text.refusal), ui::MB_ICONSTOP);
  }
  ui::MessageBox(OlviExportDoneText(file, lines), ui::MB_ICONINFORMATION);
}

}  // namespace

void ExportStopsForOlvi(MainFrame* frame) { ExportForOlvi(frame, OlviFile::Stops); }

void ExportRoutesForOlvi(MainFrame* frame) { ExportForOlvi(frame, OlviFile::Routes); }
