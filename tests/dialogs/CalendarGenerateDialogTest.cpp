// The calendar generation dialog on a database of the test's own: the day type list, what it
// hands back, its refusals, and the typing limit of the day type field.

#include "db/DbDatabase.h"
#include "dialogs/CalendarGenerateDialog.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

class CalendarGenerate : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = dir_.Path("lavoro.mdb");
    MakeDatabase(path, BuilderTimetableTables() +
                           "INSERT INTO cadenz VALUES ('SCOLASTICO', 'Giorni di scuola'), ('SAB  ', 'Sabato'),"
                           " ('FESTIVO', 'Festività'), ('FER', 'Feriale');");
    db_ = std::make_unique<DbDatabase>(path);
  }

  // Runs the dialog with the values given (none: cancelled); returns its result (-1 when the run
  // ended at a refusal), what it hands back and the messages shown.
  std::string Run(const Controls& controls) {
    dialog_ = std::make_unique<CalendarGenerateDialog>(nullptr, db_.get(), "01/01/2024", "31/12/2024", 119);
    script_.Push({controls.empty() ? ui::Answer::Kind::DialogCancel : ui::Answer::Kind::Dialog, "119", controls});
    int result = -1;
    try {
      result = dialog_->DoModal();
    } catch (const ui::UnansweredQuestion&) {
    }
    const DbText& cadence = dialog_->cadence;
    std::string out = std::to_string(result) + " " + cadence.text + (cadence.Lost() ? "=" + cadence.stored : "") + "|" +
                      dialog_->startText + "|" + dialog_->endText + "|" + std::to_string(dialog_->operation) + "|";
    for (int flag : dialog_->weekdays) out += std::to_string(flag);
    out += MessagesOf(script_).empty() ? "" : " " + MessagesOf(script_);
    script_.Clear();
    return out;
  }

  ScratchDir dir_;
  ui::Script script_;
  std::unique_ptr<DbDatabase> db_;
  std::unique_ptr<CalendarGenerateDialog> dialog_;
};

TEST_F(CalendarGenerate, DayTypesReadAlikeAreEntriesOfTheirOwn) {
  // "?1" and U+0141 and U+015A stored by another tool, which read "?1" too: after FER and the
  // others, in their stored order; the one chosen is handed back as stored, a text typed as typed.
  RunSql(db_->Path(),
         "INSERT INTO cadenz VALUES ('?1', 'Uno'), (char(0x141) || '1', 'Estiva'),"
         " (char(0x15A) || '1', 'Invernale')");
  RunSql(db_->Path(), "PRAGMA ignore_check_constraints = ON; INSERT INTO cadenz VALUES (X'46455231', 'Binario')");
  const std::pair<Controls, std::string> cases[] = {
      {{{"1020#", "6"}},
       "1 ?1=\xC5\x9A"
       "1|01/01/2024|31/12/2024|0|0000000"},
      {{{"1020#", "0"}}, "1 ?1|01/01/2024|31/12/2024|0|0000000"},
      {{{"1020", "?1"}}, "1 ?1|01/01/2024|31/12/2024|0|0000000"},
      {{{"1020", "X'46455231' - Binario"}}, "1 X'46455231'=X'46455231'|01/01/2024|31/12/2024|0|0000000"},
  };
  for (const auto& [controls, result] : cases) EXPECT_EQ(Run(controls), result);
  EXPECT_EQ(dialog_->findChild<QComboBox*>(QStringLiteral("1020"))->itemText(6), QStringLiteral("?1   - Invernale"));
}

