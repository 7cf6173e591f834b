// The transport-mode dialogs (149, 150, 152) run headless on a real database: the six radios kept
// exclusive by hand from 'X', the lists of lines and of the authorities that trips use, the line
// and authority dialogs staying open with their choices kept, and the authority texts refused.

#include "support/UiTestSupport.h"
#include "support/UtilityData.h"

#include "db/DbDatabase.h"
#include "dialogs/TransportModeDialogs.h"
#include "utilities/TransportModes.h"

#include <QRadioButton>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

const char* const kModes =
    "SELECT group_concat(id || '=' || ifnull(mezzo, '-'), ' ') FROM (SELECT * FROM tescor ORDER BY id)";

struct ModeDialogs : TimetableDialogTest {
  void Fill() override {
    RunSql(path, cp1252::FromQStringLossy(QString::fromUtf8(FileBytes(UtilityDataFile("correzioni.sql")))));
  }
  std::unique_ptr<TransportModeDialog> Make(int idd) const {
    if (idd == 149) return std::make_unique<CompanyModeDialog>(nullptr, db.get(), idd);
    if (idd == 150) return std::make_unique<LineModeDialog>(nullptr, db.get(), idd);
    return std::make_unique<AuthorityModeDialog>(nullptr, db.get(), idd);
  }
};

// The letters of the radios checked, in control order.
std::string Checked(const ui::Dialog& d) {
  const char letters[] = "UXWFTN";
  std::string checked;
  for (int k = 0; k < 6; ++k) {
    const auto* radio = d.findChild<QRadioButton*>(QString::number(transport_mode::kFirstRadio + k));
    EXPECT_NE(radio, nullptr);
    if (radio && radio->isChecked()) checked += letters[k];
  }
  return checked;
}

std::string Result(int read, int updated, const char* scope = "") {
  return std::string("Risultati dell'assegnazione del mezzo di trasporto.\n") + scope + "Corse lette " +
         std::to_string(read) + "\nCorse aggiornate " + std::to_string(updated) + "\n";
}

const char* const kCompany = "Tutte le corse dell'azienda.\n\n";
const char* const kAuthority = "Corse dell'Ente Contrattuale selezionato.\n\n";

TEST_F(ModeDialogs, EachOpensOnBusExtraurbanoAndAssignsNothingOnCancel) {
  for (int idd : {149, 150, 152}) {
    auto d = Make(idd);
    script.Clear();
    script.Push({ui::Answer::Kind::DialogCancel, std::to_string(idd), {}});
    EXPECT_EQ(d->DoModal(), ui::IDCANCEL) << idd;
    EXPECT_EQ(Checked(*d), "X") << idd;
    EXPECT_EQ(d->mode, 'X') << idd;
    EXPECT_EQ(d->assignments, 0) << idd;
  }
  EXPECT_EQ(QueryFile(path, kModes), "1=- 2=- 3=- 5=- 6=- 7=-\n");
}

struct Clicks {
  const char* name;
  int idd;
  Controls controls;
  std::string checked;   // the radios checked after the run
  std::string messages;  // the result boxes
  std::string modes;     // the trips' modes after the run
  const char* sql = "";  // run on the database first
};
void PrintTo(const Clicks& c, std::ostream* os) { *os << c.name; }

