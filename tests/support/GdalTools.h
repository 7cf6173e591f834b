#pragma once
// GDAL's command-line programs as an outside judge of the shapefile sets: ogr2ogr makes input sets
// from CSV files (a WKT column as the geometry, a .csvt beside it for the field types), ogrinfo
// reports what it reads in a set. Both come with gdal-bin (scripts/deps.sh).

#include "common/Cp1252.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

// Runs a program; its standard output, or a text that says it failed.
inline std::string RunProgram(const QString& program, const QStringList& arguments) {
  QProcess p;
  p.start(program, arguments);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return "FAILED: " + program.toStdString() + " " + p.readAllStandardError().toStdString();
  return p.readAllStandardOutput().toStdString();
}

// A shapefile set at `shpPath` made by ogr2ogr from `csvPath`; `more` are further ogr2ogr options.
inline void MakeShapeSet(const std::string& csvPath, const std::string& shpPath, const QStringList& more = {}) {
  QStringList args{QStringLiteral("-f"),
                   QStringLiteral("ESRI Shapefile"),
                   QString::fromStdString(shpPath),
                   QString::fromStdString(csvPath),
                   QStringLiteral("-oo"),
                   QStringLiteral("KEEP_GEOM_COLUMNS=NO")};
  args << more;
  const std::string out = RunProgram(QStringLiteral("ogr2ogr"), args);
  ASSERT_EQ(out.rfind("FAILED", 0), std::string::npos) << out;
}

// A CSV file (UTF-8, as GDAL reads it) with a WKT geometry column and its .csvt (types such as
// "String(10)") in `dir`; the texts given are the program's own.
inline std::string WriteCsv(const ScratchDir& dir, const std::string& name, const std::string& header,
                            const std::string& types, const std::vector<std::string>& rows) {
  std::string text = header + "\n";
  for (const std::string& r : rows) text += r + "\n";
  WriteFileBytes(dir.Path(name + ".csv"), cp1252::ToUtf8(text));
  WriteFileBytes(dir.Path(name + ".csvt"), types + "\n");
  return dir.Path(name + ".csv");
}

// What ogrinfo reports of every layer of a set, summary only.
inline std::string OgrInfo(const std::string& path) {
  return RunProgram(QStringLiteral("ogrinfo"), {QStringLiteral("-ro"), QStringLiteral("-al"), QStringLiteral("-so"),
                                                QString::fromStdString(path)});
}
// ... and with every feature.
inline std::string OgrInfoFeatures(const std::string& path) {
  return RunProgram(QStringLiteral("ogrinfo"),
                    {QStringLiteral("-ro"), QStringLiteral("-al"), QString::fromStdString(path)});
}

// The bytes written as hex text: pairs of digits separated by white space; '#' begins a comment line.
inline std::string BytesOfHex(const std::string& text) {
  std::string bytes;
  std::string digits;
  bool comment = false;
  for (char c : text) {
    if (c == '\n') comment = false;
    if (comment || c == '#') {
      comment = true;
      continue;
    }
    if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    if (digits.size() == 2) {
      bytes.push_back(static_cast<char>(std::stoi(digits, nullptr, 16)));
      digits.clear();
    }
  }
  return bytes;
}
