#include "app/commands/IvuExportCommand.h"

#include "app/commands/InterruptedExports.h"
#include "app/commands/StopGeoreferencing.h"
#include "common/ExportRecovery.h"
#include "conversions/ivu/IvuExport.h"
#include "conversions/ivu/IvuGeoreferencing.h"
#include "dialogs/IvuExportDialog.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

using namespace ivu;

void ExportIvuInfoPool(MainFrame* frame) {
  if (const std::string refusal = IvuMasterRefusal(frame->Database()); !refusal.empty()) {
    ui::MessageBox(refusal, ui::MB_ICONSTOP);
    return;
  }
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
  if (!ui::ShowOutcome(LoadIvuExport(frame->Database(), data, &progress))) {
    frame->Redraw();
    return;
  }
  if (dialog.georeferencing == 1) {
    GeoStopList points;
    // Kept as read: the files round each coordinate to a whole number themselves.
    if (ChooseStopCoordinates(*frame, data.company, false, points, &progress)) PlaceIvuStops(points, data);
  }
  ui::ShowOutcome(WriteIvuExport(data, options, folder.Folder(), &progress, ExportFolderWatch()));
  frame->Redraw();
}
