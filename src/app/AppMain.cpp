#include "app/AppMain.h"

#include "app/TimetableApp.h"
#include "common/Cp1252.h"
#include "common/Numbers.h"
#include "platform/Settings.h"
#include "platform/Translation.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>

namespace {

// Writes "Directory" as an installer would; the folder is made when missing.
int Install(const char* folderArg) {
  const QString folder = QFileInfo(QString::fromLocal8Bit(folderArg)).absoluteFilePath();
  std::string text;
  if (!cp1252::FromQString(folder, text)) {
    std::fprintf(stderr, "quendo: la cartella contiene caratteri non ammessi: %s\n", folderArg);
    return 2;
  }
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "quendo: impossibile creare la cartella %s\n", folder.toLocal8Bit().constData());
    return 1;
  }
  if (!settings::Write(settings::kDirectory, text)) {
    std::fprintf(stderr, "quendo: impossibile scrivere %s\n", settings::FilePath().toLocal8Bit().constData());
    return 1;
  }
  std::printf("Cartella dei dati: %s\nImpostazioni: %s\n", folder.toLocal8Bit().constData(),
              settings::FilePath().toLocal8Bit().constData());
  return 0;
}

}  // namespace

void IgnoreFileSizeLimitSignal() { std::signal(SIGXFSZ, SIG_IGN); }

int RunQuendo(int argc, char** argv) {
  IgnoreFileSizeLimitSignal();
  if (argc >= 2 && std::strcmp(argv[1], "--install") == 0) {
    if (argc != 3) {
      std::fprintf(stderr, "uso: quendo --install CARTELLA\n");
      return 2;
    }
    QCoreApplication core(argc, argv);
    SetCNumericLocale();
    return Install(argv[2]);
  }
  QApplication app(argc, argv);
  SetCNumericLocale();  // the application object took the user's locale: numbers keep their point
  QApplication::setApplicationName(QStringLiteral("Quendo"));
  ui::InstallItalianTranslation(app);
  TimetableApp timetable;
  try {
    if (!timetable.InitInstance()) {
      timetable.ExitInstance();
      return 1;
    }
  } catch (const std::exception& e) {  // a question nobody can answer: no display
    std::fprintf(stderr, "quendo: %s\n", cp1252::ToUtf8(e.what()).c_str());
    timetable.ExitInstance();
    return 3;
  }
  const int loop = QApplication::exec();
  const int code = timetable.ExitInstance();
  return loop != 0 ? loop : code;
}
