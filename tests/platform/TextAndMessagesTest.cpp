// The code page of the program's texts, and message boxes answered from a script.

#include "common/Cp1252.h"
#include "platform/Ui.h"

#include <gtest/gtest.h>

TEST(Cp1252, EveryByteSurvivesUtf8AndQString) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::string back;
  ASSERT_TRUE(cp1252::FromUtf8(cp1252::ToUtf8(all), back));
  EXPECT_EQ(back, all);
  ASSERT_TRUE(cp1252::FromQString(cp1252::ToQString(all), back));
  EXPECT_EQ(back, all);
}

TEST(Cp1252, AccentsAndTheEuroSign) {
  // Literals of the program are Windows-1252 bytes.
  EXPECT_EQ(std::string("Località"), std::string("Localit\xE0"));
  EXPECT_EQ(cp1252::ToUtf8("Citt\xE0 \x80"), "Citt\xC3\xA0 \xE2\x82\xAC");
  EXPECT_EQ(cp1252::ToQString("Citt\xE0 \x80"), QStringLiteral("Città €"));
}

TEST(Cp1252, CharactersTheCodePageLacksAreRefused) {
  std::string out;
  QChar bad;
  const QString polish = QStringLiteral("Łódź");  // kept out of the assertion, whose text is narrow
  EXPECT_FALSE(cp1252::FromQString(polish, out, &bad));
  EXPECT_EQ(bad, QChar(0x0141));
  EXPECT_EQ(out,
            "?\xF3"
            "d?");
  char32_t badCp = 0;
  EXPECT_FALSE(cp1252::FromUtf8("a\xE2\x88\x9E", out, &badCp));  // infinity sign
  EXPECT_EQ(badCp, U'\u221E');
  // Malformed and truncated sequences never read past the end.
  EXPECT_FALSE(cp1252::FromUtf8(std::string_view("\xC3", 1), out));
  EXPECT_FALSE(cp1252::FromUtf8(std::string_view("ab\xE2\x82", 4), out));
  EXPECT_EQ(out, "ab??");                           // one mark per byte that belongs to no character
  EXPECT_FALSE(cp1252::FromUtf8("\xC0\xAF", out));  // overlong
}

TEST(Messages, ScriptAnswersQuestionsAndRecordsEveryBox) {
  ui::Script script;
  script.Ok().Cancel();
  EXPECT_EQ(ui::MessageBox("Operazione completata.\n", ui::MB_ICONINFORMATION), ui::IDOK);
  EXPECT_EQ(ui::MessageBox("Proseguo comunque?", 0x21), ui::IDOK);
  EXPECT_EQ(ui::MessageBox("Proseguo comunque?", 0x21), ui::IDCANCEL);
  EXPECT_THROW(ui::MessageBox("Ancora?", 0x21), ui::UnansweredQuestion);
  EXPECT_EQ(script.Transcript().size(), 4u);
  EXPECT_EQ(script.Messages()[3].text, "Ancora?");
  // A file answer does not answer a question, and stays.
  script.File("/tmp/x.txt");
  EXPECT_THROW(ui::MessageBox("Proseguo?", 0x21), ui::UnansweredQuestion);
  EXPECT_TRUE(script.HasAnswer());
}

TEST(Messages, WithoutScriptHeadlessQuestionsFailInsteadOfHanging) {
  ASSERT_EQ(ui::Script::Current(), nullptr);
  EXPECT_EQ(ui::MessageBox("Solo informazione", ui::MB_ICONINFORMATION), ui::IDOK);
  EXPECT_THROW(ui::MessageBox("Domanda?", 0x21), ui::UnansweredQuestion);
}
