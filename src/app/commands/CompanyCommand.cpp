// The working company: the master row's heading (company, send date, protocol, person in charge,
// period) edited in its dialog.

#include "app/commands/CompanyCommand.h"

#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "db/DbSchema.h"
#include "db/DbTable.h"
#include "dialogs/CompanyHeaderDialog.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

#include <cstdlib>
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
    std::string company, sendDate, protocol, person, start, end;
    master.GetFieldText("azienda", company);
    master.GetFieldText("p_data", sendDate);
    master.GetFieldText("protoc", protocol);
    master.GetFieldText("resple", person);
    master.GetFieldText("datini", start);
    master.GetFieldText("datfin", end);
    if (protocol.empty()) protocol = "-1";

    CompanyHeaderDialog dialog(frame, frame->Database(), static_cast<int>(std::atol(company.c_str())), sendDate,
                               std::atol(protocol.c_str()), person, start, end, kCompanyHeaderDialog);
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