const Clicks kClicks[] = {
    {"CompanyOkUntouched", 149, {}, "X", Result(6, 6, kCompany), "1=X 2=X 3=X 5=X 6=X 7=X\n"},
    {"CompanyTrenoThenTraghetto",
     149,
     {{"1182", "1"}, {"1183", "1"}},
     "N",
     Result(6, 6, kCompany),
     "1=N 2=N 3=N 5=N 6=N 7=N\n"},
    // A radio clicked twice stays checked: the hand-kept group never goes empty.
    {"CompanySameRadioTwice",
     149,
     {{"1180", "1"}, {"1180", "1"}},
     "W",
     Result(6, 6, kCompany),
     "1=W 2=W 3=W 5=W 6=W 7=W\n"},
    {"LineOkUntouched", 150, {{"1184", "L1"}}, "X", Result(2, 2), "1=X 2=X 3=- 5=- 6=- 7=-\n"},
    {"LineTrenoThenTraghetto",
     150,
     {{"1184", "L3"}, {"1182", "1"}, {"1183", "1"}},
     "N",
     Result(3, 3),
     "1=- 2=- 3=- 5=N 6=N 7=N\n"},
    // Lines that read "?1": U+0141 and U+015A stored by another tool (trips 1 and 2) and "?1"
    // itself (trip 3), three entries in their stored order ("?1", L3, U+0141, U+015A): the one
    // chosen names its own trips.
    {"LineReadAlike",
     150,
     {{"1184#", "3"}},
     "X",
     Result(1, 1),
     "1=- 2=X 3=- 5=- 6=- 7=-\n",
     "UPDATE tescor SET codlinea = char(0x141 + (id = 2) * 25) || '1' WHERE id IN (1, 2);"
     "UPDATE tescor SET codlinea = '?1' WHERE id = 3"},
    {"AuthorityOkUntouched", 152, {{"1200", "0005"}}, "X", Result(2, 2, kAuthority), "1=X 2=X 3=- 5=- 6=- 7=-\n"},
    {"AuthorityFunicolareThenUrbano",
     152,
     {{"1200", "0001"}, {"1181", "1"}, {"1178", "1"}},
     "U",
     Result(4, 4, kAuthority),
     "1=- 2=- 3=U 5=U 6=U 7=U\n"},
};

struct ModeClicks : ModeDialogs, ::testing::WithParamInterface<Clicks> {};

TEST_P(ModeClicks, CheckOneRadioAndAssignItsLetter) {
  const Clicks& c = GetParam();
  if (*c.sql) RunSql(path, c.sql);
  auto d = Make(c.idd);
  script.Clear();
  const int result = RunDialogScript(*d, script, c.controls);
  // The company dialog closes with its result; the others stay open until "Annulla".
  EXPECT_EQ(result, c.idd == 149 ? ui::IDOK : ui::IDCANCEL);
  EXPECT_EQ(Checked(*d), c.checked);
  EXPECT_EQ(std::string(1, d->mode), c.checked);
  EXPECT_EQ(MessagesOf(script), c.messages);
  EXPECT_EQ(QueryFile(path, kModes), c.modes);
}

INSTANTIATE_TEST_SUITE_P(Cases, ModeClicks, ::testing::ValuesIn(kClicks),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(ModeDialogs, ListsTheTripsLinesAndTheirAuthorities) {
  for (int idd : {150, 152}) {
    auto d = Make(idd);
    script.Clear();
    script.Push({ui::Answer::Kind::DialogCancel, std::to_string(idd), {}});
    d->DoModal();
    const auto* list = d->findChild<QComboBox*>(QString::number(idd == 150 ? 1184 : 1200));
    ASSERT_NE(list, nullptr);
    QStringList items;
    for (int k = 0; k < list->count(); ++k) items << list->itemText(k);
    const std::string names = cp1252::FromQStringLossy(items.join(QStringLiteral("|")));
    if (idd == 150) {
      EXPECT_EQ(names, "L1|L2|L3");
    } else {
      // Only the two authorities that trips use, by name, each "%04d - name".
      const std::string expected = QueryFile(path,
                                             "SELECT group_concat(printf('%04d - %s', codice, rtrim(denom)), '|') "
                                             "FROM (SELECT * FROM regent WHERE codice IN (1, 5) ORDER BY denom)");
      EXPECT_EQ(names + "\n", expected);
      EXPECT_EQ(list->count(), 2);
    }
  }
}

TEST_F(ModeDialogs, LineDialogStaysOpenWithItsChoicesKept) {
  // Two OKs: the second takes the line and the mode still shown; then another line, same mode.
  // Once an OK was clicked, the script's end only closes the dialog.
  LineModeDialog d(nullptr, db.get(), 150);
  script.Clear();
  EXPECT_EQ(
      RunDialogScript(d, script, {{"1184", "L1"}, {"1182", "1"}, {"1", "1"}, {"1", "1"}, {"1184", "L2"}, {"1", "1"}}),
      ui::IDCANCEL);
  EXPECT_EQ(d.assignments, 3);
  EXPECT_EQ(MessagesOf(script), Result(2, 2) + "\n--\n" + Result(2, 2) + "\n--\n" + Result(1, 1));
  EXPECT_EQ(QueryFile(path, kModes), "1=T 2=T 3=T 5=- 6=- 7=-\n");
  EXPECT_EQ(Checked(d), "T");
  const auto* line = d.findChild<QComboBox*>(QString::number(transport_mode::kLine));
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->currentText(), QStringLiteral("L2"));
}

