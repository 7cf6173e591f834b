#pragma once
// A print service of the test's own, as a desktop has one: CUPS's scheduler (`cupsd`, from the
// cups-daemon package that scripts/deps.sh installs) on a socket in a scratch folder, named to this
// process by CUPS_SERVER before anything asks for printers, with one queue that takes jobs and
// throws them away. The machine's own print service, if any, is never touched.

#include "support/TestSupport.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QThread>
#include <string>

class PrintService {
 public:
  static constexpr const char* kQueue = "prova";

  PrintService() {
    const std::string root = dir_.Dir();
    for (const char* folder : {"spool", "cache", "state", "log", "tmp", "ppd"})
      QDir().mkpath(QString::fromStdString(root + "/" + folder));
    socket_ = QString::fromStdString(root + "/cups.sock");
    Write(root + "/cupsd.conf", "Listen " + root +
                                    "/cups.sock\nLogLevel warn\nWebInterface No\nBrowsing Off\nDefaultAuthType None\n"
                                    "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                    "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
    Write(root + "/cups-files.conf", "ServerRoot " + root + "\nRequestRoot " + root + "/spool\nCacheDir " + root +
                                         "/cache\nStateDir " + root + "/state\nTempDir " + root + "/tmp\nErrorLog " +
                                         root + "/log/error_log\nAccessLog " + root + "/log/access_log\nPageLog " +
                                         root + "/log/page_log\nFileDevice Yes\nSandboxing Relaxed\n");
    qputenv("CUPS_SERVER", socket_.toLocal8Bit());
    // The service's library, once loaded in this process, keeps the server it was first named.
    if (void* library = ::dlopen("libcups.so.2", RTLD_LAZY | RTLD_NOLOAD)) {
      if (const auto name = reinterpret_cast<void (*)(const char*)>(::dlsym(library, "cupsSetServer")))
        name(socket_.toLocal8Bit().constData());
      ::dlclose(library);
    }
    scheduler_.setProgram(QStringLiteral("cupsd"));
    scheduler_.setArguments({QStringLiteral("-f"), QStringLiteral("-c"), QString::fromStdString(root + "/cupsd.conf"),
                             QStringLiteral("-s"), QString::fromStdString(root + "/cups-files.conf")});
    scheduler_.setProcessChannelMode(QProcess::ForwardedChannels);
    scheduler_.start();
    if (!scheduler_.waitForStarted(10000)) {
      ADD_FAILURE() << "cupsd does not start: install cups-daemon and cups-client (scripts/deps.sh)";
      return;
    }
    // Up once it answers; then the queue, enabled and taking jobs, which go nowhere.
    const QDeadlineTimer deadline(20000);
    while (!Answers() && !deadline.hasExpired()) QThread::msleep(50);
    running_ = MakeQueue();
    EXPECT_TRUE(running_) << "the test's own print service and its queue " << kQueue;
  }
  ~PrintService() {
    Stop();
    qunsetenv("CUPS_SERVER");
  }
  PrintService(const PrintService&) = delete;
  PrintService& operator=(const PrintService&) = delete;

  bool Running() const { return running_; }

  // Runs one of CUPS's own tools (lpadmin, cupsreject...) on this service; true when it succeeded.
  bool Tool(const char* program, const QStringList& arguments) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(QString::fromLatin1(program), arguments);
    const bool done = tool.waitForFinished(20000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    if (!done) output_ += tool.readAll().toStdString();
    return done;
  }
  // A second queue, `name`, of a printer whose paper is US Letter (with A4 among its papers), its
  // unprintable edges those of many office printers: a quarter inch each side, half an inch top
  // and bottom.
  bool MakeLetterQueue(const char* name) {
    const std::string ppd = dir_.Path("letter.ppd");
    std::string text =
        "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
        "*LanguageEncoding: ISOLatin1\n*PCFileName: \"LETTER.PPD\"\n*Manufacturer: \"Prova\"\n*Product: "
        "\"(Prova)\"\n*ModelName: \"Prova Letter\"\n*ShortNickName: \"Prova Letter\"\n*NickName: \"Prova "
        "Letter\"\n*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: False\n"
        "*DefaultColorSpace: Gray\n*FileSystem: False\n*Throughput: \"1\"\n*LandscapeOrientation: Plus90\n"
        "*TTRasterizer: Type42\n";
    for (const char* option : {"PageSize", "PageRegion"})
      text += std::string("*OpenUI *") + option + ": PickOne\n*OrderDependency: 10 AnySetup *" + option + "\n*Default" +
              option + ": Letter\n*" + option + " Letter/US Letter: \"<</PageSize[612 792]>>setpagedevice\"\n*" +
              option + " A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n*CloseUI: *" + option + "\n";
    text +=
        "*DefaultImageableArea: Letter\n*ImageableArea Letter/US Letter: \"18 36 594 756\"\n"
        "*ImageableArea A4/A4: \"18 36 577 806\"\n*DefaultPaperDimension: Letter\n"
        "*PaperDimension Letter/US Letter: \"612 792\"\n*PaperDimension A4/A4: \"595 842\"\n";
    Write(ppd, text);
    return Tool("lpadmin", {QStringLiteral("-p"), QString::fromLatin1(name), QStringLiteral("-E"), QStringLiteral("-v"),
                            QStringLiteral("file:///dev/null"), QStringLiteral("-P"), QString::fromStdString(ppd)});
  }
  // The queue, made (or made again) enabled and taking jobs; made to refuse every job, or removed.
  bool MakeQueue() {
    return Tool("lpadmin", {QStringLiteral("-p"), QString::fromLatin1(kQueue), QStringLiteral("-E"),
                            QStringLiteral("-v"), QStringLiteral("file:///dev/null")}) &&
           Tool("cupsaccept", {QString::fromLatin1(kQueue)});
  }
  bool RejectJobs() { return Tool("cupsreject", {QString::fromLatin1(kQueue)}); }
  bool RemoveQueue() { return Tool("lpadmin", {QStringLiteral("-x"), QString::fromLatin1(kQueue)}); }
  // The service itself, stopped.
  void Stop() {
    if (scheduler_.state() == QProcess::NotRunning) return;
    scheduler_.terminate();
    if (!scheduler_.waitForFinished(10000)) {
      scheduler_.kill();
      scheduler_.waitForFinished(5000);
    }
  }
  // Whether the scheduler answers on its socket.
  bool Answers() const {
    if (!QFileInfo::exists(socket_)) return false;
    QProcess status;
    status.start(QStringLiteral("lpstat"), {QStringLiteral("-r")});
    return status.waitForFinished(20000) && status.readAllStandardOutput().contains("scheduler is running");
  }
  // What the tools that failed said.
  const std::string& Output() const { return output_; }

 private:
  static void Write(const std::string& path, const std::string& text) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.data(), static_cast<qint64>(text.size()));
  }

  ScratchDir dir_;
  QString socket_;
  QProcess scheduler_;
  bool running_ = false;
  std::string output_;
};
