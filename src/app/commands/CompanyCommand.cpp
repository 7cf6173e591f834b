// The working company: the master row's heading (company, send date, protocol, person in charge,
// period) edited in its dialog.

#include "app/commands/CompanyCommand.h"

#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
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
  {
    DbTable master(frame->Database(), "master");
    if (!SeekMasterRow(master)) {
      ui::MessageBox(kMissingMasterText, ui::MB_ICONSTOP);
      return;
    }
    const MasterHeading m = ReadMasterHeading(frame->Database());
    CompanyHeaderDialog dialog(frame, frame->Database(), m.company, m.sendDate, m.hasProtocol ? m.protocol : -1,
                               m.person, m.periodStart, m.periodEnd, kCompanyHeaderDialog);
    if (dialog.DoModal() == ui::IDOK && master.Edit()) {
      master.SetFieldText("azienda", Format("%d", dialog.company));
      master.SetFieldText("p_data", dialog.sendDate);
      master.SetFieldText("protoc", dialog.protocol >= 0 ? Format("%ld", dialog.protocol) : std::string());
      master.SetFieldText("resple", dialog.person);
      master.SetFieldText("datini", dialog.periodStart);
      master.SetFieldText("datfin", dialog.periodEnd);
      master.Update();
    }
  }
  frame->UpdateTitle();
}
