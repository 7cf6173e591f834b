// Writing the exported files all or none, and the records that keep their layout whatever the
// values: real folders and files on disk.

#include "ExchangeTestSupport.h"
#include "ExportTestSupport.h"

#include "exchange/ExportFiles.h"
#include "exchange/ExportRecord.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

namespace {

struct Files : ImportedDatabaseTest {
  // Puts the previous export's files, each holding "old <name>", into the folder.
  void PreviousFiles() {
    for (const std::string& name : kExportNames) WriteLines(Out(name), {"old " + name});
  }
  void ExpectPreviousFilesUntouched() {
    EXPECT_EQ(FolderEntries(out).size(), kExportNames.size() + extra);
    for (const std::string& name : kExportNames) EXPECT_EQ(ReadBytes(Out(name)), "old " + name + "\r\n") << name;
  }
  size_t extra = 0;  // entries of the folder that are not export files
};

TEST_F(Files, FolderThatIsAFileWritesNothingAndNamesTheFirstFile) {
  const std::string notAFolder = dir.Path("documento.txt");
  WriteLines(notAFolder, {"testo"});
  const ExportResult r = ExportInto(db, notAFolder, {});
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.failedPath, notAFolder + "/RT_HDORA.TXT");
  EXPECT_EQ(ReadBytes(notAFolder), "testo\r\n");
  EXPECT_EQ(ExportResultText(r),
            "Risultati dell'esportazione dati:\n\n"
            "0 su 0 Teste Corsa\n0 su 0 Dettagli Corsa\n0 su 0 Periodi Validità Corsa\n0 su 0 Cadenze\n"
            "0 su 0 Calendario Giorni/Cadenze\n0 su 0 Protocollo Comunicazione Orari\n0 su 0 Fermate Normalizzate\n");
}

TEST_F(Files, ReadErrorHalfWayThroughTheStopsWritesNothing) {
  // Enough stops for many pages; then the last page of their table is damaged, so the read
  // fails once the walk reaches it, after many lines were written.
  RunSql(db,
         "WITH RECURSIVE n(x) AS (SELECT 100 UNION ALL SELECT x + 1 FROM n WHERE x < 3099) "
         "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
         "SELECT 3, x, 'F' || x, 'Fermata numero ' || x || ' di prova', x * 10, 900, 900, 0, 0, 0, 0 FROM n;");
  const std::string pages = QueryFile(db,
                                      "SELECT max(pageno), (SELECT page_size FROM pragma_page_size) FROM dbstat "
                                      "WHERE name = 'detcor' AND pagetype = 'leaf'");
  const long page = std::stol(pages.substr(0, pages.find('|')));
  const long size = std::stol(pages.substr(pages.find('|') + 1));
  ASSERT_GT(page, 3);
  {
    QFile file(QString::fromStdString(db));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek((page - 1) * size + 8));
    file.write(QByteArray(static_cast<int>(size) - 8, '\xFF'));
  }
  PreviousFiles();
  const ExportResult r = ExportInto(db, out, {});
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.failedPath, Out("RT_DTORA.TXT"));
  ASSERT_FALSE(installed->Messages().empty());
  EXPECT_EQ(installed->Messages()[0].text.rfind("Errore lettura riga successiva della select corrente\n\n", 0), 0u)
      << MessagesOf(*installed);
  // The previous export is there as it was, and no temporary is left.
  ExpectPreviousFilesUntouched();
}

TEST_F(Files, MissingFolderWritesNothing) {
  const ExportResult r = ExportInto(db, dir.Path("non/esiste"), {});
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.failedPath, dir.Path("non/esiste/RT_HDORA.TXT"));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.Path("non"))));
}

TEST_F(Files, LaterFileThatCannotBeCreatedLeavesThePreviousExportWhole) {
  PreviousFiles();
  // The period file's temporary cannot be made: the trip heads and stops are already written.
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Out("RT_PERIOD.TXT.part"))));
  extra = 1;
  const ExportResult r = ExportInto(db, out, {});
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.failedPath, Out("RT_PERIOD.TXT"));
  ExpectPreviousFilesUntouched();
  EXPECT_TRUE(r.written.empty());
  EXPECT_EQ(r.counts[kTripHeadsFile].written, 0);
}

