// The answers file of scripted runs.

#include "platform/Answers.h"

#include "common/Cp1252.h"

#include <gtest/gtest.h>

using ui::Answer;
using Controls = std::vector<std::pair<std::string, std::string>>;

TEST(Answers, ReadsEveryKindInOrder) {
  const std::string text =
      "# risposte di prova\r\n"
      "ok\n"
      "\n"
      "Cancel\n"
      "file /tmp/dati con spazi/RT_CADEN.TXT\n"
      "dialog 119\n"
      "  1029=01/01/2025\n"
      "\t1020=FER - Feriale \n"
      "  1031=\n"
      "  1032=a=b\n"
      "dialog 115 cancel\n"
      "file /tmp/Località.txt";
  std::vector<Answer> a;
  std::string error;
  // The file is UTF-8; the literal here is in the program's code page.
  ASSERT_TRUE(ui::ParseAnswers(cp1252::ToUtf8(text), a, error)) << error;
  ASSERT_EQ(a.size(), 6u);
  std::vector<Answer::Kind> kinds;
  for (const Answer& one : a) kinds.push_back(one.kind);
  EXPECT_EQ(kinds, (std::vector<Answer::Kind>{Answer::Kind::Ok, Answer::Kind::Cancel, Answer::Kind::File,
                                              Answer::Kind::Dialog, Answer::Kind::DialogCancel, Answer::Kind::File}));
  EXPECT_EQ(a[2].value, "/tmp/dati con spazi/RT_CADEN.TXT");
  EXPECT_EQ(a[3].value, "119");
  // Values may be empty or hold '='; blanks around them go.
  EXPECT_EQ(a[3].controls,
            (Controls{{"1029", "01/01/2025"}, {"1020", "FER - Feriale"}, {"1031", ""}, {"1032", "a=b"}}));
  EXPECT_EQ(a[4].value, "115");
  EXPECT_TRUE(a[4].controls.empty());
  EXPECT_EQ(a[5].value, "/tmp/Località.txt");  // the program's code page
}

TEST(Answers, MalformedLinesAreNamed) {
  const std::pair<const char*, const char*> cases[] = {
      {"ok\nforse\n", "riga 2"},
      {"  1029=x\n", "riga 1"},
      {"ok\n  1029=x\n", "riga 2"},
      {"dialog\n", "riga 1"},
      {"file\n", "riga 1"},
      {"dialog 119 subito\n", "riga 1"},
      {"dialog 119 cancel\n  1=2\n", "riga 2"},
      {"dialog 119\n  =2\n", "riga 2"},
      {"ok ok\n", "riga 1"},
  };
  for (const auto& [text, where] : cases) {
    std::vector<Answer> a{{Answer::Kind::Ok, {}, {}}};
    std::string error;
    EXPECT_FALSE(ui::ParseAnswers(text, a, error)) << text;
    EXPECT_EQ(error.rfind(where, 0), 0u) << text << " -> " << error;
    EXPECT_EQ(a.size(), 1u);  // untouched on failure
  }
}
