// The headless driver: starts the real program on the offscreen platform, runs menu commands by
// id and takes every answer from a file.
//
//   quendo-run --settings FILE.ini [--answers FILE] [--transcript FILE] [--now "YYYY-MM-DD HH:MM"]
//              [--page-dump FILE] [--menu] [COMMAND-ID ...]
//
// --page-dump FILE writes every page printed or previewed: "=== anteprima|stampa pagina n di N",
// then "x<TAB>y<TAB>text" for each text drawn (device units, UTF-8).
//
// Exit codes: 0 every command ran; 1 the start-up ended the program; 2 bad arguments, an unknown
// command id, an unreadable answers file, or a settings file, page dump or transcript not written
// whole; 3 a question found no answer; 4 a disabled command;
// 5 every command ran but answers were left that nothing asked for (a dialog that never opened,
// say, because its editor could not begin its transaction): each is named on the error output.

#include "app/AppMain.h"
#include "app/CommandTable.h"
#include "app/TimetableApp.h"
#include "common/Clock.h"
#include "common/Cp1252.h"
#include "common/Numbers.h"
#include "platform/Answers.h"
#include "platform/MainFrame.h"
#include "platform/PrintSetup.h"
#include "platform/Settings.h"
#include "platform/Translation.h"
#include "platform/Ui.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitStartupEnded = 1;
constexpr int kExitUsage = 2;
constexpr int kExitUnanswered = 3;
constexpr int kExitDisabled = 4;
constexpr int kExitUnusedAnswers = 5;

struct Options {
  std::string settings;
  std::string answers;
  std::string transcript;
  std::string now;
  std::string pageDump;
  bool menu = false;
  std::vector<int> commands;
};

void Usage() {
  std::fprintf(stderr,
               "uso: quendo-run --settings FILE.ini [--answers FILE] [--transcript FILE]\n"
               "                [--now \"AAAA-MM-GG HH:MM\"] [--page-dump FILE] [--menu] [ID-COMANDO ...]\n");
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    const auto value = [&](std::string& into) {
      if (k + 1 >= argc) return false;
      into = argv[++k];
      return true;
    };
    if (arg == "--settings") {
      if (!value(o.settings)) return false;
    } else if (arg == "--answers") {
      if (!value(o.answers)) return false;
    } else if (arg == "--transcript") {
      if (!value(o.transcript)) return false;
    } else if (arg == "--now") {
      if (!value(o.now)) return false;
    } else if (arg == "--page-dump") {
      if (!value(o.pageDump)) return false;
    } else if (arg == "--menu") {
      o.menu = true;
    } else {
      char* end = nullptr;
      const long id = std::strtol(arg.c_str(), &end, 0);
      if (arg.empty() || *end != '\0' || id <= 0 || id > 0xFFFF) {
        std::fprintf(stderr, "quendo-run: argomento non valido: %s\n", arg.c_str());
        return false;
      }
      o.commands.push_back(static_cast<int>(id));
    }
  }
  return !o.settings.empty();
}

// Qt's own notes about the offscreen platform would only clutter the driver's error output; its
// errors still get through.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

bool ReadFile(const std::string& path, std::string& out) {
  QFile f(QString::fromLocal8Bit(path.c_str()));
  if (!f.open(QIODevice::ReadOnly)) return false;
  out = f.readAll().toStdString();
  return true;
}

// Names every answer that nothing took, by its line in the answers file; true when there was one.
bool ReportUnusedAnswers(const ui::Script& script) {
  for (const ui::Answer& a : script.Pending())
    std::fprintf(stderr, "quendo-run: risposta non usata, riga %d: %s\n", a.line,
                 cp1252::ToUtf8(ui::AnswerText(a)).c_str());
  return !script.Pending().empty();
}

bool WriteTranscript(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  if (path.empty()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return true;
  }
  QFile f(QString::fromLocal8Bit(path.c_str()));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  // The bytes reach the disk only at the flush: a full disk refuses them there, not at the write.
  const bool written = f.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
  const bool flushed = written && f.flush();
  f.close();
  return flushed && f.error() == QFileDevice::NoError;
}

// Counts the paint events that reach the main window or a control in it. Its updates are off, so
// that the driver pays for no picture no one sees: a run that painted it is named on the error
// output.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(const TimetableApp& app) : app_(app) {}
  int paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType() && app_.Frame() &&
        static_cast<QWidget*>(watched)->window() == app_.Frame())
      ++paints;
    return false;
  }

 private:
  const TimetableApp& app_;
};

