// File dialogs answered from a script, and their filters; what every file chooser lists and how; the settings file
// that stands in for the registry key.

#include "platform/FileDialog.h"

#include "common/Cp1252.h"
#include "common/DatabaseFiles.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "platform/PrintSetup.h"
#include "platform/Settings.h"
#include "platform/Translation.h"
#include "platform/Ui.h"
#include "support/TestSupport.h"
#include "support/TimetableData.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <QTreeView>
#include <functional>
#include <set>

using ui::FileDialog;

namespace {

const char* kDbFilter = "Database JET (*.mdb)|*.mdb|Tutti i files (*.*)|*.*||";

// A file dialog takes the next file answer and is recorded; with no answer, or a question's, it
// refuses to guess (the OK stays for the question it belongs to), and with no script and no display
// (the tests run offscreen) nobody could answer.
TEST(FileDialog, TakesTheNextFileAnswerAndRefusesToGuessOne) {
  {
    ui::Script script;
    script.File("/dati/RT_CADEN.TXT").Cancel();
    FileDialog open(FileDialog::Mode::Open, "Importazione Dati Cadenze", "RT_CADEN", "Testo|*.txt||");
    ASSERT_EQ(open.DoModal(), ui::IDOK);
    EXPECT_EQ(open.Path() + " " + open.Folder(), "/dati/RT_CADEN.TXT /dati");
    FileDialog save(FileDialog::Mode::Save, "Creazione Nuovo Database", "*.MDB", kDbFilter, "MDB");
    EXPECT_EQ(save.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(save.Path(), "");
    EXPECT_THROW(save.DoModal(), ui::UnansweredQuestion);
    script.Ok();
    EXPECT_THROW(save.DoModal(), ui::UnansweredQuestion);
    EXPECT_TRUE(script.HasAnswer());
    const std::string saved = std::string("FILE\tCreazione Nuovo Database\t*.MDB\t") + kDbFilter;
    EXPECT_EQ(script.Transcript(), (std::vector<std::string>{"FILE\tImportazione Dati Cadenze\tRT_CADEN\tTesto|*.txt||",
                                                             saved, saved, saved}));
  }
  FileDialog alone(FileDialog::Mode::Save, "Selezione del Database di destinazione", "*.MDB", kDbFilter);
  EXPECT_THROW(alone.DoModal(), ui::UnansweredQuestion);
}

TEST(FileDialog, FiltersBecomeQtNameFiltersAndOpeningProposesTheFile) {
  // Each description whole, as the chooser shows it; "*.*" every file, those without a dot too.
  const std::pair<const char*, QStringList> filters[] = {
      {kDbFilter, {QStringLiteral("Database JET (*.mdb) (*.mdb *.MDB)"), QStringLiteral("Tutti i files (*.*) (*)")}},
      {"Shapefile|*.shp;*.dbf||", {QStringLiteral("Shapefile (*.shp *.SHP *.dbf *.DBF)")}},
      {"Località (*.txt)|*.txt||", {QStringLiteral("Località (*.txt) (*.txt *.TXT)")}},
      {"Tutto|*.*;*||", {QStringLiteral("Tutto (*)")}},
  };
  for (const auto& [filter, qt] : filters) EXPECT_EQ(FileDialog::QtFilters(filter), qt) << filter;
  EXPECT_EQ(FileDialog::ParseFilter("A|*.a|B|*.b||ignored|*.x"),
            (std::vector<std::pair<std::string, std::string>>{{"A", "*.a"}, {"B", "*.b"}}));
  EXPECT_TRUE(FileDialog::ParseFilter("").empty());
  // Opening proposes the file whatever the case of its extension.
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
  for (const auto& [mode, name] : {std::pair{FileDialog::Mode::Open, "RT_CALEN"},
                                   {FileDialog::Mode::Open, "RT_CADEN.DAT"},
                                   {FileDialog::Mode::Save, "RT_CADEN"}})
    EXPECT_EQ(proposed(mode, name, "TXT"), cp1252::ToQString(name));
}

// Waits until every entry of `folder` is listed under `parent` with its icon and type.
bool Listed(const QAbstractItemModel& model, const QModelIndex& parent, const QDir& folder) {
  const auto entries = folder.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
  const auto listed = [&] {
    int typed = 0;
    for (int row = 0; row < model.rowCount(parent); ++row)
      typed += !model.index(row, 2, parent).data().toString().isEmpty() &&
               !model.index(row, 0, parent).data(Qt::DecorationRole).isNull();
    return typed == entries.size();
  };
  for (QDeadlineTimer deadline(10000); !listed() && !deadline.hasExpired();)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return listed();
}

// Shows the dialog and waits until its folder is listed.
bool ShowListing(QFileDialog& dialog) {
  dialog.show();
  const auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  return view && view->model() && Listed(*view->model(), view->rootIndex(), dialog.directory());
}

// The choosers a folder can be listed in: the one Qt's print dialog opens from the "..." beside its
// output file, once that field's completer has listed the folder of the name typed, and the
// program's own file dialog, opened on the data folder. Each runs `look` on the chooser shown,
// then closes it.
using Look = std::function<void(QFileDialog&)>;

void ThroughFileDialog(const std::string& folder, const Look& look) {
  ASSERT_TRUE(settings::Write(settings::kDirectory, folder));
  FileDialog::SetShownRunner([&](QFileDialog& dialog) {
    look(dialog);
    dialog.hide();
    return int(QDialog::Rejected);
  });
  FileDialog open(FileDialog::Mode::Open, "Importazione Dati Cadenze", "RT_CADEN", "Tutti i files (*.*)|*.*||");
  EXPECT_EQ(open.DoModal(), ui::IDCANCEL);
  FileDialog::SetShownRunner({});
}

// Runs the print setup (or, `byName`, a print dialog that checks its output file by the name
// alone), chooses printing to a file there and runs `inside` on the setup and the field of its
// output file; then closes the setup.
void InPrintSetup(bool byName, const std::function<void(QWidget&, QLineEdit&)>& inside) {
  ui::ShowWindowsOffscreen(true);
  QTimer::singleShot(0, [&] {
    QWidget* setup = QApplication::activeModalWidget();
    auto* printers = setup->findChild<QComboBox*>(QStringLiteral("printers"));
    auto* file = setup->findChild<QLineEdit*>(QStringLiteral("filename"));
    EXPECT_TRUE(printers && file) << "the print setup's printers and output file";
    if (printers && file) {
      printers->setCurrentIndex(printers->count() - 1);  // printing to a file
      inside(*setup, *file);
    }
    setup->close();
  });
  QPrinter printer;
  if (byName) {
    QPrintDialog setup(&printer);
    setup.setOption(QAbstractPrintDialog::PrintToFile, true);
    EXPECT_EQ(ui::CheckOutputFile(setup, true), ui::OutputCheck::ByName);
    setup.exec();
  } else {
    EXPECT_FALSE(ui::PrintSetup(printer, "Rubrica Cadenze"));
  }
  ui::ShowWindowsOffscreen(false);
}

void ThroughPrintSetup(const std::string& folder, const Look& look) {
  const QString path = cp1252::ToQString(folder);
  InPrintSetup(false, [&](QWidget& setup, QLineEdit& file) {
    auto* names = qobject_cast<QFileSystemModel*>(file.completer() ? file.completer()->model() : nullptr);
    ASSERT_NE(names, nullptr) << "the output file's completer";
    const QModelIndex typed = names->index(path);  // as the completer looks up the name being typed
    names->fetchMore(typed);
    EXPECT_TRUE(Listed(*names, typed, QDir(path)));
    file.setText(path + QStringLiteral("/stampa.pdf"));
    QTimer::singleShot(0, [&] {
      auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (chooser) {
        look(*chooser);
        chooser->reject();
      }
      EXPECT_NE(chooser, nullptr) << "the chooser of \"...\"";
    });
    if (auto* browse = setup.findChild<QToolButton*>(QStringLiteral("fileBrowser"))) browse->click();
  });
}

// The text of the box the OK of the print setup shows with `output` as its file, declining what the
// box offers; whether the setup stayed open.
std::pair<std::string, bool> PrintSetupOkWith(const std::string& output, bool byName) {
  std::pair<std::string, bool> seen;
  InPrintSetup(byName, [&](QWidget& setup, QLineEdit& file) {
    file.setText(cp1252::ToQString(output));
    QTimer::singleShot(0, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        seen.first = cp1252::FromQStringLossy(box->text());
        QAbstractButton* no = box->button(box->button(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::No);
        (no ? no : box->button(QMessageBox::Ok))->click();
      }
    });
    auto* buttons = setup.findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(buttons, nullptr);
    buttons->button(QDialogButtonBox::Ok)->click();
    seen.second = setup.isVisible();
  });
  return seen;
}

// The print setup proposes its output file in the data folder, where the program's own choosers
// open, and the chooser of its "..." opens there.
TEST(FileDialog, ThePrintSetupProposesItsFileInTheDataFolder) {
  ScratchDir dir;
  const ScopedEnv settingsFile(settings::kEnvironmentVariable, dir.Path("quendo.ini"));
  ASSERT_TRUE(settings::Write(settings::kDirectory, dir.Dir()));
  std::string proposed, opened;
  InPrintSetup(false, [&](QWidget& setup, QLineEdit& file) {
    proposed = cp1252::FromQStringLossy(file.text());
    QTimer::singleShot(0, [&] {
      if (auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
        opened = cp1252::FromQStringLossy(chooser->directory().absolutePath());
        chooser->reject();
      }
    });
    if (auto* browse = setup.findChild<QToolButton*>(QStringLiteral("fileBrowser"))) browse->click();
  });
  EXPECT_EQ(proposed, dir.Path("print.pdf"));
  EXPECT_EQ(opened, dir.Dir());
}

// A report prints every page once, in its order, on all the paper the device prints: its print
// setup, its options opened, offers no print range ("Stampa intervallo", "Pagine da ... a",
// "Pagine"), no copies, no reverse order ("Ordine inverso"), and its printer's properties no margins.
TEST(FileDialog, ThePrintSetupOffersNeitherAPageRangeNorCopies) {
  ScratchDir dir;
  const ScopedEnv settingsFile(settings::kEnvironmentVariable, dir.Path("quendo.ini"));
  std::vector<std::string> offered;
  bool opened = false, properties = false;
  InPrintSetup(false, [&](QWidget& setup, QLineEdit&) {
    auto* buttons = setup.findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(buttons, nullptr);
    for (QAbstractButton* button : buttons->buttons())  // "Opzioni >>": neither OK nor Cancel
      if (buttons->standardButton(button) == QDialogButtonBox::NoButton) button->click();
    auto* options = setup.findChild<QWidget*>(QStringLiteral("optionsTab"));
    for (QTabWidget* tabs : setup.findChildren<QTabWidget*>())
      opened = opened || (tabs->indexOf(options) >= 0 && tabs->isVisibleTo(&setup));
    for (const char* name : {"gbPrintRange", "printAll", "printRange", "from", "to", "pagesRadioButton",
                             "pagesLineEdit", "copies", "collate", "reverse"})
      for (QWidget* field : setup.findChildren<QWidget*>(QString::fromLatin1(name)))
        if (field->isVisibleTo(&setup)) offered.push_back(name);
    QTimer::singleShot(0, [&] {
      auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      properties = shown && shown != &setup && shown->findChild<QWidget*>(QStringLiteral("pageSetup"));
      if (!properties) return;
      for (const char* name : {"topMargin", "leftMargin", "rightMargin", "bottomMargin"})
        for (QWidget* field : shown->findChildren<QWidget*>(QString::fromLatin1(name)))
          if (field->isVisibleTo(shown)) offered.push_back(name);
      shown->reject();
    });
    if (auto* open = setup.findChild<QPushButton*>(QStringLiteral("properties"))) open->click();
  });
  EXPECT_TRUE(opened) << "the options of the setup shown";
  EXPECT_TRUE(properties) << "the printer's properties shown";
  EXPECT_EQ(offered, std::vector<std::string>{});
}

const std::pair<const char*, void (*)(const std::string&, const Look&)> kChoosers[] = {
    {"print setup", ThroughPrintSetup}, {"file dialog", ThroughFileDialog}};

// The value of master.azienda as the program reads it.
std::string Company(DbDatabase& db) {
  DbTable master(&db, "master");
  std::string company;
  if (!master.SetIndex("codice") || !master.SeekEqual({"0"}) || !master.GetFieldText("azienda", company)) return "?";
  return company;
}

// A database open in this process keeps its locks while a file dialog lists its folder (the
// dialog reads none of its files), so that another program that opens the file meanwhile knows it
// is not alone, and the edit committed afterwards is stored.
TEST(FileDialog, ListingTheFolderOfTheOpenDatabaseLeavesItsLocksInPlace) {
  ScratchDir dir;
  const std::string path = dir.Path("QUENDO.MDB");
  MakeTimetableDatabase(path);
  const ScopedEnv settingsFile(settings::kEnvironmentVariable, dir.Path("quendo.ini"));
  DbDatabase db(path);
  ASSERT_TRUE(db.isOpen);
  ASSERT_EQ(Company(db), "17");
  const std::vector<std::string> sharedMemory = LocksHeld(path + "-shm"), file = LocksHeld(path);
  ASSERT_NE(std::find(sharedMemory.begin(), sharedMemory.end(), "READ 128-128"), sharedMemory.end());
  ASSERT_FALSE(file.empty());

  for (const auto& [name, open] : kChoosers) {
    open(dir.Dir(), [](QFileDialog& dialog) { EXPECT_TRUE(ShowListing(dialog)); });
    EXPECT_EQ(LocksHeld(path + "-shm"), sharedMemory) << name;
    EXPECT_EQ(LocksHeld(path), file) << name;
  }
  // The pages are not let go over the database or a companion of it: the name is refused before
  // Qt's own check opens and closes the file (on this Qt the OK is found and runs that check), and
  // the setup stays open for another. Without Qt's check, the name alone is checked as Qt would.
  {
    QPrinter printer;
    QPrintDialog setup(&printer);
    EXPECT_EQ(ui::CheckOutputFile(setup), ui::OutputCheck::Qt);
  }
  const std::string refused = "Il file di output non può essere un database né uno dei suoi file:\n";
  const std::string unwritable = "Il file di output non può essere scritto:\n";
  WriteFileBytes(dir.Path("stampa.pdf"), "x");
  const struct {
    std::string output;
    bool byName;
    std::string box;
  } outputs[] = {
      {path, false, refused + path + "\n\nSceglierne un altro."},
      {path + "-shm", false, refused + path + "-shm\n\nSceglierne un altro."},
      {path + "-shm", true, refused + path + "-shm\n\nSceglierne un altro."},
      {dir.Dir(), true, unwritable + dir.Dir() + "\n\nSceglierne un altro."},
      {dir.Path("manca/stampa.pdf"), true, unwritable + dir.Path("manca/stampa.pdf") + "\n\nSceglierne un altro."},
      {dir.Path("stampa.pdf"), true, "Il file\n" + dir.Path("stampa.pdf") + "\nesiste già. Sovrascriverlo?"},
  };
  for (const auto& [output, byName, box] : outputs) {
    EXPECT_EQ(PrintSetupOkWith(output, byName), std::pair(box, true));
    EXPECT_EQ(LocksHeld(path + "-shm"), sharedMemory) << output;
    EXPECT_EQ(LocksHeld(path), file) << output;
  }
  // Where the files held open cannot be listed, none is opened to be told: a second name of the
  // database is taken for one of them, and the locks stay.
  ASSERT_EQ(::link(path.c_str(), dir.Path("copia").c_str()), 0);
  EXPECT_TRUE(DatabaseFiles({}, dir.Path("elenco").c_str()).Holds(dir.Path("copia")));
  EXPECT_EQ(LocksHeld(path + "-shm"), sharedMemory);
  EXPECT_EQ(LocksHeld(path), file);

  // Another program reads the file; then the window stores an edit.
  QProcess other;
  other.start(QStringLiteral("sqlite3"),
              {cp1252::ToQString(path), QStringLiteral("SELECT azienda FROM master; UPDATE master SET gruppo = 3;")});
  ASSERT_TRUE(other.waitForFinished(30000));
  EXPECT_EQ(other.readAllStandardOutput().trimmed(), "17");
  {
    NoticeLog notices;
    DbBatch batch(&db);
    DbTable master(&db, "master");
    ASSERT_TRUE(master.SetIndex("codice") && master.SeekEqual({"0"}) && master.Edit() &&
                master.SetFieldText("azienda", "18") && master.Update());
    EXPECT_EQ(batch.Commit(), 1);
    EXPECT_EQ(notices.Texts(), "");
  }
  EXPECT_EQ(Company(db), "18");
  EXPECT_EQ(QueryFile(path, "SELECT azienda, gruppo FROM master"), "18|3\n");  // both programs' edits
}

// Every name of a file the program writes, and of those its exports leave beside a set.
const char* const kWrittenNames[] = {"RT_CADEN.TXT",
                                     "RT_CALEN.TXT",
                                     "RT_CHAIN.TXT",
                                     "RT_DTORA.TXT",
                                     "RT_HDORA.TXT",
                                     "RT_IDREG.TXT",
                                     "RT_PERIOD.TXT",
                                     "RT_PROTO.TXT",
                                     "RT_FMREG.TXT",
                                     "RT_NODI.SHP",
                                     "RT_NODI.SHX",
                                     "RT_NODI.DBF",
                                     "RT_ITIN.SHP",
                                     "RT_ITIN.SHX",
                                     "RT_ITIN.DBF",
                                     "ARCHI_FS.SHP",
                                     "ARCHI_FS.SHX",
                                     "ARCHI_FS.DBF",
                                     "FERMATE_OLVI.TXT",
                                     "PERCORSI_OLVI.TXT",
                                     "FERMATE_NORMALIZZATE.TXT",
                                     "ERRORI_QUADRI_PERCORSI.TXT",
                                     "ERRORI_VURTXT.TXT",
                                     "ERRORI_IVU.TXT",
                                     "ERRORI_RT_NODI.TXT",
                                     "ERRORI_RT_ITIN.TXT",
                                     "GENERAZIONE_RT_ITIN.TXT",
                                     "CORSE_DOPPIE.TXT",
                                     "FermatePrimarie.TXT",
                                     "QUENDO_ESPORTAZIONE_IN_CORSO",
                                     "QUENDO.MDB",
                                     "QUENDO.MDB-journal",
                                     "QUENDO.MDB-wal"};

// Opens the protected starts of an item's options: the view's, then its delegate's for the item.
struct ViewOptions : QAbstractItemView {
  static void Init(const QAbstractItemView& view, QStyleOptionViewItem& option) {
    (view.*&ViewOptions::initViewItemOption)(&option);
  }
};
struct DelegateOptions : QStyledItemDelegate {
  static void Init(const QStyledItemDelegate& delegate, QStyleOptionViewItem& option, const QModelIndex& index) {
    (delegate.*&DelegateOptions::initStyleOption)(&option, index);
  }
};

// The text the view draws for an item: the item's text cut to the room the style leaves it at the
// item's width (no wider than the view shows), as the style draws it.
QString DrawnText(const QAbstractItemView& view, const QModelIndex& index) {
  QStyleOptionViewItem option;
  ViewOptions::Init(view, option);
  const auto* delegate = qobject_cast<const QStyledItemDelegate*>(view.itemDelegateForIndex(index));
  if (!delegate) return QStringLiteral("?");
  DelegateOptions::Init(*delegate, option, index);
  const QRect item = view.visualRect(index);
  option.rect = item.intersected(QRect(item.left(), item.top(), view.viewport()->width() - item.left(), item.height()));
  const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
  const QRect text =
      view.style()->subElementRect(QStyle::SE_ItemViewItemText, &option, &view).adjusted(margin, 0, -margin, 0);
  return option.fontMetrics.elidedText(option.text, option.textElideMode, text.width());
}

// Counts the times a chooser's window changes its size once it is being shown.
class ResizesAfterShow : public QObject {
 public:
  ResizesAfterShow() { qApp->installEventFilter(this); }
  ~ResizesAfterShow() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!qobject_cast<QFileDialog*>(watched)) return false;
    if (event->type() == QEvent::Show) shown_.insert(watched);
    if (event->type() == QEvent::Hide) shown_.erase(watched);
    if (event->type() == QEvent::Resize && shown_.count(watched)) ++count;
    return false;
  }
  int count = 0;

 private:
  std::set<QObject*> shown_;
};

