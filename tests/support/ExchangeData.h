#pragma once
// The hand-made exchange files of tests/data/exchange, files written and read byte by byte, and
// the hand-made set imported through the engine: shared by the engine tests and the command tests.

#include "db/DbDatabase.h"
#include "exchange/ImportEngine.h"
#include "support/TimetableData.h"

#include <QDir>
#include <fstream>

inline std::string HandMadeFile(const std::string& name) { return TestDataDir() + "/exchange/" + name; }

// A file's lines without their ends; each must end in CR LF.
inline std::vector<std::string> FileLines(const std::string& path) {
  std::string bytes = FileBytes(path);
  std::vector<std::string> lines;
  for (size_t end; (end = bytes.find("\r\n")) != std::string::npos; bytes.erase(0, end + 2))
    lines.push_back(bytes.substr(0, end));
  EXPECT_EQ(bytes, "") << path << ": last line without CR LF";
  return lines;
}
inline std::vector<std::string> HandMadeLines(const std::string& name) { return FileLines(HandMadeFile(name)); }

// Writes the lines as they are (Windows-1252 bytes), each followed by `lineEnd`.
inline void WriteLines(const std::string& path, const std::vector<std::string>& lines,
                       const std::string& lineEnd = "\r\n") {
  std::ofstream out(cp1252::ToUtf8(path), std::ios::binary | std::ios::trunc);
  for (const std::string& l : lines) out << l << lineEnd;
  ASSERT_TRUE(out.good()) << path;
}

// The names of the entries of a folder, sorted.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const QString& n :
       QDir(cp1252::ToQString(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
    names.push_back(cp1252::FromQStringLossy(n));
  return names;
}

// The six imports in the order the whole import runs them.
inline const std::vector<ImportKind> kImportOrder = {ImportKind::Protocol,    ImportKind::Cadences,
                                                     ImportKind::Calendar,    ImportKind::TripHeads,
                                                     ImportKind::TripDetails, ImportKind::Periods};
inline std::string FileNameOf(ImportKind kind) { return DescriptorOf(kind).layout().fileName; }

// Imports the hand-made files of the kinds given, in order, through the engine; each must read
// without a fault and store every line.
inline void ImportHandMade(const std::string& path, const std::vector<ImportKind>& kinds = kImportOrder) {
  NoticeLog notices;
  DbDatabase db(path);
  for (ImportKind kind : kinds) {
    const auto engine = ImportEngine::Create(kind, {&db, HandMadeFile(FileNameOf(kind)), false, nullptr});
    ASSERT_TRUE(engine->Check()) << engine->StopMessage();
    ASSERT_FALSE(engine->Blocking() || engine->Remediable()) << FileNameOf(kind);
    engine->Load();
    ASSERT_EQ(engine->RowsInserted(), engine->LinesRead()) << FileNameOf(kind) << notices.Texts();
  }
}

// A timetable database with the six hand-made files imported into it.
inline void MakeImportedDatabase(const std::string& path) {
  MakeTimetableDatabase(path);
  ImportHandMade(path);
}