// Runs the program under the script; returns the exit code.
int Run(const Options& o, TimetableApp& app) {
  try {
    // The window is shown as in the program, but never painted.
    if (!app.InitInstance(true, false)) return kExitStartupEnded;
    if (o.menu) {
      const std::string tree = app.Frame()->MenuTreeText();
      std::fwrite(tree.data(), 1, tree.size(), stdout);
    }
    for (int id : o.commands) {
      MainFrame* frame = app.Frame();
      if (id != MainFrame::kFilePrint && !FindCommand(id)) {
        std::fprintf(stderr, "quendo-run: comando sconosciuto: %d\n", id);
        return kExitUsage;
      }
      if (!frame->RunCommand(id)) {
        std::fprintf(stderr, "quendo-run: comando %d disabilitato\n", id);
        return kExitDisabled;
      }
      app.OnIdle();  // back in the message loop
      if (frame->ExitConfirmed()) break;
    }
  } catch (const ui::UnansweredQuestion& e) {
    std::fprintf(stderr, "quendo-run: %s\n", cp1252::ToUtf8(e.what()).c_str());
    return kExitUnanswered;
  }
  return kExitOk;
}

}  // namespace

int RunHeadless(int argc, char** argv) {
  IgnoreFileSizeLimitSignal();
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    Usage();
    return kExitUsage;
  }
  if (!o.now.empty()) {
    ClockTime moment;
    if (!ParseClockTime(o.now, moment)) {
      std::fprintf(stderr, "quendo-run: data e ora non valide per --now: %s\n", o.now.c_str());
      return kExitUsage;
    }
    FixClock(moment);
  }
  std::vector<ui::Answer> answers;
  if (!o.answers.empty()) {
    std::string text, error;
    if (!ReadFile(o.answers, text)) {
      std::fprintf(stderr, "quendo-run: impossibile leggere %s\n", o.answers.c_str());
      return kExitUsage;
    }
    if (!ui::ParseAnswers(text, answers, error)) {
      std::fprintf(stderr, "quendo-run: %s: %s\n", o.answers.c_str(), error.c_str());
      return kExitUsage;
    }
  }

  // The name as given, as for the transcript and the settings file.
  if (!o.pageDump.empty() && !ui::SetPageDump(QString::fromLocal8Bit(o.pageDump.c_str()))) {
    std::fprintf(stderr, "quendo-run: impossibile scrivere %s\n", o.pageDump.c_str());
    return kExitUsage;
  }

  qputenv(settings::kEnvironmentVariable, QByteArray::fromStdString(o.settings));
  qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("QUENDO_RUN_VERBOSE")) qInstallMessageHandler(QuietQtMessages);
  QApplication qapp(argc, argv);
  SetCNumericLocale();  // the application object took the user's locale: numbers keep their point
  ui::InstallItalianTranslation(qapp);

  ui::Script script;
  for (ui::Answer& a : answers) script.Push(std::move(a));

  int code = kExitOk;
  {
    TimetableApp app;
    PaintWatch watch(app);
    qapp.installEventFilter(&watch);
    code = Run(o, app);
    try {
      app.ExitInstance();  // as after "&Fine" answered OK: the database path is saved
    } catch (const ui::UnansweredQuestion& e) {
      std::fprintf(stderr, "quendo-run: %s\n", cp1252::ToUtf8(e.what()).c_str());
      if (code == kExitOk) code = kExitUnanswered;
    }
    qapp.removeEventFilter(&watch);
    if (watch.paints > 0) std::fprintf(stderr, "quendo-run: finestra principale dipinta %d volte\n", watch.paints);
  }
  // An answer left over means the run did not go as written; after an earlier failure the
  // answers meant for what never came are left as a matter of course.
  if (code == kExitOk && ReportUnusedAnswers(script)) code = kExitUnusedAnswers;
  // Every file of the run that does not hold all that was written to it is named.
  const auto unwritten = [&code](const std::string& path) {
    std::fprintf(stderr, "quendo-run: impossibile scrivere %s\n", path.c_str());
    if (code == kExitOk) code = kExitUsage;
  };
  if (!settings::EveryWriteDone()) unwritten(o.settings);
  if (!ui::PageDumpWhole()) unwritten(o.pageDump);
  if (!WriteTranscript(o.transcript, script.Transcript())) unwritten(o.transcript);
  return code;
}
