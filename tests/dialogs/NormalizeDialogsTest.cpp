// The normalisation dialogs (139, 140, 141) and the stop elimination's dialog (154) run headless
// on a real database: the lists from the trips, the entry chosen copied into both blocks, the
// "Sostituisci" checks and what each hands back.

#include "support/UiTestSupport.h"
#include "support/UtilityData.h"

#include "db/DbDatabase.h"
#include "dialogs/NormalizeDialogs.h"

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

const std::string kNotValid = "ATTENZIONE: La normalizzazione proposta non è valida.\n\n";
const std::string kLineWording =
    kNotValid +
    "Occorre indicare sia il codice della linea da sostituire\nche il nuovo valore che si intende assegnare.";
const std::string kRouteWording =
    kNotValid +
    "Occorre indicare sia il codice del percorso da sostituire\nche il nuovo valore che si intende assegnare.";
const std::string kIdentical = kNotValid + "Il nuovo valore è identico a quello precedente !!!.";
const std::string kBadCode =
    "ATTENZIONE: Il Codice Fermata non è valido.\n\nOccorre selezionare una Fermata presente nella lista.\n\n";

struct Dialogs : TimetableDialogTest {
  void Fill() override { FillNormalisationDatabase(path); }
};

struct Entry {
  Controls controls;
  std::string expected;  // what the dialog hands back, or its refusal
};