TEST_F(ModeDialogs, AuthorityDialogStaysOpenWithItsChoicesKept) {
  AuthorityModeDialog d(nullptr, db.get(), 152);
  script.Clear();
  EXPECT_EQ(RunDialogScript(d, script, {{"1200", "0005"}, {"1183", "1"}, {"1", "1"}, {"1200", "0001"}, {"1", "1"}}),
            ui::IDCANCEL);
  EXPECT_EQ(MessagesOf(script), Result(2, 2, kAuthority) + "\n--\n" + Result(4, 4, kAuthority));
  EXPECT_EQ(QueryFile(path, kModes), "1=N 2=N 3=N 5=N 6=N 7=N\n");
  EXPECT_EQ(Checked(d), "N");
}

struct Typed {
  const char* name;
  int idd;
  std::string text;
  std::string messages;  // the refusal, or the result box
  std::string modes;
};
void PrintTo(const Typed& t, std::ostream* os) { *os << t.name; }

const Typed kTyped[] = {
    {"AuthorityLetterInCode", 152, "00x5", TransportModeAuthorityRefusal(), "1=- 2=- 3=- 5=- 6=- 7=-\n"},
    {"AuthorityShort", 152, "005", TransportModeAuthorityRefusal(), "1=- 2=- 3=- 5=- 6=- 7=-\n"},
    {"AuthorityEmpty", 152, "", TransportModeAuthorityRefusal(), "1=- 2=- 3=- 5=- 6=- 7=-\n"},
    {"AuthorityLeadingBlank", 152, " 005", TransportModeAuthorityRefusal(), "1=- 2=- 3=- 5=- 6=- 7=-\n"},
    // Digits of an authority that no trip uses: not in the list.
    {"AuthorityNotListed", 152, "0002", TransportModeAuthorityRefusal(), "1=- 2=- 3=- 5=- 6=- 7=-\n"},
    // A text typed counts up to four characters, not cut to them.
    {"AuthorityWithName", 152, "0005 - anything",
     "ATTENZIONE: Il Codice Ente Concedente non è valido.\n\nSi possono digitare al più quattro cifre: un codice più "
     "lungo va scelto dalla lista.\n\nOccorre selezionare un Codice "
     "Regionale Ente presente nella lista.\n\nL'assegnazione automatica del Tipo Mezzo di Trasporto risulta\n"
     "impossibile.",
     "1=- 2=- 3=- 5=- 6=- 7=-\n"},
    {"LineTrailingBlanks", 150, "L3   ", Result(3, 3), "1=- 2=- 3=- 5=X 6=X 7=X\n"},
    // A line no trip has selects nothing; quotes are part of the value, never of the selection.
    {"LineUnknown", 150, "L9", Result(0, 0), "1=- 2=- 3=- 5=- 6=- 7=-\n"},
    {"LineWithQuotes", 150, "L1\" OR \"1\"=\"1", Result(0, 0), "1=- 2=- 3=- 5=- 6=- 7=-\n"},
};

struct ModeTyped : ModeDialogs, ::testing::WithParamInterface<Typed> {};

TEST_P(ModeTyped, RefusedOrAssigned) {
  const Typed& t = GetParam();
  auto d = Make(t.idd);
  script.Clear();
  const int result = RunDialogScript(*d, script, {{std::to_string(t.idd == 150 ? 1184 : 1200), t.text}});
  const bool refused = t.messages.starts_with("ATTENZIONE");
  EXPECT_EQ(result, refused ? -1 : ui::IDCANCEL);
  ASSERT_EQ(script.Messages().size(), 1u);
  EXPECT_EQ(script.Messages()[0].type, refused ? ui::MB_ICONSTOP : ui::MB_ICONINFORMATION);
  EXPECT_EQ(MessagesOf(script), t.messages);
  EXPECT_EQ(QueryFile(path, kModes), t.modes);
}

INSTANTIATE_TEST_SUITE_P(Cases, ModeTyped, ::testing::ValuesIn(kTyped),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
