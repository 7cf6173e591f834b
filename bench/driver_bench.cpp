// What one run of the headless driver costs: quendo-run started on the generated timetable with the
// export of the regional files (5119), from its start to its exit, as a script that runs the driver
// pays it on every run. 13,150 trips (263,000 stop rows) unless a number of trips is given.
//
// With --vs OTHER/quendo-run the same run of another build (the one before a change, built in its
// own worktree) goes beside it, each on its own copy of the database: processor time of the two in
// turn (median of five pairs), the files each wrote compared byte for byte, and with --callgrind
// the instructions of one run of each counted by valgrind's callgrind.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_TESTS=OFF -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_driver quendo-run
//   build-bench/bench/bench_driver [trips] [--vs OTHER/quendo-run] [--callgrind]

#include "BenchTimetable.h"

#include <sys/resource.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

constexpr int kPairs = 5;

// One build's side: its program, its own copy of the database, its settings and answers, its
// output folder.
struct Side {
  QString program;
  std::string folder, settings, answers, out;
};

Side MakeSide(const QString& program, const std::string& database, const std::string& folder) {
  Side s{program, folder, folder + "/quendo.ini", folder + "/answers.txt", folder + "/uscita"};
  QDir().mkpath(QString::fromStdString(s.out));
  const std::string copy = folder + "/export.mdb";
  QFile::copy(QString::fromStdString(database), QString::fromStdString(copy));
  std::ofstream(s.settings) << "[1.00]\nDatabase=" << copy << "\nDirectory=" << folder << "\n";
  return s;
}

double ChildrenCpu() {
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(children.ru_utime) + seconds(children.ru_stime);
}

// One run of the export; the answers are written again each time, as the driver takes them.
bool RunOnce(const Side& s, const QStringList& prefix = {}) {
  std::ofstream(s.answers) << "dialog 131\nfile " << s.out << "/RT_CADEN.TXT\n";
  QProcess run;
  run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  run.setStandardOutputFile(QProcess::nullDevice());
  QStringList args = prefix;
  args << s.program << QStringLiteral("--settings") << QString::fromStdString(s.settings) << QStringLiteral("--answers")
       << QString::fromStdString(s.answers) << QStringLiteral("--transcript")
       << QString::fromStdString(s.folder + "/transcript.txt") << QStringLiteral("--now")
       << QStringLiteral("2026-03-02 10:00") << QStringLiteral("5119");
  const QString program = args.takeFirst();
  run.start(program, args);
  return run.waitForFinished(-1) && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
}

double CpuOf(const Side& s) {
  const double before = ChildrenCpu();
  if (!RunOnce(s)) {
    std::fprintf(stderr, "%s did not end with 0\n", qPrintable(s.program));
    std::exit(1);
  }
  return ChildrenCpu() - before;
}

// The instructions of one run, as callgrind counts them (every thread of the process).
long long InstructionsOf(const Side& s) {
  const std::string file = s.folder + "/callgrind.out";
  if (!RunOnce(s, {QStringLiteral("valgrind"), QStringLiteral("--tool=callgrind"), QStringLiteral("-q"),
                   QString::fromStdString("--callgrind-out-file=" + file)})) {
    std::fprintf(stderr, "%s under callgrind did not end with 0\n", qPrintable(s.program));
    std::exit(1);
  }
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("summary:", 0) == 0 || line.rfind("totals:", 0) == 0) return std::atoll(line.c_str() + 8);
  return -1;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

QByteArray Bytes(const std::string& path) {
  QFile f(QString::fromStdString(path));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int trips = 13150;
  QString other;
  bool callgrind = false;
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    if (arg == "--vs" && k + 1 < argc)
      other = QString::fromLocal8Bit(argv[++k]);
    else if (arg == "--callgrind")
      callgrind = true;
    else
      trips = std::atoi(argv[k]);
  }
  bench::Timetable data(trips);
  data.db.reset();
  std::vector<Side> sides{
      MakeSide(QStringLiteral(QUENDO_PROGRAM_DIR "/quendo-run"), data.database, data.folder + "/a")};
  if (!other.isEmpty()) sides.push_back(MakeSide(other, data.database, data.folder + "/b"));
  // The first run of each records the clean close: the runs measured open the file unchecked.
  for (const Side& s : sides) CpuOf(s);

  std::printf("export 5119 through quendo-run, %ld stop rows\n", static_cast<long>(trips) * bench::kStopsPerTrip);
  std::vector<std::vector<double>> cpu(sides.size());
  std::vector<double> ratios;
  for (int k = 0; k < kPairs; ++k) {
    for (size_t s = 0; s < sides.size(); ++s) cpu[s].push_back(CpuOf(sides[s]));
    if (sides.size() == 2) ratios.push_back(cpu[0].back() / cpu[1].back());
  }
  std::printf("  this build   %.3f s processor (median of %d)\n", Median(cpu[0]), kPairs);
  if (sides.size() == 2) {
    std::printf("  other build  %.3f s processor (median of %d)\n", Median(cpu[1]), kPairs);
    std::printf("  this_to_other %.2f processor (median of the pairs)\n", Median(ratios));
  }
  if (callgrind) {
    std::vector<long long> instructions;
    for (const Side& s : sides) instructions.push_back(InstructionsOf(s));
    std::printf("  this build   %lld instructions\n", instructions[0]);
    if (sides.size() == 2) {
      std::printf("  other build  %lld instructions\n", instructions[1]);
      std::printf("  this_to_other %.3f instructions\n", double(instructions[0]) / double(instructions[1]));
    }
  }
  if (sides.size() == 2) {
    bool same = true;
    const QStringList names = QDir(QString::fromStdString(sides[0].out)).entryList(QDir::Files, QDir::Name);
    if (names != QDir(QString::fromStdString(sides[1].out)).entryList(QDir::Files, QDir::Name)) same = false;
    for (const QString& name : names) {
      const std::string tail = "/" + name.toStdString();
      if (Bytes(sides[0].out + tail) != Bytes(sides[1].out + tail)) {
        std::printf("  %s differs\n", qPrintable(name));
        same = false;
      }
    }
    std::printf("  files written: %s\n", same ? "byte-identical" : "DIFFERENT");
    if (!same) return 1;
  }
  return 0;
}