// The list of every file chooser speaks Italian, as the program does: folders, sizes and dates
// written by the program's language whatever the system's, and the columns wide enough for their
// titles and for the texts of the program's own files at the chooser's opening size, each name the
// program writes drawn whole, and the places of the side bar too. "Tutti i files (*.*)" lists every
// file, as the program words it. The chooser takes that size before it is shown, never after.
TEST(FileDialog, TheFileListSpeaksItalianAndItsColumnsShowTheirWholeTitles) {
  ScratchDir dir;
  const ScopedEnv settingsFile(settings::kEnvironmentVariable, dir.Path("quendo.ini"));
  for (const char* name : kWrittenNames) WriteFileBytes(dir.Path(name), "");
  WriteFileBytes(dir.Path("RT_CADEN.TXT"), std::string(1536, 'x'));
  QFile listed(cp1252::ToQString(dir.Path("RT_CADEN.TXT")));
  ASSERT_TRUE(listed.open(QIODevice::ReadWrite) &&
              listed.setFileTime(QDateTime(QDate(2024, 3, 5), QTime(14, 7)), QFileDevice::FileModificationTime));
  listed.close();
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(dir.Path("ARCHIVIO"))));
  const QLocale before;
  ASSERT_TRUE(ui::InstallItalianTranslation(*qApp));
  const QFont font = QApplication::font();
  QFont larger = font;
  larger.setPointSize(16);
  QApplication::setFont(larger);
  std::vector<std::string> seen;
  bool ownChooser = false;
  const auto look = [&](QFileDialog& dialog) {
    dialog.setViewMode(QFileDialog::Detail);
    EXPECT_TRUE(ShowListing(dialog));
    const auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    const QAbstractItemModel& model = *view->model();
    const QModelIndex root = view->rootIndex();
    for (const auto& [name, columns] : {std::pair{"RT_CADEN.TXT", 4}, {"ARCHIVIO", 3}}) {
      const QModelIndexList named = model.match(model.index(0, 0, root), Qt::DisplayRole, QString::fromLatin1(name));
      for (int column = 0; column < columns && named.size() == 1; ++column)
        seen.push_back(cp1252::FromQStringLossy(named.front().siblingAtColumn(column).data().toString()));
    }
    for (const char* name : kWrittenNames) {
      const QString whole = QString::fromLatin1(name);
      const QModelIndexList named = model.match(model.index(0, 0, root), Qt::DisplayRole, whole, 1, Qt::MatchExactly);
      EXPECT_EQ(named.isEmpty() ? QStringLiteral("(not listed)") : DrawnText(*view, named.front()), whole);
    }
    if (ownChooser) {  // Qt's print setup opens its chooser with Qt's own filter
      const auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
      EXPECT_EQ(types ? types->currentText() : QString(), QStringLiteral("Tutti i files (*.*)"));
    }
    const auto* places = dialog.findChild<QListView*>(QStringLiteral("sidebar"));
    ASSERT_TRUE(places && places->model() && places->model()->rowCount() > 0);
    for (int row = 0; row < places->model()->rowCount(); ++row) {
      const QModelIndex place = places->model()->index(row, 0);
      EXPECT_EQ(DrawnText(*places, place), place.data().toString());
    }
    EXPECT_EQ(places->model()->index(0, 0).data().toString(), QStringLiteral("Risorse del computer"));
    const QHeaderView& header = *view->header();
    const QFontMetrics metrics(header.font());
    int width = 0;
    for (int column = 0; column < header.count(); ++column) {
      const QString title = model.headerData(column, Qt::Horizontal).toString();
      EXPECT_GT(header.sectionSize(column), metrics.horizontalAdvance(title)) << cp1252::FromQStringLossy(title);
      width += header.sectionSize(column);
    }
    EXPECT_LE(width, view->viewport()->width());
  };
  for (const auto& [name, open] : kChoosers) {
    seen.clear();
    ownChooser = open == ThroughFileDialog;
    ResizesAfterShow resizes;
    open(dir.Dir(), look);
    EXPECT_EQ(seen, (std::vector<std::string>{"RT_CADEN.TXT", "1,50 KiB", "File TXT", "05/03/24 14:07", "ARCHIVIO", "",
                                              "Cartella"}))
        << name;
    EXPECT_EQ(resizes.count, 0) << name;
  }
  QApplication::setFont(font);
  for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
  QLocale::setDefault(before);
}

