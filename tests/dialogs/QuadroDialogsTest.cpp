// The quadro's small dialogs, answered as the user would: the stop of a quadro, the stop to
// insert, the values given to every trip, and the clone of a trip's timetable; with the time
// entry rule they share.

#include "db/DbDatabase.h"
#include "dialogs/EntryRules.h"
#include "dialogs/QuadroAssignDialogs.h"
#include "dialogs/StopDialogs.h"
#include "dialogs/TripCloneDialog.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QLineEdit>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

const std::string kNoName = "ATTENZIONE: non è stata immessa la denominazione della fermata !!!\n\n";
const std::string kBadDistance =
    "ATTENZIONE: il valore del campo \"Progressiva (m.)\" non è valido.\n\n"
    "Occorre indicare un numero intero compreso tra 0 e 99999999.\n\nI dati immessi non saranno registrati !!!";
const std::string kBadTime =
    "ATTENZIONE L'orario di partenza è espresso in modo illegale.\n\n"
    "Gli orari devono essere espressi nel formato HH.MM\n\n";

// Runs the dialog on one scripted answer: its result (-1 when the run stopped at a refusal or a
// control that could not take its value), then `values` read after the run, then the messages.
template <class D, class Values>
std::string RunScripted(D& dialog, const Controls& controls, Values values) {
  ui::Script script;
  script.Push({ui::Answer::Kind::Dialog, std::to_string(dialog.Idd()), controls});
  int result = -1;
  try {
    result = dialog.DoModal();
  } catch (const ui::UnansweredQuestion&) {
  }
  const std::string messages = MessagesOf(script);
  return std::to_string(result) + " " + values() + (messages.empty() ? "" : " " + messages);
}

std::string StopText(const TripStopValues& s) {
  return s.stopCode + "|" + s.stopName + "|" + s.location + "|" + std::to_string(s.distance) + "|" +
         std::to_string(s.primary) + std::to_string(s.optional) + std::to_string(s.noStop);
}

TEST(EntryTime, OneOrTwoHourDigitsAnySeparatorUpToTheFirstBlank) {
  const std::pair<const char*, int> cases[] = {
      {"7.05", 705},  {"07:05", 705}, {"7,05", 705}, {"23-59", 2359}, {"0.00", 0},   {"7.05 xy", 705},
      {"24.00", -1},  {"7.60", -1},   {"0705", -1},  {"", -1},        {"7.5", -1},   {" 7.05", -1},
      {"07.05.", -1}, {"7;05", -1},   {"a7.05", -1}, {"99:99", -1},   {"99.99", -1},  // the mark of no time is no time
                                                                                      // typed
  };
  for (const auto& [text, expected] : cases) {
    int hhmm = -1;
    EXPECT_EQ(ParseEntryTime(text, hhmm), expected >= 0) << text;
    EXPECT_EQ(hhmm, expected) << text;
  }
}

TEST(StopEdit, HandsBackTheStopOrRefusesAnEmptyName) {
  const TripStopValues initial{"F12", "Piazza Duomo", "Lato nord", "", 1500, 0, 1, 0};
  const std::pair<Controls, std::string> cases[] = {
      {{}, "1 F12|Piazza Duomo|Lato nord|1500|010"},
      {{{"1060", " F9 "}, {"1061", "Stazione   "}, {"1062", ""}, {"1066", "2300"}}, "1  F9 |Stazione||2300|010"},
      {{{"1066", ""}, {"1063", "1"}, {"1064", "0"}, {"1065", "1"}}, "1 F12|Piazza Duomo|Lato nord|0|101"},
      {{{"1061", "   "}, {"1066", "7"}}, "-1 F12|Piazza Duomo|Lato nord|1500|010 " + kNoName},
      {{{"1066", "2300m"}}, "-1 F12|Piazza Duomo|Lato nord|1500|010 " + kBadDistance},
      {{{"1066", "-100"}}, "-1 F12|Piazza Duomo|Lato nord|1500|010 " + kBadDistance},
  };
  for (const auto& [controls, expected] : cases) {
    StopEditDialog dialog(nullptr, initial, 121);
    EXPECT_EQ(RunScripted(dialog, controls, [&] { return StopText(dialog.stop); }), expected);
  }
}

