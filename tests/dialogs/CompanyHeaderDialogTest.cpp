// The company header dialog on a database of the test's own: what it shows, what it hands back, and every refusal of
// its confirmation, that of a working company missing from the list included.

#include "db/DbDatabase.h"
#include "dialogs/CompanyHeaderDialog.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

const std::string kBadCompany =
    "ATTENZIONE: Il Codice Regionale Azienda non è valido.\n\n"
    "Occorre selezionare un Codice Regionale Azienda presente nella lista.\n\n"
    "I dati immessi non saranno registrati !!!";

class CompanyHeader : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = dir_.Path("lavoro.mdb");
    MakeDatabase(path,
                 BuilderTimetableTables() +
                     "INSERT INTO regazi VALUES (0, '*** azienda non assegnata ***'), (12, 'Trasporti Val d''Arno'),"
                     " (7, 'Autolinee Chianti'), (150, 'Ferrovie locali'), (32767, 'Zeta Bus');");
    db_ = std::make_unique<DbDatabase>(path);
    ASSERT_TRUE(db_->isOpen);
  }

  // Runs the dialog opened on the company and protocol with the values typed; returns its result
  // (-1 when the run ended at a refusal) and what it hands back.
  std::string Run(const Controls& controls, int company = 12, long protocol = 345) {
    CompanyHeaderDialog d(nullptr, db_.get(), company, "15/01/2024", protocol, "Mario Rossi", "01/01/2024",
                          "31/12/2024", 115);
    script_.Push({ui::Answer::Kind::Dialog, "115", controls});
    int result = -1;
    try {
      result = d.DoModal();
    } catch (const ui::UnansweredQuestion&) {
    }
    if (controls.empty()) opened_ = Shown(d);
    return std::to_string(result) + " " + std::to_string(d.company) + "|" + d.sendDate + "|" +
           std::to_string(d.protocol) + "|" + d.person + "|" + d.periodStart + "|" + d.periodEnd;
  }
  // The combo's entries, its text and the protocol's text, as the dialog showed them.
  static QStringList Shown(CompanyHeaderDialog& d) {
    const auto* combo = d.findChild<QComboBox*>(QStringLiteral("1000"));
    QStringList out;
    for (int k = 0; combo && k < combo->count(); ++k) out << combo->itemText(k);
    out << (combo ? combo->currentText() : QString()) << d.findChild<QLineEdit*>(QStringLiteral("1004"))->text();
    return out;
  }

  ScratchDir dir_;
  ui::Script script_;
  std::unique_ptr<DbDatabase> db_;
  QStringList opened_;
};

TEST_F(CompanyHeader, OpensWithTheCompaniesByNameAndHandsBackWhatWasConfirmed) {
  // Confirmed untouched: the same values back, no protocol still none.
  EXPECT_EQ(Run({}, 12, -1), "1 12|15/01/2024|-1|Mario Rossi|01/01/2024|31/12/2024");
  EXPECT_EQ(opened_, (QStringList{QStringLiteral("0000 - *** azienda non assegnata ***"),
                                  QStringLiteral("0007 - Autolinee Chianti"), QStringLiteral("0150 - Ferrovie locali"),
                                  QStringLiteral("0012 - Trasporti Val d'Arno"), QStringLiteral("32767 - Zeta Bus"),
                                  QStringLiteral("0012 - Trasporti Val d'Arno"), QString()}));
  const std::pair<Controls, const char*> cases[] = {
      {{{"1000", "0150 - Ferrovie locali"},
        {"1003", "01.02.05"},
        {"1004", "77"},
        {"1005", "Anna Bianchi Località"},
        {"1001", "01-03-2024"},
        {"1002", "30/06/24"}},
       "1 150|01/02/2005|77|Anna Bianchi Località|01/03/2024|30/06/2024"},
      // A code typed by hand, found in the list; empty send date and protocol mean none.
      {{{"1000", "7"}, {"1003", ""}, {"1004", ""}}, "1 7||-1|Mario Rossi|01/01/2024|31/12/2024"},
      {{{"1000", "32767 - Zeta Bus"}}, "1 32767|15/01/2024|345|Mario Rossi|01/01/2024|31/12/2024"},
      // The single day period is a period; the two dates are not compared.
      {{{"1001", "29/02/2024"}, {"1002", "29.02.2024"}}, "1 12|15/01/2024|345|Mario Rossi|29/02/2024|29/02/2024"},
      {{{"1001", "01/07/2024"}, {"1002", "30/06/2024"}}, "1 12|15/01/2024|345|Mario Rossi|01/07/2024|30/06/2024"},
      // The protocol takes the field's six digits (EntryRulesTest); a seventh cannot be typed.
      {{{"1004", "123456"}}, "1 12|15/01/2024|123456|Mario Rossi|01/01/2024|31/12/2024"},
      {{{"1004", "1234567"}}, "-1 12|15/01/2024|345|Mario Rossi|01/01/2024|31/12/2024"},
  };
  for (const auto& [controls, result] : cases) EXPECT_EQ(Run(controls), result) << controls[0].second;
  EXPECT_EQ(MessagesOf(script_), "");
}

