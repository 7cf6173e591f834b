#include "app/commands/StopGeoreferencing.h"

#include "conversions/georeferencing/Georeferencing.h"
#include "platform/FileDialog.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

namespace {

constexpr const char* kGeoCaption = "Recupero Georeferenziazione Fermate";

constexpr const char* kGeoNotChosen =
    "ATTENZIONE: la georeferenziazione delle fermate è fallita.\n\n"
    "Non è stato indicato lo ShapeFile contenente le coordinate\n"
    "geografiche delle fermate.\n"
    "Pertanto la comunicazione verrà generata senza attribuire la\n"
    "georeferenziazione alle fermate.";

}  // namespace

bool ChooseStopCoordinates(MainFrame& frame, int company, bool roundToCents, GeoStopList& list,
                           WorkProgress* progress) {
  if (progress) progress->End();
  ui::FileDialog dialog(ui::FileDialog::Mode::Open, kGeoCaption, "RT_NODI",
                        "ShapeFile (*.shp)|*.shp|Tutti i files (*.*)|*.*||", "SHP");
  if (dialog.DoModal() != ui::IDOK) {
    ui::MessageBox(kGeoNotChosen, ui::MB_ICONSTOP);
    return false;
  }
  frame.ShowStatusBand(kGeoCaption);  // once the set is chosen: the band tells the work
  const GeoreferenceResult read = GeoreferenceStops(dialog.Path(), list, company, roundToCents, progress);
  if (!read.ok) list.Clear();
  return ui::ShowOutcome(read);
}
