// File dialogs answered from a script, and their filters.

#include "platform/FileDialog.h"

#include "common/Cp1252.h"
#include "platform/Ui.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QDir>

using ui::FileDialog;

namespace {

const char* kDbFilter = "Database JET (*.mdb)|*.mdb|Tutti i files (*.*)|*.*||";

TEST(FileDialog, TakesTheNextFileAnswerAndRecordsTheDialog) {
  ui::Script script;
  script.File("/dati/RT_CADEN.TXT").Cancel();
  FileDialog open(FileDialog::Mode::Open, "Importazione Dati Cadenze", "RT_CADEN",
                  "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||");
  ASSERT_EQ(open.DoModal(), ui::IDOK);
  EXPECT_EQ(open.Path(), "/dati/RT_CADEN.TXT");
  EXPECT_EQ(open.Folder(), "/dati");
  FileDialog save(FileDialog::Mode::Save, "Creazione Nuovo Database", "*.MDB", kDbFilter, "MDB");
  EXPECT_EQ(save.DoModal(), ui::IDCANCEL);
  EXPECT_EQ(save.Path(), "");
  EXPECT_EQ(script.Transcript(),
            (std::vector<std::string>{
                "FILE\tImportazione Dati Cadenze\tRT_CADEN\tFile di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||",
                std::string("FILE\tCreazione Nuovo Database\t*.MDB\t") + kDbFilter}));
  EXPECT_FALSE(script.HasAnswer());
}

TEST(FileDialog, RefusesToGuessAnAnswer) {
  {
    ui::Script script;
    FileDialog d(FileDialog::Mode::Open, "Selezione del Database", "*.MDB", kDbFilter);
    EXPECT_THROW(d.DoModal(), ui::UnansweredQuestion);
    EXPECT_EQ(script.Transcript().size(), 1u);
    script.Ok();
    EXPECT_THROW(d.DoModal(), ui::UnansweredQuestion);
    EXPECT_TRUE(script.HasAnswer());  // the OK stays for the question it belongs to
  }
  // No script and no display (the tests run offscreen): nobody could answer.
  FileDialog d(FileDialog::Mode::Save, "Selezione del Database di destinazione", "*.MDB", kDbFilter);
  EXPECT_THROW(d.DoModal(), ui::UnansweredQuestion);
}

TEST(FileDialog, FiltersBecomeQtNameFilters) {
  EXPECT_EQ(FileDialog::QtFilters(kDbFilter),
            (QStringList{QStringLiteral("Database JET (*.mdb *.MDB)"), QStringLiteral("Tutti i files (*.*)")}));
  EXPECT_EQ(FileDialog::QtFilters("Shapefile|*.shp;*.dbf||"),
            QStringList{QStringLiteral("Shapefile (*.shp *.SHP *.dbf *.DBF)")});
  EXPECT_EQ(FileDialog::QtFilters("Località (*.txt)|*.txt||"), QStringList{QStringLiteral("Località (*.txt *.TXT)")});
  const auto pairs = FileDialog::ParseFilter("A|*.a|B|*.b||ignored|*.x");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[1], (std::pair<std::string, std::string>{"B", "*.b"}));
  EXPECT_TRUE(FileDialog::ParseFilter("").empty());
}

TEST(FileDialogNames, OpeningProposesTheFileWhateverTheCaseOfItsExtension) {
  ScratchDir dir;
  WriteFileBytes(dir.Path("RT_CADEN.TXT"), "");
  const QDir folder(cp1252::ToQString(dir.Dir()));
  const QString found = folder.filePath(QStringLiteral("RT_CADEN.TXT"));
  const auto proposed = [&](FileDialog::Mode mode, const char* name, const char* extension) {
    return FileDialog::ProposedName(mode, name, extension, folder);
  };
  EXPECT_EQ(proposed(FileDialog::Mode::Open, "RT_CADEN", "TXT"), found);
  EXPECT_EQ(proposed(FileDialog::Mode::Open, "RT_CADEN", "txt"), found);
  // Nothing to find, a name with its own extension, or a file to save: the name as it is.
  EXPECT_EQ(proposed(FileDialog::Mode::Open, "RT_CALEN", "TXT"), QStringLiteral("RT_CALEN"));
  EXPECT_EQ(proposed(FileDialog::Mode::Open, "RT_CADEN.DAT", "TXT"), QStringLiteral("RT_CADEN.DAT"));
  EXPECT_EQ(proposed(FileDialog::Mode::Save, "RT_CADEN", "TXT"), QStringLiteral("RT_CADEN"));
}

}  // namespace