TEST_F(CompanyHeader, RefusesEachFaultWithItsMessageAndHandsBackNothing) {
  const std::string kBadProtocol =
      "ATTENZIONE: il valore del campo \"Numero di protocollo\" non è valido.\n\n"
      "Occorre indicare un numero intero compreso tra 0 e 999999.\n\nI dati immessi non saranno registrati !!!";
  const std::string badDate =
      " è espressa in un formato illegale.\n\n"
      "Le date devono essere espresse nella forma GG/MM/AAAA.\n\nI dati immessi non saranno registrati !!!";
  const std::string badYear =
      " ha un anno non ammesso.\n\nL'anno deve essere compreso tra 1601 e 2399 (99/99/9999 indica una data aperta, "
      "00/00/0000 una data non ancora data).\n\nI dati immessi non saranno registrati !!!";
  const std::pair<Controls, std::string> cases[] = {
      {{{"1000", "0099"}}, kBadCompany},
      {{{"1000", "ab12"}, {"1001", "31/02/2024"}}, kBadCompany},
      {{{"1000", "3276"}}, kBadCompany},  // only the beginning of 32767
      {{{"1000", "01500"}},               // not 0150
       "ATTENZIONE: Il Codice Regionale Azienda non è valido.\n\nSi possono digitare al più quattro cifre: un codice "
       "più lungo va scelto dalla lista.\n\n"
       "Occorre selezionare un Codice Regionale Azienda presente nella lista.\n\nI dati immessi non saranno "
       "registrati !!!"},
      {{{"1003", "1/2/2005"}}, "ATTENZIONE: la data di invio della comunicazione" + badDate},
      {{{"1001", "31/02/2024"}}, "ATTENZIONE: la data di inizio periodo" + badDate},
      {{{"1002", "31/04/2024"}}, "ATTENZIONE: la data di fine periodo" + badDate},
      {{{"1003", "31/12/1600"}}, "ATTENZIONE: la data di invio della comunicazione" + badYear},
      {{{"1001", "01/01/0001"}}, "ATTENZIONE: la data di inizio periodo" + badYear},
      {{{"1002", "31/12/9999"}}, "ATTENZIONE: la data di fine periodo" + badYear},
      {{{"1004", "12a"}}, kBadProtocol},
      {{{"1004", "-3"}}, kBadProtocol},
  };
  for (const auto& [controls, message] : cases) {
    EXPECT_EQ(Run(controls), "-1 12|15/01/2024|345|Mario Rossi|01/01/2024|31/12/2024") << controls[0].second;
    ASSERT_EQ(script_.Messages().size(), 1u) << MessagesOf(script_);
    EXPECT_EQ(script_.Messages()[0].text, message);
    EXPECT_EQ(script_.Messages()[0].type, ui::MB_ICONSTOP);
    script_.Clear();
  }
}

// A working company missing from the list is shown by its code: confirming refuses it instead of
// taking the empty field for company 0, until one of the list is chosen.
TEST_F(CompanyHeader, AnUnknownWorkingCompanyShowsItsCodeAndIsRefused) {
  EXPECT_EQ(Run({}, 999), "-1 999|15/01/2024|345|Mario Rossi|01/01/2024|31/12/2024");
  EXPECT_EQ(opened_[opened_.size() - 2], QStringLiteral("0999"));
  EXPECT_EQ(MessagesOf(script_), kBadCompany);
  script_.Clear();
  EXPECT_EQ(Run({}, 3276), "-1 3276|15/01/2024|345|Mario Rossi|01/01/2024|31/12/2024");  // not 32767
  EXPECT_EQ(MessagesOf(script_), kBadCompany);
  script_.Clear();
  EXPECT_EQ(Run({}, 32767), "1 32767|15/01/2024|345|Mario Rossi|01/01/2024|31/12/2024");
  EXPECT_EQ(opened_[opened_.size() - 2], QStringLiteral("32767 - Zeta Bus"));
  EXPECT_EQ(Run({{"1000", "0012"}}, 999), "1 12|15/01/2024|345|Mario Rossi|01/01/2024|31/12/2024");
  EXPECT_EQ(MessagesOf(script_), "");
}

}  // namespace