// Records each text Qt asks to translate that no translator of the application translates.
class Untranslated : public QTranslator {
 public:
  QString translate(const char* context, const char* source, const char* disambiguation, int n) const override {
    if (!source || !*source || asking_) return {};
    asking_ = true;
    bool translated = false;
    for (const QTranslator* other : qApp->findChildren<QTranslator*>())
      translated = translated || !other->translate(context, source, disambiguation, n).isEmpty();
    asking_ = false;
    if (!translated) texts.insert(QString::fromUtf8(source));
    return {};
  }
  bool isEmpty() const override { return false; }
  mutable std::set<QString> texts;

 private:
  mutable bool asking_ = false;
};

// Every text a window shows: its title, its controls' texts, titles, tabs, entries and tips.
std::vector<QString> ShownTexts(const QWidget& window) {
  std::vector<QString> texts{window.windowTitle()};
  for (const QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&window)) continue;
    texts.push_back(widget->toolTip());
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) texts.push_back(button->text());
    if (const auto* label = qobject_cast<const QLabel*>(widget)) texts.push_back(label->text());
    if (const auto* box = qobject_cast<const QGroupBox*>(widget)) texts.push_back(box->title());
    if (const auto* tabs = qobject_cast<const QTabBar*>(widget))
      for (int k = 0; k < tabs->count(); ++k) texts.push_back(tabs->tabText(k));
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
      for (int k = 0; k < combo->count(); ++k) texts.push_back(combo->itemText(k));
  }
  for (QString& text : texts) text.remove(u'&');
  return texts;
}

