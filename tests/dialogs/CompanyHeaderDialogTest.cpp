// The company header dialog on a database of the test's own: what it shows, what it hands
// back, and every refusal of its confirmation.

#include "db/DbDatabase.h"
#include "dialogs/CompanyHeaderDialog.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

class CompanyHeader : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Path("lavoro.mdb");
    MakeDatabase(path_,
                 "CREATE TABLE regazi (codice SMALLINT NOT NULL, denom VARCHAR(40) COLLATE RTRIM,"
                 " CONSTRAINT \"codice\" PRIMARY KEY (codice));"
                 "INSERT INTO regazi VALUES (0, '*** azienda non assegnata ***'), (12, 'Trasporti Val d''Arno'),"
                 " (7, 'Autolinee Chianti'), (150, 'Ferrovie locali');");
    db_ = std::make_unique<DbDatabase>(path_);
    ASSERT_EQ(db_->isOpen, 1);
  }

  std::unique_ptr<CompanyHeaderDialog> Make(int company = 12, long protocol = 345) {
    return std::make_unique<CompanyHeaderDialog>(nullptr, db_.get(), company, "15/01/2024", protocol, "Mario Rossi",
                                                 "01/01/2024", "31/12/2024", 115);
  }

  // Runs the dialog with the values; returns its result, or -1 when the run ended at a refusal.
  int Run(CompanyHeaderDialog& dialog, const Controls& controls) {
    script_.Push({ui::Answer::Kind::Dialog, "115", controls});
    try {
      return dialog.DoModal();
    } catch (const ui::UnansweredQuestion&) {
      return -1;
    }
  }

  // Expects one refusal with the given message, and nothing handed back.
  void ExpectRefused(const Controls& controls, const std::string& message) {
    auto dialog = Make();
    EXPECT_EQ(Run(*dialog, controls), -1);
    ASSERT_EQ(script_.Messages().size(), 1u) << MessagesOf(script_);
    EXPECT_EQ(script_.Messages()[0].text, message);
    EXPECT_EQ(script_.Messages()[0].type, ui::MB_ICONSTOP);
    EXPECT_EQ(dialog->company, 12);
    EXPECT_EQ(dialog->sendDate, "15/01/2024");
    EXPECT_EQ(dialog->protocol, 345);
    EXPECT_EQ(dialog->periodStart, "01/01/2024");
    EXPECT_EQ(dialog->periodEnd, "31/12/2024");
    script_.Clear();
  }

  ScratchDir dir_;
  ui::Script script_;
  std::string path_;
  std::unique_ptr<DbDatabase> db_;
};

const std::string kBadDate =
    "Le date devono essere espresse nella forma GG/MM/AAAA.\n\nI dati immessi non saranno registrati !!!";

TEST_F(CompanyHeader, OpensWithTheCompaniesByNameAndTheGivenValues) {
  auto dialog = Make(12, -1);
  EXPECT_EQ(Run(*dialog, {}), ui::IDOK);
  const auto* combo = dialog->findChild<QComboBox*>("1000");
  ASSERT_NE(combo, nullptr);
  QStringList entries;
  for (int k = 0; k < combo->count(); ++k) entries << combo->itemText(k);
  EXPECT_EQ(entries, (QStringList{"0000 - *** azienda non assegnata ***", "0007 - Autolinee Chianti",
                                  "0150 - Ferrovie locali", "0012 - Trasporti Val d'Arno"}));
  EXPECT_EQ(combo->currentText(), "0012 - Trasporti Val d'Arno");
  EXPECT_EQ(dialog->findChild<QLineEdit*>("1004")->text(), "");  // no protocol
  EXPECT_EQ(dialog->findChild<QLineEdit*>("1003")->text(), "15/01/2024");
  EXPECT_EQ(dialog->windowTitle(), "Intestazione Azienda e Comunicazione");
  // Confirmed untouched: the same values back, the protocol still none.
  EXPECT_EQ(dialog->company, 12);
  EXPECT_EQ(dialog->protocol, -1);
  EXPECT_EQ(dialog->person, "Mario Rossi");
  EXPECT_TRUE(script_.Messages().empty());
}

