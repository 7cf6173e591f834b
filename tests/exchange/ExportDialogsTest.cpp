// The options dialogs of the three exports, run headless with scripted answers on a real
// database (the authority list comes from its `regent` table).

#include "ExchangeTestSupport.h"

#include "db/DbDatabase.h"
#include "dialogs/ExportDialogs.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

struct ExportDialogs : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  std::unique_ptr<DbDatabase> db;
  std::unique_ptr<ui::Script> installed;  // after the set-up, which runs scripts of its own
  void SetUp() override {
    MakeTimetableDatabase(path);
    db = std::make_unique<DbDatabase>(path);
    ASSERT_EQ(db->isOpen, 1);
    installed = std::make_unique<ui::Script>();
  }
  void Answer(int id, Controls controls) {
    installed->Push({ui::Answer::Kind::Dialog, std::to_string(id), std::move(controls)});
  }
  // Runs the dialog expecting one refusal: the run cannot go on after it.
  std::string Refusal(ui::Dialog& dialog) {
    EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion);
    EXPECT_EQ(installed->Messages().size(), 1u);
    if (installed->Messages().empty()) return {};
    EXPECT_EQ(installed->Messages()[0].type, ui::MB_ICONSTOP);
    return installed->Messages()[0].text;
  }
};

const std::string kAuthorityFault =
    "ATTENZIONE: Il Codice Ente Concedente non è valido.\n\n"
    "Occorre selezionare un Codice Regionale Ente presente nella lista.\n\n"
    "L'esportazione dei dati risulta impossibile.";

TEST_F(ExportDialogs, AuthorityChoice) {
  {
    TimetableExportDialog d(nullptr, db.get(), 131);
    Answer(131, {});
    ASSERT_EQ(d.DoModal(), ui::IDOK);
    EXPECT_EQ(d.anyAuthority, 1);
    EXPECT_EQ(d.authority, 0);  // the untouched list: the not-assigned authority
    EXPECT_FALSE(d.Control(1124)->isEnabled());
    EXPECT_EQ(installed->Transcript()[0], "DIALOG\t131\tEsportazione Dati Orari Corse");
  }
  {
    TimetableExportDialog d(nullptr, db.get(), 131);
    Answer(131, {{"1123", "0"}, {"1124", "0005"}});
    ASSERT_EQ(d.DoModal(), ui::IDOK);
    EXPECT_EQ(d.anyAuthority, 0);
    EXPECT_EQ(d.authority, 5);
    EXPECT_TRUE(d.Control(1124)->isEnabled());
    // Entries "0005 - name", ordered by name.
    const QComboBox* list = qobject_cast<QComboBox*>(d.Control(1124));
    ASSERT_GT(list->count(), 100);
    EXPECT_TRUE(list->itemText(list->findText("0005", Qt::MatchStartsWith)).startsWith("0005 - "));
  }
  {
    TimetableExportDialog d(nullptr, db.get(), 131);
    Answer(131, {{"1123", "0"}, {"1124", "9998"}});
    EXPECT_EQ(Refusal(d), kAuthorityFault);
  }
  installed->Clear();
  {
    TimetableExportDialog d(nullptr, db.get(), 131);
    Answer(131, {{"1123", "0"}, {"1124", "00x5"}});
    EXPECT_EQ(Refusal(d), kAuthorityFault);
  }
  installed->Clear();
  {
    TimetableExportDialog d(nullptr, db.get(), 131);
    installed->Push({ui::Answer::Kind::DialogCancel, "131", {}});
    EXPECT_EQ(d.DoModal(), ui::IDCANCEL);
    EXPECT_TRUE(installed->Messages().empty());
  }
}

TEST_F(ExportDialogs, DateRangeInsideTheReportingPeriod) {
  const auto run = [&](Controls controls) {
    auto d = std::make_unique<PeriodTimetableExportDialog>(nullptr, db.get(), "01/01/2024", "30/06/2024", 155);
    Answer(155, std::move(controls));
    return d;
  };
  {
    auto d = run({});
    ASSERT_EQ(d->DoModal(), ui::IDOK);
    EXPECT_EQ(d->rangeStart, "01/01/2024");
    EXPECT_EQ(d->rangeEnd, "30/06/2024");
    EXPECT_EQ(qobject_cast<QLineEdit*>(d->Control(1209))->text(), "01/01/2024");
    EXPECT_EQ(d->anyAuthority, 1);
  }
  {
    auto d = run({{"1209", "1.3.24"}, {"1210", "31-03-24"}});
    EXPECT_EQ(Refusal(*d),
              "ATTENZIONE: la data di inizio periodo è espressa in un formato illegale.\n\n"
              "Le date devono essere espresse nella forma GG/MM/AAAA.\n\n");
  }
  struct Case {
    const char* start;
    const char* end;
    const char* message;
  };
  const Case refused[] = {
      {"31/12/2023", "31/03/2024", "ATTENZIONE: la data di inizio periodo è inferiore alla data minima."},
      {"01/03/2024", "30/02/2024",
       "ATTENZIONE: la data di fine periodo è espressa in un formato illegale.\n\n"
       "Le date devono essere espresse nella forma GG/MM/AAAA.\n\n"},
      {"01/03/2024", "01/07/2024", "ATTENZIONE: la data di fine periodo supera la data massima."},
      {"01/04/2024", "31/03/2024", "ATTENZIONE: la data di inizio periodo supera la data di fine periodo."},
  };
  for (const Case& c : refused) {
    installed->Clear();
    auto d = run({{"1209", c.start}, {"1210", c.end}});
    EXPECT_EQ(Refusal(*d), c.message) << c.start << " " << c.end;
  }
  installed->Clear();
  {
    auto d = run({{"1123", "0"}, {"1124", "0001"}, {"1209", "01.03.24"}, {"1210", "31-03-2024"}});
    ASSERT_EQ(d->DoModal(), ui::IDOK);
    EXPECT_EQ(d->rangeStart, "01/03/2024");
    EXPECT_EQ(d->rangeEnd, "31/03/2024");
    EXPECT_EQ(d->anyAuthority, 0);
    EXPECT_EQ(d->authority, 1);
  }
}

TEST_F(ExportDialogs, FirstIdMustBeDigits) {
  {
    RenumberedExportDialog d(nullptr, 156);
    Answer(156, {});
    ASSERT_EQ(d.DoModal(), ui::IDOK);
    EXPECT_EQ(d.firstId, 0);
    EXPECT_EQ(qobject_cast<QLineEdit*>(d.Control(1211))->text(), "0");
  }
  for (const char* bad : {"12a", "-5", " 12"}) {
    installed->Clear();
    RenumberedExportDialog d(nullptr, 156);
    Answer(156, {{"1211", bad}});
    EXPECT_EQ(Refusal(d), "ATTENZIONE: Il valore ID iniziale deve essere numerico !!!\n\n") << bad;
  }
  const std::pair<const char*, long> good[] = {{"", 0}, {"001000", 1000}, {"999999", 999999}};
  for (const auto& [text, value] : good) {
    RenumberedExportDialog d(nullptr, 156);
    Answer(156, {{"1211", text}});
    ASSERT_EQ(d.DoModal(), ui::IDOK) << text;
    EXPECT_EQ(d.firstId, value);
  }
}

}  // namespace
