// The dialogs with the longest titles, as the user meets them: each is shown at least as wide as
// its whole title needs, so that the user can tell which report or assignment is open.

#include "support/UiTestSupport.h"

#include "db/DbDatabase.h"
#include "dialogs/CadenceReportDialogs.h"
#include "dialogs/DirectoryReportDialogs.h"
#include "dialogs/ExportDialogs.h"
#include "dialogs/IvuExportDialog.h"
#include "dialogs/TransportModeDialogs.h"

#include <QApplication>
#include <functional>
#include <memory>

namespace {

struct DialogTitles : TimetableDialogTest {};

TEST_F(DialogTitles, EveryDialogIsAsWideAsItsTitle) {
  const std::function<std::unique_ptr<ui::Dialog>()> makers[] = {
      [] { return std::make_unique<StopListDialog>(nullptr, 132); },
      [] { return std::make_unique<StopLocalityListDialog>(nullptr, 146); },
      [] { return std::make_unique<CadenceListDialog>(nullptr, 123); },
      [this] { return std::make_unique<CompanyModeDialog>(nullptr, db.get(), 149); },
      [this] { return std::make_unique<LineModeDialog>(nullptr, db.get(), 150); },
      [this] { return std::make_unique<AuthorityModeDialog>(nullptr, db.get(), 152); },
      [] { return std::make_unique<RenumberedExportDialog>(nullptr, 156); },
      [] { return std::make_unique<IvuExportDialog>(nullptr, 147); },
  };
  for (const auto& make : makers) {
    const std::unique_ptr<ui::Dialog> dialog = make();
    SCOPED_TRACE(dialog->windowTitle().toStdString());
    script.Push({ui::Answer::Kind::DialogCancel, std::to_string(dialog->Idd()), {}});
    dialog->DoModal();
    dialog->show();
    QApplication::processEvents();
    EXPECT_GE(dialog->width(), ui::TitleWidth(*dialog));
    dialog->hide();
  }
}

}  // namespace
