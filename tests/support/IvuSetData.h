#pragma once
// The hand-made IVU-InfoPool sets of tests/data/conversions copied into a folder of the test's
// own, their lines changed one at a time, and the damaged set that gathers one fault of each kind.

#include "common/Cp1252.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <string>
#include <vector>

// Copies the files of hand-made set `set` (not its expected files) into `folder`.
inline void CopyIvuSet(const std::string& set, const std::string& folder) {
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(folder)));
  const QDir from(cp1252::ToQString(TestDataDir() + "/conversions/" + set));
  for (const QString& f : from.entryList(QDir::Files))
    ASSERT_TRUE(QFile::copy(from.filePath(f), cp1252::ToQString(folder) + QStringLiteral("/") + f));
}

// Replaces line `n` (from 1) of a file of CR LF lines, or appends when n is 0.
inline void ReplaceIvuLine(const std::string& path, size_t n, const std::string& text) {
  const std::string bytes = FileBytes(path);
  std::vector<std::string> lines;
  for (size_t at = 0; at < bytes.size();) {
    const size_t end = bytes.find("\r\n", at);
    lines.push_back(bytes.substr(at, end - at));
    at = end + 2;
  }
  if (n == 0)
    lines.push_back(text);
  else
    lines[n - 1] = text;
  std::string joined;
  for (const std::string& l : lines) joined += l + "\r\n";
  WriteFileBytes(path, joined);
}

// The bit-field set in `folder` with a betriebe line of 8 fields, a stop id that halteste does
// not hold, two versions and a trip of a model one above the route's.
inline void MakeDamagedIvuSet(const std::string& folder) {
  CopyIvuSet("ivu_bitfeld", folder);
  ReplaceIvuLine(folder + "/betriebe.asc", 1, "36#ABC#Azienda Prova#36000#BUS#BUS#36000#BUS#");
  ReplaceIvuLine(folder + "/betriebe.asc", 0, "36#ABC#Azienda Prova#36000#BUS#BUS#36000#BUS#ABC#");
  ReplaceIvuLine(folder + "/ld12.asc", 2, "1##9#4200#0#1#20:00#00:00####");
  ReplaceIvuLine(folder + "/versione.asc", 0, "8#Estate#01.06.2024#30.06.2024##");
  ReplaceIvuLine(folder + "/fd12.asc", 2, "1#0#07.05:00#3#2#07.45:00#BUS#2#C101#1111111#0#0#1##");
}

// One change to a file of a set: line `line` (from 1) replaced, appended when 0, or the whole file
// written anew when -1.
struct IvuEdit {
  const char* file;
  int line;
  std::string text;
};

inline void ApplyIvuEdits(const std::string& folder, const std::vector<IvuEdit>& edits) {
  for (const IvuEdit& e : edits)
    if (e.line < 0)
      WriteFileBytes(folder + "/" + e.file, e.text);
    else
      ReplaceIvuLine(folder + "/" + e.file, static_cast<size_t>(e.line), e.text);
}

// The dateien.asc of the hand-made sets as a UTF-16 editor would save it: a byte-order mark and
// two bytes a character.
inline std::string Utf16FileList() {
  const std::string text = "lieferan.asc\r\nbetriebe.asc\r\nLD12.asc\r\nFD12.asc\r\nbitfeld.asc\r\nversione.asc\r\n";
  std::string bytes = "\xFF\xFE";
  for (const char c : text) bytes += std::string{c, '\0'};
  return bytes;
}