TEST_F(CompanyHeader, HandsBackTheTypedValuesInNormalForm) {
  auto dialog = Make();
  ASSERT_EQ(Run(*dialog, {{"1000", "0150 - Ferrovie locali"},
                          {"1003", "01.02.05"},
                          {"1004", "77"},
                          {"1005", "Anna Bianchi Località"},
                          {"1001", "01-03-2024"},
                          {"1002", "30/06/24"}}),
            ui::IDOK);
  EXPECT_EQ(dialog->company, 150);
  EXPECT_EQ(dialog->sendDate, "01/02/2005");
  EXPECT_EQ(dialog->protocol, 77);
  EXPECT_EQ(dialog->person, "Anna Bianchi Località");
  EXPECT_EQ(dialog->periodStart, "01/03/2024");
  EXPECT_EQ(dialog->periodEnd, "30/06/2024");
}

TEST_F(CompanyHeader, EmptySendDateAndProtocolMeanNone) {
  auto dialog = Make();
  ASSERT_EQ(Run(*dialog, {{"1000", "7"}, {"1003", ""}, {"1004", ""}}), ui::IDOK);
  EXPECT_EQ(dialog->company, 7);  // a code typed by hand, found in the list
  EXPECT_EQ(dialog->sendDate, "");
  EXPECT_EQ(dialog->protocol, -1);
  // The single day period is a period.
  auto single = Make();
  ASSERT_EQ(Run(*single, {{"1001", "29/02/2024"}, {"1002", "29.02.2024"}}), ui::IDOK);
  EXPECT_EQ(single->periodEnd, "29/02/2024");
}

TEST_F(CompanyHeader, RefusesEachFaultWithItsMessage) {
  ExpectRefused({{"1000", "0099"}},
                "ATTENZIONE: Il Codice Regionale Azienda non è valido.\n\n"
                "Occorre selezionare un Codice Regionale Azienda presente nella lista.\n\n"
                "I dati immessi non saranno registrati !!!");
  ExpectRefused({{"1000", "ab12"}, {"1001", "31/02/2024"}},
                "ATTENZIONE: Il Codice Regionale Azienda non è valido.\n\n"
                "Occorre selezionare un Codice Regionale Azienda presente nella lista.\n\n"
                "I dati immessi non saranno registrati !!!");
  ExpectRefused({{"1003", "1/2/2005"}},
                "ATTENZIONE: la data di invio della comunicazione è espressa in un formato illegale.\n\n" + kBadDate);
  ExpectRefused({{"1001", "31/02/2024"}},
                "ATTENZIONE: la data di inizio periodo è espressa in un formato illegale.\n\n" + kBadDate);
  ExpectRefused({{"1001", ""}},
                "ATTENZIONE: la data di inizio periodo è espressa in un formato illegale.\n\n" + kBadDate);
  ExpectRefused({{"1002", "31/04/2024"}},
                "ATTENZIONE: la data di fine periodo è espressa in un formato illegale.\n\n" + kBadDate);
  ExpectRefused({{"1001", "01/07/2024"}, {"1002", "30/06/2024"}},
                "ATTENZIONE: la data di inizio periodo supera la data di fine periodo.\n\n"
                "I dati immessi non saranno registrati !!!");
}

TEST_F(CompanyHeader, ProtocolIsTheLeadingNumberOfWhatWasTyped) {
  auto dialog = Make();
  ASSERT_EQ(Run(*dialog, {{"1004", "12abc"}}), ui::IDOK);
  EXPECT_EQ(dialog->protocol, 12);
  auto letters = Make();
  ASSERT_EQ(Run(*letters, {{"1004", "abc"}}), ui::IDOK);
  EXPECT_EQ(letters->protocol, 0);
  auto longOne = Make();
  ASSERT_EQ(Run(*longOne, {{"1004", "12345678"}}), ui::IDOK);
  EXPECT_EQ(longOne->protocol, 123456);  // the field takes six characters
}

TEST_F(CompanyHeader, CompanyMissingFromTheListOpensWithNoneChosen) {
  auto dialog = Make(321);
  EXPECT_EQ(Run(*dialog, {}), ui::IDOK);  // the empty text is the not-assigned company
  EXPECT_EQ(dialog->company, 0);
}

}  // namespace
