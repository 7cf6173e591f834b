// A file written whole through its temporary: what stands under the temporary's name (a link out
// of the folder, a temporary a killed run left) is never written through, and the temporaries of
// killed runs go at the next write into the folder, while one a running writer holds stays.

#include "common/Cp1252.h"
#include "common/ExportFiles.h"
#include "common/NewFile.h"
#include "common/WholeFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(WholeFile, WritesNewTemporariesAndClearsThoseOfKilledRuns) {
  ScratchDir dir;
  const std::string folder = dir.Dir(), outside = dir.Path("fuori/segreto.txt");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(dir.Path("fuori"))));
  WriteFileBytes(outside, "segreto");
  // A link under the temporary's name of the file to write, pointing out of the folder.
  ASSERT_EQ(::symlink(outside.c_str(), (folder + "/.ERR_1.TXT.quendo.part").c_str()), 0);
  // Left by a killed print, and by a killed report of another name.
  WriteFileBytes(folder + "/.stampa.pdf.quendo.part", "%PDF a metà");
  WriteFileBytes(folder + "/.ERR_2.TXT.quendo.part", "a metà");
  // A writer still at work: its temporary is held.
  const std::string held = folder + "/.ERR_3.TXT.quendo.part";
  const int fd = CreateHiddenTemporary(folder, "ERR_3.TXT");
  ASSERT_GE(fd, 0);
  // Not ours: names that only look alike.
  WriteFileBytes(folder + "/ERR_4.TXT.part", "altro");
  WriteFileBytes(folder + "/.nascosto", "altro");

  ASSERT_TRUE(WriteWholeFile(folder + "/ERR_1.TXT", "nuovo"));
  EXPECT_EQ(FileBytes(outside), "segreto");
  EXPECT_EQ(FileBytes(folder + "/ERR_1.TXT"), "nuovo");
  EXPECT_EQ(Listing(folder), ".ERR_3.TXT.quendo.part\n.nascosto\nERR_1.TXT\nERR_4.TXT.part\nfuori\n");
  ::close(fd);
  ASSERT_TRUE(WriteWholeFile(folder + "/ERR_1.TXT", "ancora"));
  EXPECT_FALSE(QFileInfo::exists(cp1252::ToQString(held)));
  EXPECT_EQ(FileBytes(folder + "/ERR_1.TXT"), "ancora");
  // A set of several files (an export) sweeps its folder as well.
  WriteFileBytes(folder + "/.stampa.pdf.quendo.part", "%PDF a metà");
  ExportFileSet set(folder, {"RT_A.TXT", "RT_B.TXT"});
  for (const char* name : {"RT_A.TXT", "RT_B.TXT"}) ASSERT_TRUE(set.Begin(name) && set.Finish());
  ASSERT_TRUE(set.Commit());
  EXPECT_EQ(Listing(folder), ".nascosto\nERR_1.TXT\nERR_4.TXT.part\nRT_A.TXT\nRT_B.TXT\nfuori\n");
}

// A file's name as the writer gives it: the program's own names are Windows-1252, a name the file
// dialog gave (the printed PDF's) is native already and may hold what Windows-1252 lacks.
TEST(WholeFile, ASetTakesItsNamesAsTheWriterGivesThem) {
  ScratchDir dir;
  const std::string folder = dir.Dir();
  struct Case {
    std::string name;  // as given
    PathText text;
    std::string native;  // the name on the disk
  } cases[] = {
      {"stampa \xe5\xa0\xb1.pdf", PathText::Native, "stampa \xe5\xa0\xb1.pdf"},
      {"citt\xe0.pdf", PathText::Windows1252, "citt\xc3\xa0.pdf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.native);
    ExportFileSet set(folder, {}, c.text);
    ASSERT_TRUE(set.Begin(c.name));
    set.Write("%PDF");
    ASSERT_TRUE(set.Finish() && set.Commit());
    const std::string path = folder + "/" + c.native;
    QFile written(QFile::decodeName(path.c_str()));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().toStdString(), "%PDF");
    EXPECT_TRUE(written.remove());
  }
  EXPECT_EQ(Listing(folder), "");
}

// A name a named pipe holds is never replaced by a file: the write is refused before anything is
// written, and so is the file about to take the name when the pipe came meanwhile.
TEST(WholeFile, ANamedPipeIsNeverReplaced) {
  ScratchDir dir;
  const std::string pipe = dir.Path("uscita.txt"), refused = pipe + "\n\nnon è un file: scegliere il nome di un file.";
  const auto isPipe = [&pipe] {
    struct stat st {};
    return ::lstat(pipe.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
  };
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(SaveWholeFile(pipe, "dati").Texts(), refused);
  EXPECT_TRUE(isPipe());
  ASSERT_EQ(::unlink(pipe.c_str()), 0);
  {
    ExportFileSet set(dir.Dir());
    ASSERT_TRUE(set.Begin("uscita.txt"));
    set.Write("dati");
    ASSERT_TRUE(set.Finish());
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(set.Commit());
    EXPECT_EQ(set.FailureText(), refused);
  }
  EXPECT_TRUE(isPipe());
  EXPECT_EQ(Listing(dir.Dir()), "");  // no temporary left (the listing shows files and folders only)
}

}  // namespace
