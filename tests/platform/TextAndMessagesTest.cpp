// The code page of the program's texts, message boxes answered from a script and laid out on a
// screen, the answers file of scripted runs, and Qt's own texts in Italian.

#include "common/Cp1252.h"
#include "platform/Answers.h"
#include "platform/Translation.h"
#include "platform/Ui.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>

// Every byte survives UTF-8 and QString; literals of the program are Windows-1252 bytes.
TEST(Cp1252, EveryByteSurvivesUtf8AndQString) {
  std::string all, back;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_TRUE(cp1252::FromUtf8(cp1252::ToUtf8(all), back) && back == all);
  EXPECT_TRUE(cp1252::FromQString(cp1252::ToQString(all), back) && back == all);
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
  EXPECT_EQ(out, std::string("?\xF3") + "d?");
  char32_t badCp = 0;
  EXPECT_FALSE(cp1252::FromUtf8("a\xE2\x88\x9E", out, &badCp));  // infinity sign
  EXPECT_EQ(badCp, U'\u221E');
  // Malformed and truncated sequences never read past the end.
  EXPECT_FALSE(cp1252::FromUtf8(std::string_view("\xC3", 1), out));
  EXPECT_FALSE(cp1252::FromUtf8(std::string_view("ab\xE2\x82", 4), out));
  EXPECT_EQ(out, "ab??");                           // one mark per byte that belongs to no character
  EXPECT_FALSE(cp1252::FromUtf8("\xC0\xAF", out));  // overlong
}

// Message boxes answered from a script: the driver's tests. Without one, headless, a question fails instead of hanging.
TEST(Messages, WithoutScriptHeadlessQuestionsFailInsteadOfHanging) {
  ASSERT_EQ(ui::Script::Current(), nullptr);
  EXPECT_EQ(ui::MessageBox("Solo informazione", ui::MB_ICONINFORMATION), ui::IDOK);
  EXPECT_THROW(ui::MessageBox("Domanda?", 0x21), ui::UnansweredQuestion);
}

// On a screen a box keeps the lines its text breaks by hand, one wider than Qt's wrapping width too.
TEST(Messages, OnAScreenTheTextsOwnLinesStayWhole) {
  ui::ShowWindowsOffscreen(true);
  int wrapped = 0, whole = 1;
  QTimer::singleShot(0, [&] {
    for (QWidget* shown : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(shown); box && box->isVisible()) {
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        EXPECT_TRUE(label->wordWrap());  // unwrapped, both heights would be -1
        wrapped = label->heightForWidth(label->width());
        whole = label->heightForWidth(QWIDGETSIZE_MAX);
        box->accept();
      }
  });
  ui::MessageBox(
      "Sono stati rilevati errori bloccanti tali da rendere impossibile la generazione\n"
      "di una comunicazione accettabile per l'Osservatorio Trasporti.");
  ui::ShowWindowsOffscreen(false);
  EXPECT_EQ(wrapped, whole);
}

using ui::Answer;

TEST(Answers, ReadsEveryKindInOrder) {
  const std::string text =
      "# risposte di prova\r\nok\n\nCancel\nfile /tmp/dati con spazi/RT_CADEN.TXT\n"
      "dialog 119\n  1029=01/01/2025\n\t1020=FER - Feriale \n  1031=\t\n  1032=a=b \t\n"
      "dialog 115 cancel\nfile /tmp/Località.txt";
  std::vector<Answer> a;
  std::string error;
  // The file is UTF-8; the literal here is in the program's code page, as are the answers.
  ASSERT_TRUE(ui::ParseAnswers(cp1252::ToUtf8(text), a, error)) << error;
  using K = Answer::Kind;
  std::vector<K> kinds;
  std::string read;
  for (const Answer& one : a) {
    kinds.push_back(one.kind);
    read += one.value;
    for (const auto& [control, value] : one.controls) read += " [" + control + "=" + value + "]";
    read += "\n";
  }
  EXPECT_EQ(kinds, (std::vector<K>{K::Ok, K::Cancel, K::File, K::Dialog, K::DialogCancel, K::File}));
  // Values may be empty or hold '='; blanks after them are theirs, tabs at the end of the line not.
  EXPECT_EQ(read,
            "\n\n/tmp/dati con spazi/RT_CADEN.TXT\n119 [1029=01/01/2025] [1020=FER - Feriale ] [1031=] [1032=a=b ]\n"
            "115\n/tmp/Località.txt\n");
}

// A malformed line (the last of each text here) is named; the answers stay as they were.
TEST(Answers, MalformedLinesAreNamed) {
  for (const std::string text :
       {"ok\nforse\n", "  1029=x\n", "ok\n  1029=x\n", "dialog\n", "file\n", "dialog 119 subito\n",
        "dialog 119 cancel\n  1=2\n", "dialog 119\n  =2\n", "ok ok\n"}) {
    std::vector<Answer> a{{Answer::Kind::Ok, {}, {}}};
    std::string error;
    EXPECT_FALSE(ui::ParseAnswers(text, a, error)) << text;
    EXPECT_TRUE(HasPrefix(error, "riga " + std::to_string(std::count(text.begin(), text.end(), '\n'))));
    EXPECT_EQ(a.size(), 1u);
  }
}

TEST(Translation, QtButtonsSpeakItalianWhenTheSystemHasTheTranslation) {
  const QString file = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_it.qm");
  const bool present = QFile::exists(file) || QFile::exists(QStringLiteral("/usr/share/qt6/translations/qtbase_it.qm"));
  EXPECT_EQ(ui::InstallItalianTranslation(*QCoreApplication::instance()), present);
  if (!present) GTEST_SKIP() << "no Italian translation of Qt on this system";
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annulla"));
}