TEST(StopDefinition, TheInputsDecideWhereTheStopCanGoAndWhetherItsTimeIsAsked) {
  struct Case {
    int timeEntry, noCurrentStop;
    Controls controls;
    std::string expected;
  };
  const auto shown = [](StopDefinitionDialog& d) {
    std::string out;  // per radio and the time field: checked (x) or not (.), disabled (-)
    for (int id : {1131, 1132, 1133}) {
      auto* b = d.findChild<QAbstractButton*>(QString::number(id));
      out += std::string(b->isChecked() ? "x" : ".") + (b->isEnabled() ? "" : "-");
    }
    return out + (d.findChild<QLineEdit*>(QStringLiteral("1109"))->isEnabled() ? "T" : "-");
  };
  const Controls named = {{"1060", "F7"}, {"1061", "Ospedale"}};
  const auto with = [&](Controls more) {
    more.insert(more.begin(), named.begin(), named.end());
    return more;
  };
  const Case cases[] = {
      {0, 0, named, "1 .x.- F7|Ospedale||0|000 -1 below"},
      {0, 0, with({{"1131", "1"}, {"1064", "1"}, {"1066", "450"}}), "1 x..- F7|Ospedale||450|010 -1 head"},
      {0, 0, with({{"1133", "1"}, {"1109", "7.05"}}), "-1 ..x- |||0|000 -1 tail"},  // no time to type
      {0, 1, with({{"1131", "1"}}), "1 x.-.- F7|Ospedale||0|000 -1 head"},
      {0, 1, with({{"1132", "1"}}), "-1 ..-x- |||0|000 -1 tail"},
      {1, 0, with({{"1109", "7:05"}}), "1 .-.-xT F7|Ospedale||0|000 705 tail"},
      {1, 1, with({{"1109", "24.00"}}), "-1 .-.-xT |||0|000 -1 tail " + kBadTime},
      {1, 0, with({{"1109", "99:99"}}), "-1 .-.-xT |||0|000 -1 tail " + kBadTime},
      {1, 0, {{"1109", "7.05"}}, "-1 .-.-xT |||0|000 -1 tail " + kNoName},
      {0, 0, {{"1108", "1"}}, "1108 .x.- |||0|000 -1 below"},
      {1, 0, {{"1108", "1"}}, "1108 .-.-xT |||0|000 -1 tail"},
  };
  const char* const places[] = {"head", "below", "tail"};
  for (const auto& c : cases) {
    StopDefinitionDialog dialog(nullptr, 127);
    dialog.timeEntry = c.timeEntry;
    dialog.noCurrentStop = c.noCurrentStop;
    const std::string out = RunScripted(dialog, c.controls, [&] {
      return shown(dialog) + " " + StopText(dialog.stop) + " " + std::to_string(dialog.time) + " " +
             places[dialog.insertion];
    });
    EXPECT_EQ(out, c.expected) << c.timeEntry << c.noCurrentStop;
  }
}