// Qt's print setup, with its options shown, its printer's properties and the chooser of its output
// file, shows no text in English: what Qt's Italian catalogue lacks, the program supplies.
TEST(FileDialog, QtsPrintSetupAndChoosersShowNoEnglishText) {
  ScratchDir dir;
  const ScopedEnv settingsFile(settings::kEnvironmentVariable, dir.Path("quendo.ini"));
  const QLocale before;
  ASSERT_TRUE(ui::InstallItalianTranslation(*qApp));
  Untranslated untranslated;
  QCoreApplication::installTranslator(&untranslated);
  std::vector<std::pair<std::string, QString>> shown;  // window, text
  const auto walk = [&](const char* name, const QWidget& window) {
    for (const QString& text : ShownTexts(window)) shown.emplace_back(name, text);
  };
  const auto walkModal = [&](const char* name) {
    QTimer::singleShot(0, [&, name] {
      QWidget* window = QApplication::activeModalWidget();
      EXPECT_TRUE(window) << name;
      if (!window) return;
      if (auto* chooser = qobject_cast<QFileDialog*>(window)) {
        EXPECT_TRUE(ShowListing(*chooser));
      }
      walk(name, *window);
      window->close();
    });
  };
  InPrintSetup(false, [&](QWidget& setup, QLineEdit& file) {
    file.setText(cp1252::ToQString(dir.Path("stampa.pdf")));
    for (QPushButton* button : setup.findChildren<QPushButton*>())
      if (button->text().contains(QStringLiteral(">>"))) button->click();  // "Opzioni >>"
    walk("print setup", setup);
    walkModal("properties");
    if (auto* properties = setup.findChild<QPushButton*>(QStringLiteral("properties"))) properties->click();
    walkModal("chooser");
    if (auto* browse = setup.findChild<QToolButton*>(QStringLiteral("fileBrowser"))) browse->click();
  });
  QCoreApplication::removeTranslator(&untranslated);
  for (const char* window : {"print setup", "properties", "chooser"})
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const auto& text) { return text.first == window; }))
        << window;
  for (const auto& [window, text] : shown)
    EXPECT_FALSE(untranslated.texts.count(text)) << window << ": " << text.toStdString();
  for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
  QLocale::setDefault(before);
}

