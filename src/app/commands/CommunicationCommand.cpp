#include "app/commands/CommunicationCommand.h"

#include "app/commands/ErrorCheckCommand.h"
#include "app/commands/InterruptedExports.h"
#include "app/commands/StopGeoreferencing.h"
#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "dialogs/CommunicationOptionsDialog.h"
#include "exchange/communication/BaseReader.h"
#include "exchange/communication/CommunicationPasses.h"
#include "exchange/communication/CommunicationWriter.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "reports/ErrorListReport.h"

#include <QFileInfo>
#include <memory>

namespace {

constexpr const char* kTextFilter = "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";

constexpr const char* kBlockingErrors =
    "L'esportazione della comunicazione nel formato VurTxtV2 non risulta possibile.\n\n"
    "Sono stati rilevati errori bloccanti tali da rendere impossibile la generazione\n"
    "di una comunicazione accettabile per l'Osservatorio Trasporti.\n\n"
    "OCCORRE VERIFICARE E CORREGGERE GLI ORARI CORSA.\n\n"
    "Vuoi salvare il report degli errori riscontrati ?";

constexpr const char* kFirstQuestion =
    "E' stata richiesta la generazione della PRIMA COMUNICAZIONE nel formato\n"
    "VUR-TXT v2.\n\n"
    "Se è già stata fornita all'Osservatorio Trasporti una comunicazione\n"
    "precedente non è possibile procedere con questa operazione, in quanto\n"
    "il sistema dell'Osservatorio pretende la fornitura di una COMUNICAZIONE\n"
    "INCREMENTALE in formato VUR-TXT v2.\n\n"
    "Si è certi di volere procedere con la PRIMA COMUNICAZIONE ?";

constexpr const char* kBaseDeclined =
    "ATTENZIONE: Si è scelto di NON SALVARE la Banca Dati di Riferimento.\n\n"
    "Questa azione renderà impossibile la successiva generazione di\n"
    "ulteriori comunicazioni di tipo incrementale.\n\n"
    "Vuoi riprovare a salvare la Base Dati di Riferimento ?";

constexpr const char* kTripFlowDeclined =
    "ATTENZIONE: Si è scelto di NON SALVARE il Flusso di Ritorno contente\n"
    "gli ID Regionali delle Corse.\n\n"
    "Questa azione renderà impossibile la successiva identificazione delle\n"
    "corrispondenza tra ID Corsa Aziendali ed ID Corsa Regioanli\n\n"
    "Vuoi riprovare a salvare il Flusso di Ritorno ?";

constexpr const char* kStopFlowDeclined =
    "ATTENZIONE: Si è scelto di NON SALVARE il Flusso di Ritorno contente\n"
    "gli ID Regionali delle Fermate.\n\n"
    "Questa azione renderà impossibile la successiva identificazione delle\n"
    "corrispondenza tra ID Fermate Aziendali ed ID Fermate Regioanli\n\n"
    "Vuoi riprovare a salvare il Flusso di Ritorno ?";

// The data error check in its consent mode: true when nothing blocks the communication. With
// errors, the offer to save their report.
bool NoBlockingErrors(MainFrame& frame) {
  auto report = std::make_unique<ErrorListReport>(frame.Database());
  Outcome checked;
  {
    FrameProgress progress(&frame);
    checked = report->CheckData(frame.Database(), &progress);
  }
  // A value the check could not read as its kind stops the communication with its message alone.
  if (!checked.ok) {
    ui::ShowOutcome(checked);
    report.reset();
    frame.ClosePanel();
    return false;
  }
  const bool clean = report->RowCount() == 0;
  if (!clean && ui::MessageBox(kBlockingErrors, ui::MB_OKCANCEL | ui::MB_ICONSTOP) == ui::IDOK)
    SaveErrorReport(frame, *report);
  report.reset();
  frame.ClosePanel();
  return clean;
}

// The file a path names: its folder as the system resolves it (links, ".."), and its name.
QString Destination(const std::string& path) {
  const QFileInfo file(cp1252::ToQString(path));
  const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
  return (folder.isEmpty() ? file.absolutePath() : folder) + u'/' + file.fileName();
}

// True when `path` names a file already chosen for the set.
bool ChosenBefore(const std::string& path, const CommunicationPaths& chosen) {
  for (const std::string* p : {&chosen.communication, &chosen.base, &chosen.tripFlow, &chosen.stopFlow})
    if (!p->empty() && Destination(*p) == Destination(path)) return true;
  return false;
}

// The path chosen in one file's save dialog into `path`, one of `chosen`. A file already chosen for
// the set is refused and the dialog shown again. When the dialog is cancelled and `retry` is given,
// the question offers the dialog again; false when no file was chosen.
bool ChoosePath(const char* title, const std::string& defaultName, const char* retry, const CommunicationPaths& chosen,
                std::string& path) {
  for (;;) {
    ui::FileDialog dialog(ui::FileDialog::Mode::Save, title, defaultName, kTextFilter, "TXT");
    if (dialog.DoModal() == ui::IDOK) {
      if (!ChosenBefore(dialog.Path(), chosen)) {
        path = dialog.Path();
        return true;
      }
      ui::MessageBox("Il file\n\n" + dialog.Path() +
                         "\n\nè già stato scelto per un altro file di questa comunicazione.\n\nSceglierne un altro.",
                     ui::MB_ICONEXCLAMATION);
      continue;
    }
    if (!retry || ui::MessageBox(retry, ui::MB_OKCANCEL | ui::MB_ICONQUESTION) != ui::IDOK) return false;
  }
}

// The incremental communication's base: its model and number, or null after the messages.
std::unique_ptr<CommunicationModel> LoadBase(MainFrame& frame, int company, long& number) {
  ui::FileDialog dialog(ui::FileDialog::Mode::Open, "Recupero Base Dati VUR-TXT v2", {}, kTextFilter, "TXT");
  if (dialog.DoModal() == ui::IDOK) {
    frame.ShowStatusBand("Recupero Base Dati Riferimento VUR-TXT v2");  // the work, not the wait
    ShowBusy(true);
    FrameProgress progress(&frame);
    BaseReadResult read = ReadReferenceBase(dialog.Path(), company, &progress);
    progress.End();
    if (ui::ShowOutcome(read)) {
      number = read.number + 1;
      return std::move(read.model);
    }
  }
  ui::MessageBox(kNoBaseText, ui::MB_ICONSTOP);
  frame.Redraw();
  return nullptr;
}

// The steps from the model to the last return flow; every way out goes back to the caller, which
// clears what was made.
void BuildAndWrite(MainFrame& frame, CommunicationModel& model, const CommunicationHeader& header, bool first,
                   bool georeference) {
  DbDatabase* db = frame.Database();
  auto progress = std::make_unique<FrameProgress>(&frame);
  GeoStopList list;
  const GeoStopList* geo = nullptr;
  if (georeference && ChooseStopCoordinates(frame, header.company, true, list, progress.get())) geo = &list;
  const Outcome built = BuildCommunicationModel(db, model, header.periodStart, header.periodEnd, geo, progress.get());
  if (!built.ok) {
    progress.reset();
    ui::ShowOutcome(built);
    return;
  }

  // The files are chosen one by one, and written and put in place together once every one is
  // chosen: a communication never stands without the files written with it. The band shows the
  // writing, not the dialogs' wait.
  progress->End();
  frame.Redraw();
  CommunicationPaths paths;
  if (!ChoosePath("Esportazione Comunicazione VUR-TXT v2", CommunicationDefaultName(header.company, header.number),
                  nullptr, paths, paths.communication))
    return;
  if (ChoosePath("Esportazione Base Dati VUR-TXT v2", BaseDefaultName(header.company, header.number), kBaseDeclined,
                 paths, paths.base) &&
      ChoosePath("Esportazione Flusso Ritorno ID Regionali Corsa", "RT_IDREG", kTripFlowDeclined, paths,
                 paths.tripFlow))
    ChoosePath("Esportazione Flusso Ritorno ID Regionali Fermate", "RT_FMREG", kStopFlowDeclined, paths,
               paths.stopFlow);
  frame.ShowStatusBand(first ? "Generazione Prima Comunicazione VUR-TXT v2"
                             : "Generazione Comunicazione Incrementale VUR-TXT v2");
  const CommunicationWriting writing =
      WriteCommunicationFiles(db, model, header, first, geo, paths, progress.get(), ExportFolderWatch());
  progress.reset();
  ui::ShowOutcome(writing);
}

}  // namespace

void GenerateCommunicationV2(MainFrame& frame) {
  // The check, the model and the files read one moment of the database, held from the check to
  // the last file: what another program writes while a dialog waits reaches none of them, and
  // what is written is what was checked.
  DbReadSnapshot snapshot(frame.Database());
  if (!NoBlockingErrors(frame)) return;
  CommunicationOptionsDialog dialog(&frame, 'B', kCommunicationDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  CommunicationHeading heading = ReadCommunicationHeader(frame.Database(), dialog.nature, dialog.replaces == 1);
  if (!ui::ShowOutcome(heading)) return;
  CommunicationHeader& header = heading.header;
  std::unique_ptr<CommunicationModel> model;
  if (dialog.first == 1) {
    if (ui::MessageBox(kFirstQuestion, ui::MB_OKCANCEL | ui::MB_ICONQUESTION) != ui::IDOK) return;
    header.number = 1;
    model = std::make_unique<CommunicationModel>();
    ShowBusy(true);
  } else {
    model = LoadBase(frame, header.company, header.number);
    if (!model) return;
  }
  BuildAndWrite(frame, *model, header, dialog.first == 1, dialog.georeferencing == 1);
  model.reset();
  frame.Redraw();
}