TEST_F(Dialogs, LineCodes) {
  const Entry cases[] = {
      {{{"1135", "L1 R"}}, kIdentical},
      // A direction typed as r compares as R.
      {{{"1135", "L1 R"}, {"1139", "r"}}, kIdentical},
      {{{"1135", "L1 R"}, {"1139", "a"}}, "L1 R -> L1 A"},
      {{{"1135", "L2 A"}, {"1138", "L20  "}}, "L2 A -> L20 A"},
      {{{"1135", "L2 A"}, {"1138", ""}}, kLineWording},
      {{{"1138", "L3"}}, kLineWording},
  };
  for (const Entry& c : cases) {
    LineCodeNormalizeDialog d(nullptr, db.get(), 139);
    std::string got = ConfirmOrRefusal(script, d, "139", c.controls);
    if (got.empty())
      got = d.search.line + " " + d.search.direction + " -> " + d.replacement.line + " " + d.replacement.direction;
    EXPECT_EQ(got, c.expected);
  }
  LineCodeNormalizeDialog d(nullptr, db.get(), 139);
  script.Clear();
  script.Push({ui::Answer::Kind::DialogCancel, "139", {}});
  d.DoModal();
  const QComboBox* list = d.findChild<QComboBox*>(QStringLiteral("1135"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count(), 3);
  EXPECT_EQ(list->itemText(0), QStringLiteral("L1 A"));
}

TEST_F(Dialogs, Stops) {
  // Entries by name: Aulla, Bibola, Canossa, Piazza "Duomo" (no code), Piazza "Duomo" (F2), Pontremoli.
  const Entry cases[] = {
      {{{"1135#", "4"}}, kIdentical},
      {{{"1135#", "4"}, {"1145", "Centro"}}, "F2|Piazza \"Duomo\"| -> F2|Piazza \"Duomo\"|Centro"},
      {{{"1135#", "3"}, {"1143", "F2"}}, "|Piazza \"Duomo\"| -> F2|Piazza \"Duomo\"|"},
      {{{"1135#", "0"}, {"1144", "   "}}, kLineWording},
      {{{"1144", "Aulla"}}, kLineWording},
  };
  for (const Entry& c : cases) {
    StopNormalizeDialog d(nullptr, db.get(), 140);
    std::string got = ConfirmOrRefusal(script, d, "140", c.controls);
    if (got.empty())
      got = d.search.code + "|" + d.search.name + "|" + d.search.place + " -> " + d.replacement.code + "|" +
            d.replacement.name + "|" + d.replacement.place;
    EXPECT_EQ(got, c.expected);
  }
}

TEST_F(Dialogs, Routes) {
  // Entries: P1 (no name), P1 "Aulla - Pontremoli", P2 (blank), P2 "Pontremoli - Aulla", P3, and the trip without.
  const Entry cases[] = {
      {{{"1135", "P3"}}, kIdentical},
      {{{"1135", "P3"}, {"1149", "Bibola - Canossa"}}, "P3|fermata -> P3|Bibola - Canossa"},
      // A single blank is a code; only an empty one is missing.
      {{{"1135", "P3"}, {"1148", " "}}, "P3|fermata ->  |fermata"},
      {{{"1135", "P3"}, {"1148", ""}}, kRouteWording},
      {{{"1148", "P9"}}, kRouteWording},
  };
  for (const Entry& c : cases) {
    RouteNormalizeDialog d(nullptr, db.get(), 141);
    std::string got = ConfirmOrRefusal(script, d, "141", c.controls);
    if (got.empty())
      got = d.search.route + "|" + d.search.name + " -> " + d.replacement.route + "|" + d.replacement.name;
    EXPECT_EQ(got, c.expected);
  }
}

TEST_F(Dialogs, CodesReadAlikeAreEntriesOfTheirOwn) {
  // Line and route codes "?1" of trips 5 and 6, and U+0141 and U+015A stored by another tool
  // (trips 1 and 2), which read "?1" too: each an entry, in the stored order, handed back as stored.
  RunSql(path,
         "UPDATE tescor SET codlinea = char(0x141 + (id = 2) * 25) || '1' WHERE id IN (1, 2);"
         "UPDATE tescor SET codperc = codlinea WHERE id IN (1, 2);"
         "UPDATE tescor SET codlinea = '?1' WHERE id = 5; UPDATE tescor SET codperc = '?1' WHERE id = 6;");
  const std::string s1 =
      "\xC5\x9A"
      "1";
  const std::pair<Controls, std::string> lines[] = {
      // "?1 A", "L1 R", "L2 A", then U+0141 and U+015A, both "?1 A".
      {{{"1135#", "4"}, {"1138", "L7"}}, "?1 A|" + s1 + "| -> L7 A"},
      {{{"1135#", "4"}, {"1139", "R"}}, "?1 A|" + s1 + "| -> ?1 R"},
      {{{"1135#", "0"}, {"1138", "L7"}}, "?1 A|| -> L7 A"},
  };
  for (const auto& [controls, expected] : lines) {
    LineCodeNormalizeDialog d(nullptr, db.get(), 139);
    EXPECT_EQ(ConfirmOrRefusal(script, d, "139", controls), "");
    EXPECT_EQ(d.search.line + " " + d.search.direction + "|" + d.search.stored[0] + "|" + d.search.stored[1] + " -> " +
                  d.replacement.line + " " + d.replacement.direction,
              expected);
  }
  // "?1" (no name), P2 twice, P3, then U+0141 ("Aulla - Pontremoli") and U+015A (no name).
  const std::pair<Controls, std::string> routes[] = {
      {{{"1135#", "5"}, {"1148", "P8"}}, "?1||" + s1 + "| -> P8|"},
      {{{"1135#", "0"}, {"1148", "P8"}}, "?1||| -> P8|"},
  };
  for (const auto& [controls, expected] : routes) {
    RouteNormalizeDialog d(nullptr, db.get(), 141);
    EXPECT_EQ(ConfirmOrRefusal(script, d, "141", controls), "");
    EXPECT_EQ(d.search.route + "|" + d.search.name + "|" + d.search.stored[0] + "|" + d.search.stored[1] + " -> " +
                  d.replacement.route + "|" + d.replacement.name,
              expected);
  }
}

TEST_F(Dialogs, StopToDelete) {
  const Entry cases[] = {
      {{{"1208", "F2         Piazza \"Duomo\""}}, "F2"},
      {{{"1208", "F5"}}, "F5"},
      // An empty text, a part of a code and a code no trip uses name no stop.
      {{{"1208", ""}}, kBadCode},
      {{{"1208", "F"}}, kBadCode},
      {{{"1208", "ZZ"}}, kBadCode},
  };
  for (const Entry& c : cases) {
    StopDeleteDialog d(nullptr, db.get(), 154);
    std::string got = ConfirmOrRefusal(script, d, "154", c.controls);
    if (got.empty()) got = d.code.text;
    EXPECT_EQ(got, c.expected);
  }
}

}  // namespace