TEST_F(Files, FileThatCannotBePutInPlaceBringsBackTheOthers) {
  PreviousFiles();
  // RT_PROTO.TXT is a folder: every temporary is complete, the renames before it are undone.
  ASSERT_TRUE(QFile::remove(QString::fromStdString(Out("RT_PROTO.TXT"))));
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Out("RT_PROTO.TXT"))));
  const ExportResult r = ExportInto(db, out, {});
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.failedPath, Out("RT_PROTO.TXT"));
  EXPECT_TRUE(QDir(QString::fromStdString(Out("RT_PROTO.TXT"))).exists());
  for (const std::string& name : kExportNames) {
    if (name != "RT_PROTO.TXT") {
      EXPECT_EQ(ReadBytes(Out(name)), "old " + name + "\r\n") << name;
    }
  }
  EXPECT_EQ(FolderEntries(out).size(), kExportNames.size());
}

TEST_F(Files, NewFilesBesideOthersAndNoTemporaryLeft) {
  PreviousFiles();
  WriteLines(Out("ALTRO.TXT"), {"resta"});
  extra = 1;
  ASSERT_TRUE(ExportInto(db, out, {}).complete);
  EXPECT_EQ(FolderEntries(out).size(), kExportNames.size() + 1);
  EXPECT_EQ(ReadBytes(Out("ALTRO.TXT")), "resta\r\n");
  EXPECT_EQ(ReadBytes(Out("RT_CADEN.TXT")), ReadBytes(HandMadeFile("RT_CADEN.TXT")));
}

TEST(ExportFileSet, UnfinishedSetLeavesNothing) {
  ScratchDir dir;
  {
    ExportFileSet set(dir.Dir());
    ASSERT_TRUE(set.Begin("A.TXT"));
    set.WriteLine("uno");
    ASSERT_TRUE(set.Finish());
    ASSERT_TRUE(set.Begin("B.TXT"));
    set.WriteLine("due");
  }
  EXPECT_TRUE(FolderEntries(dir.Dir()).empty());

  ExportFileSet set(dir.Dir());
  ASSERT_TRUE(set.Begin("A.TXT"));
  set.WriteLine(std::string(3 << 20, 'x'));  // larger than the write buffer
  ASSERT_TRUE(set.Finish());
  ASSERT_TRUE(set.Commit());
  EXPECT_EQ(ReadBytes(dir.Path("A.TXT")).size(), (3u << 20) + 2);
  EXPECT_EQ(set.Written(), std::vector<std::string>{dir.Path("A.TXT")});
  // A committed set takes no more files.
  EXPECT_FALSE(set.Begin("C.TXT"));
}

// ---- Records -------------------------------------------------------------------------------

TEST(ExportRecord, ValuesAreLaidOutAndLimitedToTheirFields) {
  ExportRecord r(TripDetailLayout());
  const RecordLayout& d = TripDetailLayout();
  EXPECT_EQ(r.Text(), std::string(24, ' ') + "000000" + std::string(109, ' '));
  r.Number(r.FieldOf("id"), 42);
  r.Number(r.FieldOf("sub"), -7);
  r.Text(r.FieldOf("fermata"), "F01       ");  // trailing blanks beyond nothing: fits
  r.Text(r.FieldOf("denom"), "Stazione");
  r.Flag(r.FieldOf("primaria"), true);
  EXPECT_FALSE(r.OverWide());
  EXPECT_EQ(FieldBytes(r.Text(), *d.Field("id")), "000042");
  EXPECT_EQ(FieldBytes(r.Text(), *d.Field("sub")), "-007");
  EXPECT_EQ(FieldBytes(r.Text(), *d.Field("fermata")), "F01       ");
  EXPECT_EQ(FieldBytes(r.Text(), *d.Field("denom")), "Stazione" + std::string(32, ' '));
  r.Text(r.FieldOf("fermata"),
         "F01       "
         "  ");  // only blanks beyond the width
  EXPECT_FALSE(r.OverWide());
  r.Text(r.FieldOf("fermata"), "FERMATA-LUNGA");
  EXPECT_TRUE(r.OverWide());
  EXPECT_EQ(FieldBytes(r.Text(), *d.Field("fermata")), "FERMATA-LU");
  r.Reset();
  EXPECT_FALSE(r.OverWide());
  r.Number(r.FieldOf("sub"), -1000);
  EXPECT_EQ(FieldBytes(r.Text(), *d.Field("sub")), "-999");
  EXPECT_TRUE(r.OverWide());
  EXPECT_EQ(r.Text().size(), 139u);
  EXPECT_THROW(r.FieldOf("nessuno"), std::logic_error);

  ExportRecord p(PeriodLayout());
  p.DisplayDate(p.FieldOf("inizio"), "05/03/2024");
  p.Date(p.FieldOf("fine"), 2024, 12, 31);
  EXPECT_EQ(p.Text().substr(20, 16), "2024030520241231");
  p.DisplayDate(p.FieldOf("inizio"), "");
  EXPECT_EQ(p.Text().substr(20, 8), "        ");
}

}  // namespace