TEST_F(CalendarGenerate, HandsBackWhatWasConfirmedRefusesEachFaultAndLimitsTyping) {
  const std::string refused = "-1 |01/01/2024|31/12/2024|0|0000000 ";
  const std::string noCadence =
      refused +
      "ATTENZIONE: non è stata indicata nessuna cadenza !!!\n\nI dati immessi non possono essere accettati !!!";
  const std::string badDate =
      " è espressa in un formato illegale.\n\nLe date devono essere espresse nella forma GG/MM/AAAA.\n\n"
      "I dati immessi non possono essere accettati !!!";
  const std::string badYear =
      " ha un anno non ammesso.\n\nL'anno deve essere compreso tra 1601 e 2399 (99/99/9999 indica una data aperta, "
      "00/00/0000 una data non ancora data).\n\nI dati immessi non possono essere accettati !!!";
  const std::pair<Controls, std::string> cases[] = {
      {{{"1020", "FER  - Feriale"}}, "1 FER|01/01/2024|31/12/2024|0|0000000"},
      {{{"1020", "FESTIVO"}, {"1029", "01.02.05"}, {"1030", "28-02-05"}}, "1 FESTIVO|01/02/2005|28/02/2005|0|0000000"},
      // A text typing would cut to ten characters ends the run.
      {{{"1020", "ABCDEFGHIJKL"}}, "-1 |01/01/2024|31/12/2024|0|0000000"},
      {{{"1020", "SAB"}, {"1031", "1"}, {"1037", "1"}, {"1033", "1"}, {"1033", "0"}, {"1017", "1"}},
       "1 SAB|01/01/2024|31/12/2024|1|1000001"},
      {{{"1020", "SAB"}, {"1017", "1"}, {"1016", "1"}}, "1 SAB|01/01/2024|31/12/2024|0|0000000"},
      {{{"1020", ""}}, noCadence},
      {{{"1020", "   "}, {"1029", "bad"}}, noCadence},
      {{{"1020", " FER"}}, noCadence},
      {{{"1020", "FER"}, {"1029", "31/02/2024"}}, refused + "ATTENZIONE: la data di inizio periodo" + badDate},
      {{{"1020", "FER"}, {"1030", "1/2/2005"}}, refused + "ATTENZIONE: la data di fine periodo" + badDate},
      {{{"1020", "FER"}, {"1029", "01/01/0001"}}, refused + "ATTENZIONE: la data di inizio periodo" + badYear},
      {{{"1020", "FER"}, {"1030", "31/12/9999"}}, refused + "ATTENZIONE: la data di fine periodo" + badYear},
      // The two dates are not compared; a range of one day is one.
      {{{"1020", "FER"}, {"1029", "01/03/2024"}, {"1030", "29/02/2024"}}, "1 FER|01/03/2024|29/02/2024|0|0000000"},
      {{{"1020", "FER"}, {"1029", "01/01/25"}, {"1030", "31.12.2024"}}, "1 FER|01/01/2025|31/12/2024|0|0000000"},
      {{{"1020", "FER"}, {"1029", "29/02/2024"}, {"1030", "29-02-24"}}, "1 FER|29/02/2024|29/02/2024|0|0000000"},
      {{}, "2 |01/01/2024|31/12/2024|0|0000000"},
      {{{"1020", "SCOLASTICO - Giorni di scuola"}}, "1 SCOLASTICO|01/01/2024|31/12/2024|0|0000000"},
  };
  for (const auto& [controls, result] : cases) EXPECT_EQ(Run(controls), result);
  const auto* combo = dialog_->findChild<QComboBox*>(QStringLiteral("1020"));
  QStringList entries;
  for (int k = 0; k < combo->count(); ++k) entries << combo->itemText(k);
  EXPECT_EQ(entries, (QStringList{QStringLiteral("FER  - Feriale"), QStringLiteral("FESTIVO - Festività"),
                                  QStringLiteral("SAB  - Sabato"), QStringLiteral("SCOLASTICO - Giorni di scuola")}));
  // A chosen entry stays whole, may be shortened, but typing cannot make it longer than ten characters.
  QLineEdit* edit = combo->lineEdit();
  EXPECT_EQ(edit->text(), QStringLiteral("SCOLASTICO - Giorni di scuola"));
  edit->end(false);
  edit->insert(QStringLiteral("X"));
  edit->backspace();
  EXPECT_EQ(edit->text(), QStringLiteral("SCOLASTICO - Giorni di scuol"));
  edit->clear();
  edit->insert(QStringLiteral("ABCDEFGHIJKLMN"));
  EXPECT_EQ(edit->text(), QStringLiteral("ABCDEFGHIJ"));

  // A refused range stays in the dialog as it was typed.
  Run({{"1020", "FER"}, {"1029", "01/03/2024"}, {"1030", "31/02/2024"}});
  EXPECT_EQ(dialog_->findChild<QLineEdit*>(QStringLiteral("1029"))->text() + u'|' +
                dialog_->findChild<QLineEdit*>(QStringLiteral("1030"))->text(),
            QStringLiteral("01/03/2024|31/02/2024"));
}

}  // namespace
