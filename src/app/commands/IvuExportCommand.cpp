#include "app/commands/IvuExportCommand.h"

#include "app/commands/InterruptedExports.h"
#include "app/commands/StopGeoreferencing.h"
#include "conversions/ivu/IvuExport.h"
#include "conversions/ivu/IvuGeoreferencing.h"
#include "dialogs/IvuExportDialog.h"
#include "exchange/ExportRecovery.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

using namespace ivu;

namespace {
constexpr const char* kCaption = "Esportazione dati orari";
}  // namespace

void ExportIvuInfoPool(MainFrame* frame) {
  IvuExportDialog dialog(frame, kIvuExportDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  IvuExportOptions options;
  options.sigla = dialog.sigla;
  options.version = dialog.version;
  options.description = dialog.description;
  options.mode = dialog.mode;

  ui::FileDialog folder(ui::FileDialog::Mode::Save, "Esportazione Formato IVU - InfoPool", "FILES",
                        "File di testo (*.asc)|*.asc|Tutti i files (*.*)|*.*||", "ASC");
  if (folder.DoModal() != ui::IDOK) return;

  ShowBusy(true);
  FrameProgress progress(frame);
  IvuExportData data;
  std::string refusal;
  if (!LoadIvuExport(frame->Database(), data, refusal, &progress)) {
    ui::MessageBox(refusal, ui::MB_ICONSTOP);
    frame->Redraw();
    return;
  }
  if (dialog.georeferencing == 1) {
    GeoStopList points;
    // Kept as read: the files round each coordinate to a whole number themselves.
    if (ChooseStopCoordinates(*frame, data.company, false, points, &progress)) PlaceIvuStops(points, data);
  }
  // An earlier export cut short in this folder is put in order first, and the user is told what was
  // done; a folder that cannot be put in order gets nothing new.
  const std::string out = folder.Folder();
  const FolderWatch watch = ExportFolderWatch();
  const FolderRecovery recovery = RecoverExportFolder(out, watch);
  ui::ShowOutcome(recovery);
  if (recovery.outcome == FolderRecovery::kFailed) {
    ui::MessageBox(kIvuExportStopped, ui::MB_ICONSTOP);
    frame->Redraw();
    return;
  }
  if (recovery.outcome != FolderRecovery::kWhole) watch.note(out, {});
  const IvuExportWriting writing = WriteIvuExport(data, options, out, &progress, watch);
  if (!writing.ok) {
    ui::MessageBox("Impossibile creare\n\n" + writing.failedPath, ui::MB_ICONEXCLAMATION, kCaption);
    ui::MessageBox(kIvuExportStopped, ui::MB_ICONSTOP);
    frame->Redraw();
    return;
  }
  ui::MessageBox(kIvuExportDone, ui::MB_ICONINFORMATION);
  frame->Redraw();
}