// The result of reading a value, then the value (which starts as "prima").
std::string Read(const char* name) {
  std::string value = "prima";
  const settings::ReadResult r = settings::Read(name, value);
  return (r == settings::ReadResult::Read     ? "read:"
          : r == settings::ReadResult::Absent ? "absent:"
                                              : "missing:") +
         value;
}

TEST(Settings, WritingCreatesTheFileValuesThatDoNotFitAreRefusedAndFailuresAreReported) {
  ScratchDir dir;
  const std::string path = dir.Path("cartella/nuova/quendo.ini");
  const ScopedEnv file(settings::kEnvironmentVariable, path);
  EXPECT_EQ(cp1252::FromQStringLossy(settings::FilePath()), path);
  EXPECT_EQ(Read(settings::kDatabase), "missing:prima");  // no file: the missing key
  ASSERT_TRUE(settings::Write(settings::kDirectory, "/home/utente/Località"));
  EXPECT_TRUE(HasPrefix(FileBytes(path), "[1.00]"));
  EXPECT_EQ(Read(settings::kDirectory), "read:/home/utente/Località");
  EXPECT_EQ(Read(settings::kDatabase), "absent:prima");
  for (const auto& [value, read] : {std::pair{std::string(2047, 'a'), "read:" + std::string(2047, 'a')},
                                    // Refused: it would not be read back; the value before stays.
                                    {std::string(2048, 'b'), "read:" + std::string(2047, 'a')},
                                    {std::string(), std::string("read:")}}) {
    EXPECT_EQ(settings::Write(settings::kDatabase, value), value.size() < 2048);
    EXPECT_EQ(Read(settings::kDatabase), read);
  }
  EXPECT_EQ(Read(settings::kDirectory), "read:/home/utente/Località");  // the other value keeps its text
  // The file's folder cannot be made: a plain file stands where it should be.
  WriteFileBytes(dir.Path("bloccato"), "");
  const ScopedEnv blocked(settings::kEnvironmentVariable, dir.Path("bloccato/quendo.ini"));
  EXPECT_FALSE(settings::Write(settings::kDatabase, "/nuovo.mdb"));
  EXPECT_FALSE(settings::Exists());
  EXPECT_EQ(Read(settings::kDatabase), "missing:prima");
}

}  // namespace