TEST(QuadroAssign, LineLengthsAndContractGivenToEveryTrip) {
  const std::pair<Controls, std::string> lines[] = {
      {{}, "1 L7|A|P1|Scolastica"},
      {{{"1068", ""}, {"1134", "r"}, {"1126", ""}, {"1076", ""}}, "1  |R| | "},
      {{{"1134", "x"}}, "1 L7| |P1|Scolastica"},
  };
  for (const auto& [controls, expected] : lines) {
    LineCodeAssignDialog d(nullptr, "L7", 'A', "P1", "Scolastica", 134);
    EXPECT_EQ(RunScripted(d, controls, [&] { return d.line + "|" + d.direction + "|" + d.route + "|" + d.note; }),
              expected);
  }
  // The lengths as whole metres and the duration as whole minutes, each within its field; a text
  // that is no such number is refused naming its field, and nothing is handed back.
  const auto badNumber = [](const char* label, const char* most) {
    return std::string("-1 12500|12000|30 ATTENZIONE: il valore del campo \"") + label +
           "\" non è valido.\n\nOccorre indicare un numero intero compreso tra 0 e " + most +
           ".\n\nI dati immessi non saranno registrati !!!";
  };
  const std::pair<Controls, std::string> lengthCases[] = {
      {{{"1071", "9"}, {"1074", ""}}, "1 9|12000|0"},
      {{{"1071", "9  "}, {"1074", "45 "}}, "1 9|12000|45"},  // the blanks after a number are no part of it
      {{{"1071", "99999999"}, {"1073", "0"}, {"1074", "9999"}}, "1 99999999|0|9999"},
      {{{"1071", "9k"}}, badNumber("Lunghezza (m)", "99999999")},
      {{{"1071", "-1"}}, badNumber("Lunghezza (m)", "99999999")},
      {{{"1073", "1.5"}}, badNumber("Lunghezza contrattuale (m)", "99999999")},
      {{{"1074", "-5"}}, badNumber("Durata contrattuale (min)", "9999")},
  };
  for (const auto& [controls, expected] : lengthCases) {
    LengthAssignDialog lengths(nullptr, 12500, 12000, 30, 135);
    EXPECT_EQ(RunScripted(lengths, controls,
                          [&] {
                            return std::to_string(lengths.length) + "|" + std::to_string(lengths.contractLength) + "|" +
                                   std::to_string(lengths.contractDuration);
                          }),
              expected);
  }

  ScratchDir dir;
  const std::string path = dir.Path("lavoro.mdb");
  MakeDatabase(path, BuilderTimetableTables() +
                         "INSERT INTO regent VALUES (12, 'Provincia di Siena   '), (120, 'Comune di Prato'),"
                         " (32767, 'Regione');");
  DbDatabase db(path);
  ASSERT_TRUE(db.isOpen);
  const std::string refused = "-1 12|5 ATTENZIONE: Il Codice ";
  const struct {
    Controls controls;
    std::string expected;
    int authority = 12;  // the authority given
  } contracts[] = {
      {{}, "1 12|5"},
      {{{"1069", "0120 - Comune di Prato"}, {"1070", ""}}, "1 120|0"},
      {{{"1069", "32767 - Regione"}}, "1 32767|5"},
      {{}, "1 32767|5", 32767},
      {{{"1069", "0013"}},
       refused + "Ente Concedente non è valido.\n\nOccorre selezionare un Codice Regionale Ente presente nella "
                 "lista.\n\nI dati immessi non saranno registrati !!!"},
      {{{"1069", "01200"}},
       refused + "Ente Concedente non è valido.\n\nSi possono digitare al più quattro cifre: un codice più lungo va "
                 "scelto dalla lista.\n\nOccorre selezionare un Codice Regionale Ente "
                 "presente nella lista.\n\nI dati immessi non saranno registrati !!!"},
      {{},
       "-1 3276|5 ATTENZIONE: Il Codice Ente Concedente non è valido.\n\nOccorre selezionare un Codice Regionale Ente "
       "presente nella lista.\n\nI dati immessi non saranno registrati !!!",
       3276},
      {{{"1070", "12a"}},
       refused + "Contratto non è valido.\n\nOccorre indicare un Codice Contratto numerico compreso tra 0 e "
                 "9999.\n\nI dati immessi non saranno registrati !!!"},
  };
  for (const auto& [controls, expected, authority] : contracts) {
    ContractAssignDialog d(nullptr, &db, authority, 5, 136);
    EXPECT_EQ(RunScripted(d, controls, [&] { return std::to_string(d.authority) + "|" + std::to_string(d.contract); }),
              expected);
  }
}

TEST(TripClone, TheSourceColumnMustBeAnotherColumnOfTheQuadroAndTheTimeValid) {
  const std::string notNumber =
      "ATTENZIONE La colonna di origine è espressa in modo illegale.\n\n"
      "La colonna di origine deve essere rappresentata da un numero.\n\n";
  const std::pair<Controls, std::string> cases[] = {
      {{{"1155", "0"}, {"1156", "7.05"}}, "1 0|705"},
      {{{"1155", "5 x"}, {"1156", "23-59 "}}, "1 5|2359"},
      {{{"1155", ""}}, "-1 0|0 " + notNumber},
      {{{"1155", "3a"}}, "-1 0|0 " + notNumber},
      {{{"1155", "6"}, {"1156", "7.05"}},
       "-1 0|0 ATTENZIONE E' stata indicata la colonna di origine 6\n\nIl quadro orario contiene solamente5 colonne"},
      {{{"1155", "2"}, {"1156", "7.05"}},
       "-1 0|0 ATTENZIONE La colonna di origine richiesta coincide\ncon la colonna di destinazione"},
      {{{"1155", "3"}, {"1156", "0705"}}, "-1 0|0 " + kBadTime},
      {{{"1155", "3"}, {"1156", "99:99"}}, "-1 0|0 " + kBadTime},
  };
  for (const auto& [controls, expected] : cases) {
    TripCloneDialog d(nullptr, 5, 2, 143);
    EXPECT_EQ(
        RunScripted(d, controls, [&] { return std::to_string(d.sourceColumn) + "|" + std::to_string(d.departure); }),
        expected);
  }
}

}  // namespace
