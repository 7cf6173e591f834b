#pragma once
// The hand-made exchange files of tests/data/exchange, files written and read byte by byte, and
// the hand-made set imported through the engine: shared by the engine tests and the command tests.

#include "db/DbDatabase.h"
#include "exchange/ImportEngine.h"
#include "support/TimetableData.h"

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

// Writes the lines as they are (Windows-1252 bytes), each ending in CR LF.
inline void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& l : lines) bytes += l + "\r\n";
  WriteFileBytes(path, bytes);
}

// The six imports in the order the whole import runs them.
inline const std::vector<ImportKind> kImportOrder = {ImportKind::Protocol,    ImportKind::Cadences,
                                                     ImportKind::Calendar,    ImportKind::TripHeads,
                                                     ImportKind::TripDetails, ImportKind::Periods};
inline std::string FileNameOf(ImportKind kind) { return DescriptorOf(kind).layout().fileName; }

// Imports the files of `folder` of the kinds given, in order, through the engine; each must read
// without a fault and store every line.
inline void ImportFolder(const std::string& path, const std::string& folder,
                         const std::vector<ImportKind>& kinds = kImportOrder) {
  NoticeLog notices;
  DbDatabase db(path);
  for (ImportKind kind : kinds) {
    const auto engine = ImportEngine::Create(kind, {&db, folder + "/" + FileNameOf(kind), false, nullptr});
    ASSERT_TRUE(engine->Check()) << engine->StopMessage();
    ASSERT_FALSE(engine->Blocking() || engine->Remediable()) << FileNameOf(kind);
    engine->Load();
    ASSERT_EQ(engine->RowsInserted(), engine->LinesRead()) << FileNameOf(kind) << notices.Texts();
  }
}
inline void ImportHandMade(const std::string& path, const std::vector<ImportKind>& kinds = kImportOrder) {
  ImportFolder(path, TestDataDir() + "/exchange", kinds);
}

// A timetable database with the six hand-made files imported into it.
inline void MakeImportedDatabase(const std::string& path) {
  MakeTimetableDatabase(path);
  ImportHandMade(path);
}

// The result box's text of an import: a success when it read lines and inserted every one.
inline std::string ResultText(ImportKind kind, int read, int inserted) {
  const ImportDescriptor& s = DescriptorOf(kind);
  return std::string(s.heading) + "Lette " + std::to_string(read) + " righe dal file testo.\nInserite " +
         std::to_string(inserted) + " righe nel database.\n\n" + (read > 0 && read == inserted ? s.success : s.failure);
}
