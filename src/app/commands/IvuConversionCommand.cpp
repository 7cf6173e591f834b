#include "app/commands/IvuConversionCommand.h"

#include "app/commands/InterruptedExports.h"
#include "common/Clock.h"
#include "conversions/ivu/IvuConversion.h"
#include "dialogs/CompanyCodeDialog.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

using namespace ivu;

namespace {

constexpr const char* kTextFilter = "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";

void OfferReport(const std::string& folder, const IvuErrorList& errors) {
  if (ui::MessageBox(kIvuDamaged, ui::MB_OKCANCEL | ui::MB_ICONSTOP) != ui::IDOK) return;
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, kIvuReportCaption, kIvuReportName, kTextFilter, "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  ui::ShowOutcome(WriteIvuErrorReport(dialog.Path(), folder, errors, Now()));
}

}  // namespace

void ConvertIvuToRt(MainFrame* frame) {
  ui::FileDialog source(ui::FileDialog::Mode::Open, kIvuSourceCaption, "DATEIEN", kIvuSourceFilter, "ASC");
  if (source.DoModal() != ui::IDOK) return;
  const std::string folder = source.Folder();
  ShowBusy(true);
  IvuReading reading;
  {
    FrameProgress progress(frame);
    reading = ReadIvuSet(folder, &progress);
  }
  if (!ui::ShowOutcome(reading)) return;
  if (!reading.errors.Empty()) {
    OfferReport(folder, reading.errors);
    return;
  }
  CompanyCodeDialog company(frame, frame->Database(), IvuCompanyText(reading.set), company_code::kDialog);
  if (company.DoModal() != ui::IDOK) return;
  ui::FileDialog output(ui::FileDialog::Mode::Save, "Esportazione Dati Orari", "RT_PROTO", kTextFilter, "TXT");
  if (output.DoModal() != ui::IDOK) return;
  FrameProgress progress(frame);
  progress.Begin(kIvuStatus);
  ui::ShowOutcome(WriteIvuRtFiles(reading, company.company, output.Folder(), Now(), &progress, ExportFolderWatch()));
}
