// Dialog 147: the three fields checked in order with their messages (the dialog stays open), the
// version read from its leading digits, the seven mode boxes held apart by their handlers and the
// georeferencing box; run headless with scripted answers.

#include "support/UiTestSupport.h"

#include "dialogs/IvuExportDialog.h"

namespace {

using namespace ivu_export_dialog;

const std::string kSigla =
    "ATTENZIONE: Non è stata indicata la Sigla dell'Azienda.\n\n"
    "Occorre indicare obbligatoriamente una Sigla per procedere";
const std::string kVersion =
    "ATTENZIONE: Non è stata indicata la Versione.\n\n"
    "Occorre indicare obbligatoriamente un numero di Versione per procedere";
const std::string kDescription =
    "ATTENZIONE: Non è stata indicata la Descrizione del Periodo.\n\n"
    "Occorre indicare obbligatoriamente una Descrizione per procedere";

// The check marks of the georeferencing box and the seven mode boxes, then the members.
std::string Marks(IvuExportDialog& d) {
  std::string s;
  for (int id : {kGeoreferencing, kBus, kMetro, kSuburban, kRegional, kTram, kLongDistance, kFerry})
    s += static_cast<QAbstractButton*>(d.Control(id))->isChecked() ? '1' : '0';
  return s + "|" + d.mode + "|" + std::to_string(d.georeferencing);
}

struct Entry {
  const char* sigla;
  const char* version;
  const char* description;
  std::string refusal;  // empty: confirmed
  const char* taken;    // sigla|version|description when confirmed
};

class IvuExportEntries : public ::testing::TestWithParam<Entry> {};

TEST_P(IvuExportEntries, CheckedInOrder) {
  ui::Script script;
  IvuExportDialog d(nullptr, 147);
  const Entry& e = GetParam();
  EXPECT_EQ(ConfirmOrRefusal(script, d, "147", {{"1165", e.sigla}, {"1173", e.version}, {"1174", e.description}}),
            e.refusal);
  // A refused entry leaves the members as they were.
  EXPECT_EQ(d.sigla + "|" + std::to_string(d.version) + "|" + d.description, e.refusal.empty() ? e.taken : "|0|");
}

INSTANTIATE_TEST_SUITE_P(Table, IvuExportEntries,
                         ::testing::Values(Entry{" ABC ", "12a", " Orario invernale ", "", "ABC|12|Orario invernale"},
                                           Entry{"X", " 7", "D", "", "X|7|D"}, Entry{"X", "+8", "D", "", "X|8|D"},
                                           Entry{"X", "999999999", "D", "", "X|999999999|D"},
                                           Entry{"", "12", "D", kSigla, ""}, Entry{"     ", "12", "D", kSigla, ""},
                                           Entry{"   ", "0", "", kSigla, ""}, Entry{"ABC", "0", "D", kVersion, ""},
                                           Entry{"ABC", "abc", "D", kVersion, ""}, Entry{"ABC", "", "D", kVersion, ""},
                                           Entry{"ABC", "-3", "D", kVersion, ""}, Entry{"ABC", "00", "", kVersion, ""},
                                           Entry{"ABC", "12", "", kDescription, ""},
                                           Entry{"ABC", "12", "  \t ", kDescription, ""}));

TEST(IvuExportDialog, VersionFromItsLeadingDigits) {
  EXPECT_EQ(IvuExportDialog::VersionOf("12a"), 12);
  EXPECT_EQ(IvuExportDialog::VersionOf("a12"), 0);
  EXPECT_EQ(IvuExportDialog::VersionOf("  -4x"), -4);
  // Never more than the nine digits the field holds.
  EXPECT_EQ(IvuExportDialog::VersionOf("12345678901"), 123456789);
}

TEST(IvuExportDialog, ModesAndGeoreferencing) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> controls;
    const char* marks;
  };
  const Case cases[] = {
      {{}, "11000000|BUS|1"},
      {{{"1170", "1"}}, "10000100|TRAM|1"},
      {{{"1172", "1"}, {"1167", "1"}}, "10100000|METRO|1"},
      // A mode box clicked when checked stays checked.
      {{{"1166", "0"}}, "11000000|BUS|1"},
      {{{"1177", "0"}, {"1171", "1"}}, "00000010|TRENO|0"},
      {{{"1168", "1"}, {"1177", "0"}, {"1169", "1"}}, "00001000|TRENO_R|0"},
      {{{"1177", "0"}, {"1177", "1"}}, "11000000|BUS|1"},
  };
  for (const Case& c : cases) {
    ui::Script script;
    IvuExportDialog d(nullptr, 147);
    std::vector<std::pair<std::string, std::string>> controls = {{"1165", "A"}, {"1173", "1"}, {"1174", "D"}};
    controls.insert(controls.end(), c.controls.begin(), c.controls.end());
    EXPECT_EQ(ConfirmOrRefusal(script, d, "147", controls), "");
    EXPECT_EQ(Marks(d), c.marks);
  }
}

// The edits hold 5, 9 and 60 characters.
TEST(IvuExportDialog, FieldLimits) {
  ui::Script script;
  IvuExportDialog d(nullptr, 147);
  EXPECT_EQ(
      ConfirmOrRefusal(script, d, "147", {{"1165", "ABCDE"}, {"1173", "123456789"}, {"1174", std::string(60, 'x')}}),
      "");
  EXPECT_EQ(d.sigla, "ABCDE");
  EXPECT_EQ(d.version, 123456789);
  EXPECT_EQ(d.description, std::string(60, 'x'));
}

}  // namespace
