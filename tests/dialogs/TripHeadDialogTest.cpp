// The trip head dialog on a database of the test's own: what it shows, what it hands back, its
// refusals, the transport mode buttons and the periods button.

#include "db/DbDatabase.h"
#include "dialogs/TripHeadDialog.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

class TripHeadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = dir_.Path("lavoro.mdb");
    MakeDatabase(path, BuilderTimetableTables() +
                           "INSERT INTO regent VALUES (12, 'Provincia di Siena   '), (120, 'Comune di Prato'),"
                           " (32767, 'Regione'), (12345, 'Unione dei Comuni Valdichiana Senese Sud');");
    db_ = std::make_unique<DbDatabase>(path);
    ASSERT_TRUE(db_->isOpen);
  }

  // Runs the dialog on a trip of mode `mode`; returns its result (-1 when the run ended at a
  // refusal or could not go on), what it hands back, the mode buttons checked and the messages.
  std::string Run(const Controls& controls, char mode = 'X', bool periods = true) {
    TripHead initial{"C101", "L7", 'A', "P1", 12, 5, 12500, 35, 12000, 30, "Scolastica", mode, "-1", "4711"};
    dialog_ = std::make_unique<TripHeadDialog>(
        nullptr, db_.get(), initial, periods, [this] { ++calls_; }, 122);
    script_.Push({ui::Answer::Kind::Dialog, "122", controls});
    int result = -1;
    try {
      result = dialog_->DoModal();
    } catch (const ui::UnansweredQuestion&) {
    }
    const TripHead& h = dialog_->head;
    std::string out = std::to_string(result) + " " + h.tripCode + "|" + h.previousTrip + "|" + h.nextTrip + "|" +
                      h.lineCode + "|" + h.direction + "|" + h.routeCode + "|" + std::to_string(h.authority) + "|" +
                      std::to_string(h.contract) + "|" + std::to_string(h.length) + "|" + std::to_string(h.duration) +
                      "|" + std::to_string(h.contractLength) + "|" + std::to_string(h.contractDuration) + "|" + h.note +
                      "|" + h.mode + " checked:";
    for (int id = trip_head::kUrbanBus; id <= trip_head::kUrbanBus + 5; ++id)
      if (dialog_->findChild<QAbstractButton*>(QString::number(id))->isChecked()) out += std::to_string(id);
    out += MessagesOf(script_).empty() ? "" : " " + MessagesOf(script_);
    script_.Clear();
    return out;
  }

  ScratchDir dir_;
  ui::Script script_;
  std::unique_ptr<DbDatabase> db_;
  std::unique_ptr<TripHeadDialog> dialog_;
  int calls_ = 0;
};

TEST_F(TripHeadTest, ShowsTheHeadAndHandsBackWhatWasConfirmed) {
  const std::string same = "C101|-1|4711|L7|A|P1|12|5|12500|35|12000|30|Scolastica|";
  const std::string refused = "-1 " + same + "X checked:1187 ATTENZIONE: Il Codice ";
  const std::string badAuthority =
      refused +
      "Ente Concedente non è valido.\n\nOccorre selezionare un Codice Regionale Ente presente nella "
      "lista.\n\nI dati immessi non saranno registrati !!!";
  const std::pair<Controls, std::string> cases[] = {
      {{}, "1 " + same + "X checked:1187"},
      {{{"1192", "0"}, {"1193", "-5"}}, "1 C101|0|-1|L7|A|P1|12|5|12500|35|12000|30|Scolastica|X checked:1187"},
      {{{"1192", " 17 "}, {"1193", "abc"}}, "1 C101|17|-1|L7|A|P1|12|5|12500|35|12000|30|Scolastica|X checked:1187"},
      {{{"1067", ""}, {"1068", ""}, {"1134", "x"}, {"1126", ""}, {"1076", ""}},
       "1  |-1|4711| | | |12|5|12500|35|12000|30| |X checked:1187"},
      {{{"1134", "r"}, {"1069", "0120 - Comune di Prato"}, {"1070", ""}, {"1071", "9"}, {"1072", ""}},
       "1 C101|-1|4711|L7|R|P1|120|0|9|0|12000|30|Scolastica|X checked:1187"},
      {{{"1071", "99999999"}, {"1072", "9999"}, {"1073", "0"}, {"1074", "0000"}},
       "1 C101|-1|4711|L7|A|P1|12|5|99999999|9999|0|0|Scolastica|X checked:1187"},
      {{{"1069", "32767 - Regione"}}, "1 C101|-1|4711|L7|A|P1|32767|5|12500|35|12000|30|Scolastica|X checked:1187"},
      {{{"1069", "0012"}, {"1070", "0042"}, {"1186", "1"}},
       "1 C101|-1|4711|L7|A|P1|12|42|12500|35|12000|30|Scolastica|U checked:1186"},
      {{{"1186", "1"}, {"1191", "1"}}, "1 " + same + "N checked:1191"},
      {{{"1069", "0013"}}, badAuthority},
      {{{"1069", "12ab"}}, badAuthority},
      {{{"1069", "3276"}}, badAuthority},
      {{{"1069", "01200"}},  // not 0120
       refused + "Ente Concedente non è valido.\n\nSi possono digitare al più quattro cifre: un codice più lungo va "
                 "scelto dalla lista.\n\nOccorre selezionare un Codice Regionale Ente presente "
                 "nella lista.\n\nI dati immessi non saranno registrati !!!"},
      {{{"1070", "12a"}},
       refused + "Contratto non è valido.\n\nOccorre indicare un Codice Contratto numerico compreso tra 0 e "
                 "9999.\n\nI dati immessi non saranno registrati !!!"},
  };
  for (const auto& [controls, result] : cases) EXPECT_EQ(Run(controls), result);
  // A mode of no button leaves them all clear, and is handed back unless one is clicked.
  EXPECT_EQ(Run({}, 'Z'), "1 " + same + "Z checked:");
  EXPECT_EQ(Run({{"1190", "1"}}, 'Z'), "1 " + same + "T checked:1190");

  Run({});
  QStringList shown;
  for (int id : {1067, 1192, 1193, 1068, 1134, 1126, 1070, 1071, 1072, 1073, 1074, 1076})
    shown << dialog_->findChild<QLineEdit*>(QString::number(id))->text();
  shown << dialog_->findChild<QComboBox*>(QStringLiteral("1069"))->currentText();
  EXPECT_EQ(shown.join(u'|'), QStringLiteral("C101||4711|L7|A|P1|0005|12500|35|12000|30|Scolastica|"
                                             "0012 - Provincia di Siena"));
}

