// The options dialogs of the three exports, run headless with scripted answers on a real
// database (the authority list comes from its `regent` table).

#include "support/TimetableData.h"
#include "support/UiTestSupport.h"

#include "db/DbDatabase.h"
#include "dialogs/ExportDialogs.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

struct ExportDialogs : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  std::unique_ptr<DbDatabase> db;
  ui::Script script;
  void SetUp() override {
    MakeTimetableDatabase(path);
    db = std::make_unique<DbDatabase>(path);
    ASSERT_EQ(db->isOpen, 1);
  }
  void Answer(int id, Controls controls) {
    script.Push({ui::Answer::Kind::Dialog, std::to_string(id), std::move(controls)});
  }
  // Runs the dialog expecting one refusal, shown in a stop box: the run cannot go on after it.
  std::string Refusal(ui::Dialog& dialog) {
    script.Clear();
    EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion);
    EXPECT_EQ(script.Messages().size(), 1u);
    if (script.Messages().empty()) return {};
    EXPECT_EQ(script.Messages()[0].type, ui::MB_ICONSTOP);
    return script.Messages()[0].text;
  }
  QString Text(ui::Dialog& dialog, int control) { return qobject_cast<QLineEdit*>(dialog.Control(control))->text(); }
};

TEST_F(ExportDialogs, AuthorityChoice) {
  TimetableExportDialog any(nullptr, db.get(), 131);
  Answer(131, {});
  ASSERT_EQ(any.DoModal(), ui::IDOK);
  EXPECT_EQ(any.anyAuthority, 1);
  EXPECT_EQ(any.authority, 0);  // the untouched list: the not-assigned authority
  EXPECT_FALSE(any.Control(1124)->isEnabled());
  TimetableExportDialog one(nullptr, db.get(), 131);
  Answer(131, {{"1123", "0"}, {"1124", "0005"}});
  ASSERT_EQ(one.DoModal(), ui::IDOK);
  EXPECT_EQ(one.anyAuthority, 0);
  EXPECT_EQ(one.authority, 5);
  EXPECT_TRUE(one.Control(1124)->isEnabled());
  // Entries "0005 - name", ordered by name.
  const QComboBox* list = qobject_cast<QComboBox*>(one.Control(1124));
  ASSERT_GT(list->count(), 100);
  EXPECT_TRUE(list->itemText(list->findText(QStringLiteral("0005"), Qt::MatchStartsWith))
                  .startsWith(QStringLiteral("0005 - ")));
  for (const char* code : {"9998", "00x5"}) {
    TimetableExportDialog d(nullptr, db.get(), 131);
    Answer(131, {{"1123", "0"}, {"1124", code}});
    EXPECT_EQ(Refusal(d),
              "ATTENZIONE: Il Codice Ente Concedente non è valido.\n\n"
              "Occorre selezionare un Codice Regionale Ente presente nella lista.\n\n"
              "L'esportazione dei dati risulta impossibile.")
        << code;
  }
  script.Clear();
  TimetableExportDialog cancelled(nullptr, db.get(), 131);
  script.Push({ui::Answer::Kind::DialogCancel, "131", {}});
  EXPECT_EQ(cancelled.DoModal(), ui::IDCANCEL);
  EXPECT_TRUE(script.Messages().empty());
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
    EXPECT_EQ(Text(*d, 1209), QStringLiteral("01/01/2024"));
    EXPECT_EQ(d->anyAuthority, 1);
  }
  const std::string format = "Le date devono essere espresse nella forma GG/MM/AAAA.\n\n";
  const std::string refused[][3] = {
      {"1.3.24", "31-03-24", "ATTENZIONE: la data di inizio periodo è espressa in un formato illegale.\n\n" + format},
      {"31/12/2023", "31/03/2024", "ATTENZIONE: la data di inizio periodo è inferiore alla data minima."},
      {"01/03/2024", "30/02/2024",
       "ATTENZIONE: la data di fine periodo è espressa in un formato illegale.\n\n" + format},
      {"01/03/2024", "01/07/2024", "ATTENZIONE: la data di fine periodo supera la data massima."},
      {"01/04/2024", "31/03/2024", "ATTENZIONE: la data di inizio periodo supera la data di fine periodo."},
  };
  for (const auto& [start, end, message] : refused) {
    auto d = run({{"1209", start}, {"1210", end}});
    EXPECT_EQ(Refusal(*d), message) << start << " " << end;
  }
  auto d = run({{"1123", "0"}, {"1124", "0001"}, {"1209", "01.03.24"}, {"1210", "31-03-2024"}});
  ASSERT_EQ(d->DoModal(), ui::IDOK);
  EXPECT_EQ(d->rangeStart, "01/03/2024");
  EXPECT_EQ(d->rangeEnd, "31/03/2024");
  EXPECT_EQ(d->anyAuthority, 0);
  EXPECT_EQ(d->authority, 1);
}

TEST_F(ExportDialogs, FirstIdMustBeDigits) {
  RenumberedExportDialog untouched(nullptr, 156);
  Answer(156, {});
  ASSERT_EQ(untouched.DoModal(), ui::IDOK);
  EXPECT_EQ(untouched.firstId, 0);
  EXPECT_EQ(Text(untouched, 1211), QStringLiteral("0"));
  for (const char* bad : {"12a", "-5", " 12"}) {
    RenumberedExportDialog d(nullptr, 156);
    Answer(156, {{"1211", bad}});
    EXPECT_EQ(Refusal(d), "ATTENZIONE: Il valore ID iniziale deve essere numerico !!!\n\n") << bad;
  }
  for (const auto& [text, value] : {std::pair{"", 0L}, {"001000", 1000L}, {"999999", 999999L}}) {
    RenumberedExportDialog d(nullptr, 156);
    Answer(156, {{"1211", text}});
    ASSERT_EQ(d.DoModal(), ui::IDOK) << text;
    EXPECT_EQ(d.firstId, value);
  }
}

}  // namespace
