// The working company: the master row's heading (company, send date, protocol, person in charge,
// period) edited in its dialog.

#include "app/commands/CompanyCommand.h"

#include "db/DbDatabase.h"
#include "db/MasterRow.h"
#include "dialogs/CompanyHeaderDialog.h"
#include "exchange/ExportEngine.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

#include <string>

namespace {

constexpr int kCompanyHeaderDialog = 115;

}  // namespace

void EditWorkingCompany(MainFrame* frame) {
  DbDatabase* db = frame->Database();
  const MasterHeading m = ReadMasterHeading(db);
  if (!m.found) {
    ui::MessageBox(kMissingMasterText, ui::MB_ICONSTOP);
    return;
  }
  CompanyHeaderDialog dialog(frame, db, m.company, m.sendDate, m.hasProtocol ? m.protocol : -1, m.person, m.periodStart,
                             m.periodEnd, kCompanyHeaderDialog);
  if (dialog.DoModal() == ui::IDOK) {
    MasterHeading edited;
    edited.company = dialog.company;
    edited.sendDate = dialog.sendDate;
    edited.hasProtocol = dialog.protocol >= 0;
    edited.protocol = dialog.protocol;
    edited.person = dialog.person;
    edited.periodStart = dialog.periodStart;
    edited.periodEnd = dialog.periodEnd;
    ui::ShowOutcome(WriteMasterHeading(db, edited));
  }
  frame->UpdateTitle();
}