// An entry of a five-digit code and a name of 40 characters, the longest a list has, shows whole:
// in the closed box from its code on, and in the list.
TEST_F(TripHeadTest, TheLongestEntryShowsWholeWithItsCode) {
  const std::string entry = "12345 - Unione dei Comuni Valdichiana Senese Sud";
  EXPECT_EQ(Run({{"1069", entry}}).substr(0, 2), "1 ");
  auto* combo = dialog_->findChild<QComboBox*>(QStringLiteral("1069"));
  EXPECT_TRUE(ShowsWhole(*combo, QString::fromLatin1(entry))) << combo->width();
  // Shown on a screen too small for all it would like, the window still gives each control its least width.
  EXPECT_GE(dialog_->width(), dialog_->layout()->totalMinimumSize().width());
}

// A number that is no length, duration or trip id is refused, naming its field, with what was
// typed left in the field; nothing is handed back.
TEST_F(TripHeadTest, NumbersThatAreNotOfTheirFieldAreRefusedNamingIt) {
  const std::string same = "-1 C101|-1|4711|L7|A|P1|12|5|12500|35|12000|30|Scolastica|X checked:1187 ";
  const std::string range = "\" non è valido.\n\nOccorre indicare un numero intero compreso tra 0 e ";
  const std::string end = ".\n\nI dati immessi non saranno registrati !!!";
  const std::string contract =
      "ATTENZIONE: Il Codice Contratto non è valido.\n\nOccorre indicare un Codice Contratto numerico compreso tra 0 "
      "e 9999.\n\nI dati immessi non saranno registrati !!!";
  const auto field = [&](const char* label, const char* most) {
    return std::string("ATTENZIONE: il valore del campo \"") + label + range + most + end;
  };
  // field, text typed, message
  const std::tuple<const char*, const char*, std::string> cases[] = {
      {"1071", "-1", field("Lunghezza (m)", "99999999")},
      {"1071", "12a", field("Lunghezza (m)", "99999999")},
      {"1071", "1.5", field("Lunghezza (m)", "99999999")},
      {"1072", "-5", field("Durata (min)", "9999")},
      {"1072", "1,5", field("Durata (min)", "9999")},
      {"1073", "-1", field("Lunghezza contrattuale (m)", "99999999")},
      {"1073", "3 km", field("Lunghezza contrattuale (m)", "99999999")},
      {"1074", "-5", field("Durata contrattuale (min)", "9999")},
      {"1074", "1.5", field("Durata contrattuale (min)", "9999")},
      {"1070", "-1", contract},
      {"1070", "1.5", contract},
      {"1192", "12a", field("Corsa precedente", "99999999")},
      {"1193", "7 8", field("Corsa successiva", "99999999")},
  };
  for (const auto& [id, typed, message] : cases) {
    EXPECT_EQ(Run({{id, typed}}), same + message) << id << " " << typed;
    EXPECT_EQ(dialog_->findChild<QLineEdit*>(QString::fromLatin1(id))->text(), QString::fromLatin1(typed));
  }
}

TEST_F(TripHeadTest, ThePeriodsButtonCallsBackOnlyWhenEnabled) {
  EXPECT_EQ(Run({{"1075", "1"}}, 'X', false).substr(0, 3), "-1 ");
  EXPECT_EQ(calls_, 0);
  EXPECT_EQ(Run({{"1075", "1"}}, 'X', true).substr(0, 3), "1 C");
  EXPECT_EQ(calls_, 1);
}

}  // namespace
