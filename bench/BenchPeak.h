#pragma once
// The peak memory of one piece of work in a process of its own: a benchmark runs itself again with
// "--peak" and the work's arguments, on a database it made beforehand, and the child prints the
// peak of its own resident memory (VmHWM) once the work is done. The sizes measured: the generated
// timetable at 13,150 trips (263,000 stop rows) and at 120,000 trips (2,400,000 stop rows).

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <cstdio>
#include <string>

namespace bench {

constexpr int kSmallTrips = 13150;
constexpr int kLargeTrips = 120000;

// This process's peak resident memory in kB (-1 when unknown).
inline long OwnPeakKb() {
  long peakKb = -1;
  if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status))
      if (std::sscanf(line, "VmHWM: %ld kB", &peakKb) == 1) break;
    std::fclose(status);
  }
  return peakKb;
}

// Runs `program --peak ARGS...` and reads the peak it prints; -1 when the run failed.
inline long PeakOfChild(const std::string& program, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start(QString::fromStdString(program), QStringList{QStringLiteral("--peak")} + args);
  long peakKb = -1;
  if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return -1;
  if (std::sscanf(p.readAllStandardOutput().constData(), "%ld", &peakKb) != 1) return -1;
  return peakKb;
}

// The line of one measure: the peaks at both sizes and their ratio, which must stay within 1.5.
inline bool ReportPeaks(const char* what, long smallKb, long largeKb) {
  const double ratio = smallKb > 0 ? static_cast<double>(largeKb) / static_cast<double>(smallKb) : 0;
  std::printf("%-34s peak %6.1f MB at 263k stop rows, %6.1f MB at 2.4M (%.2f times, at most 1.50)\n", what,
              static_cast<double>(smallKb) / 1024, static_cast<double>(largeKb) / 1024, ratio);
  return smallKb > 0 && largeKb > 0 && ratio <= 1.5;
}

}  // namespace bench
