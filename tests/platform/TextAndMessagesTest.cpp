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
  const QString expected = QString::fromUtf16(u"Citt\u00E0 \u20AC");
  EXPECT_EQ(cp1252::ToQString("Citt\xE0 \x80"), expected);
}

TEST(Cp1252, CharactersTheCodePageLacksAreRefused) {
  std::string out;
  QChar bad;
  // (Kept out of the assertion: its text is a narrow literal, and the code page has no Ł.)
  const QString polish = QString::fromUtf16(u"\u0141\u00F3d\u017A");
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
  ASSERT_EQ(script.Transcript().size(), 4u);
  EXPECT_EQ(script.Transcript()[0], "0x40\tOperazione completata.\\n");
  EXPECT_EQ(script.Transcript()[1], "0x21\tProseguo comunque?");
  EXPECT_EQ(script.Messages()[3].text, "Ancora?");
}

TEST(Messages, AFileAnswerDoesNotAnswerAQuestion) {
  ui::Script script;
  script.File("/tmp/x.txt");
  EXPECT_THROW(ui::MessageBox("Proseguo?", 0x21), ui::UnansweredQuestion);
  EXPECT_TRUE(script.HasAnswer());
}

TEST(Messages, WithoutScriptHeadlessQuestionsFailInsteadOfHanging) {
  ASSERT_EQ(ui::Script::Current(), nullptr);
  EXPECT_EQ(ui::MessageBox("Solo informazione", ui::MB_ICONINFORMATION), ui::IDOK);
  EXPECT_THROW(ui::MessageBox("Domanda?", 0x21), ui::UnansweredQuestion);
}
