#pragma once
// The peak memory of one piece of work in a process of its own: a benchmark runs itself again with
// "--peak" and the work's arguments, on a database it made beforehand, and the child prints the
// peak of its own resident memory (VmHWM) once the work is done (and, where asked, the read calls
// and the processor time the work took). The sizes measured: the generated
// timetable at 13,150 trips (263,000 stop rows) and at 120,000 trips (2,400,000 stop rows).

#include <sys/resource.h>
#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <string>

namespace bench {

constexpr int kSmallTrips = 13150;
constexpr int kLargeTrips = 120000;

// The number that the first line of one of this process's files under /proc matching `format`
// ("VmHWM: %lld kB") gives; -1 when none does.
inline long long OwnProcNumber(const char* path, const char* format) {
  long long number = -1;
  if (std::FILE* file = std::fopen(path, "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, file))
      if (std::sscanf(line, format, &number) == 1) break;
    std::fclose(file);
  }
  return number;
}

// This process's peak resident memory in kB (-1 when unknown).
inline long OwnPeakKb() { return static_cast<long>(OwnProcNumber("/proc/self/status", "VmHWM: %lld kB")); }

// The read calls this process has made so far (read, pread64 ...: /proc/self/io's syscr; -1 when
// unknown): the database's page reads among them.
inline long long OwnReads() { return OwnProcNumber("/proc/self/io", "syscr: %lld"); }

// The processor time this process has taken so far, user and system, in microseconds.
inline long long OwnCpuMicros() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  const auto micros = [](const timeval& t) { return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_usec; };
  return micros(u.ru_utime) + micros(u.ru_stime);
}

// What a child of a measure took for its work: its peak memory, and the read calls and processor
// time from the start of the work to its end (a child that prints the peak alone gives -1 for
// these).
struct ChildFigures {
  long peakKb = -1;
  long long reads = -1, cpuMicros = -1;
};
// The child prints "peak reads cpu" on one line.
inline void PrintChildFigures(long long readsAtStart, long long cpuAtStart) {
  std::printf("%ld %lld %lld\n", OwnPeakKb(), OwnReads() - readsAtStart, OwnCpuMicros() - cpuAtStart);
}

// Runs `program --peak ARGS...` and reads the figures it prints; a peak of -1 when the run failed.
inline ChildFigures FiguresOfChild(const std::string& program, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start(QString::fromStdString(program), QStringList{QStringLiteral("--peak")} + args);
  ChildFigures f;
  if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return f;
  if (std::sscanf(p.readAllStandardOutput().constData(), "%ld %lld %lld", &f.peakKb, &f.reads, &f.cpuMicros) < 1)
    f.peakKb = -1;
  return f;
}

// Runs `program --peak ARGS...` and reads the peak it prints; -1 when the run failed.
inline long PeakOfChild(const std::string& program, const QStringList& args) {
  return FiguresOfChild(program, args).peakKb;
}

// The line of one measure: the peaks at both sizes and their ratio, which must stay within 1.5.
inline bool ReportPeaks(const char* what, long smallKb, long largeKb) {
  const double ratio = smallKb > 0 ? static_cast<double>(largeKb) / static_cast<double>(smallKb) : 0;
  std::printf("%-34s peak %6.1f MB at 263k stop rows, %6.1f MB at 2.4M (%.2f times, at most 1.50)\n", what,
              static_cast<double>(smallKb) / 1024, static_cast<double>(largeKb) / 1024, ratio);
  return smallKb > 0 && largeKb > 0 && ratio <= 1.5;
}

}  // namespace bench
