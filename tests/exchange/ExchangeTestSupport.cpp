#include "ExchangeTestSupport.h"

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "refdata/Seeding.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

namespace {

const std::string& TemplateDatabase() {
  static QTemporaryDir dir;
  static const std::string path = [] {
    const std::string p = dir.path().toStdString() + "/template.mdb";
    std::unique_ptr<ui::Script> own;
    if (!ui::Script::Current()) own = std::make_unique<ui::Script>();
    EXPECT_EQ(CreateSeededDatabase(p, CreateMode::Startup), 1);
    return p;
  }();
  return path;
}

}  // namespace

void MakeTimetableDatabase(const std::string& path, int company, const std::string& from, const std::string& to) {
  ASSERT_TRUE(QFile::copy(QString::fromStdString(TemplateDatabase()), cp1252::ToQString(path)));
  DbDatabase db(path);
  ASSERT_EQ(db.isOpen, 1);
  DbTable master(&db, "master");
  ASSERT_TRUE(master.AddNew());
  master.SetFieldText("codice", "0");
  master.SetFieldText("azienda", std::to_string(company));
  master.SetFieldText("datini", from);
  master.SetFieldText("datfin", to);
  master.SetFieldText("id_corsa", "0");
  master.SetFieldText("gruppo", "0");
  ASSERT_TRUE(master.Update());
}

std::string HandMadeFile(const std::string& name) { return TestDataDir() + "/exchange/" + name; }

std::vector<std::string> HandMadeLines(const std::string& name) {
  ExchangeLines lines;
  EXPECT_TRUE(lines.Load(HandMadeFile(name)));
  std::vector<std::string> out;
  for (size_t k = 0; k < lines.Count(); ++k) out.emplace_back(lines.Line(k));
  return out;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines, const std::string& lineEnd) {
  QFile f(cp1252::ToQString(path));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  for (const std::string& l : lines) {
    f.write(l.data(), static_cast<qint64>(l.size()));
    f.write(lineEnd.data(), static_cast<qint64>(lineEnd.size()));
  }
}

std::string ReadBytes(const std::string& path) {
  QFile f(cp1252::ToQString(path));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

ImportResult RunImport(const std::string& database, ImportKind kind, const std::string& file) {
  DbDatabase db(database);
  const ImportResult result = RunImportWorker(kind, {&db, file, false, nullptr});
  ImportResultStep(kind, result, false);
  return result;
}

void ImportHandMade(const std::string& database, const std::vector<ImportKind>& kinds) {
  ui::Script script;
  for (ImportKind kind : kinds) {
    const ImportResult r = RunImport(database, kind, HandMadeFile(DescriptorOf(kind).layout().fileName));
    ASSERT_EQ(r.linesRead, r.rowsInserted) << DescriptorOf(kind).layout().fileName << "\n" << MessagesOf(script);
  }
}

std::string ResultText(ImportKind kind, int read, int inserted) {
  const ImportDescriptor& s = DescriptorOf(kind);
  return std::string(s.heading) + "Lette " + std::to_string(read) + " righe dal file testo.\nInserite " +
         std::to_string(inserted) + " righe nel database.\n\n" + (read == inserted ? s.success : s.failure);
}
