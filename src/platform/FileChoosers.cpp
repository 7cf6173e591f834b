#include "platform/FileChoosers.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLayout>
#include <QLocale>
#include <QMimeDatabase>
#include <QPointer>
#include <QStyle>
#include <QTreeView>
#include <algorithm>

namespace ui {
namespace {

// The icons and types of a list of files, told by the name alone.
class IconsByName : public QFileIconProvider {
 public:
  QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
  QIcon icon(const QFileInfo& info) const override {
    if (info.isDir()) return icon(info.isRoot() ? Drive : Folder);
    const QIcon themed = QIcon::fromTheme(ByName(info).iconName());
    return themed.isNull() ? icon(File) : themed;
  }
  // "File TXT": short enough for its column, whatever the system's name of the kind.
  QString type(const QFileInfo& info) const override {
    if (info.isDir()) return QStringLiteral("Cartella");
    if (!info.isFile()) return QFileIconProvider::type(info);  // links to nothing, devices: nothing is read
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QStringLiteral("File") : QStringLiteral("File ") + suffix.toUpper();
  }

 private:
  QMimeType ByName(const QFileInfo& info) const {
    return mimes_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
  }
  QMimeDatabase mimes_;
};

// The columns of a chooser's list.
enum ListColumn { kNameColumn = 0, kSizeColumn = 1, kTypeColumn = 2, kDateColumn = 3 };

QString ListedDate(const QDateTime& when) { return QLocale().toString(when, QLocale::ShortFormat); }

// The list with its sizes and dates written in the program's language: Qt's model writes them in
// the system's.
class ListingInItalian : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || !files || (index.column() != kSizeColumn && index.column() != kDateColumn))
      return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    if (index.column() == kDateColumn) return ListedDate(files->lastModified(source));
    return files->isDir(source) ? QString() : QLocale().formattedDataSize(files->size(source));
  }
};

// Gives the size, type and date columns room for their titles and their longest texts, the name
// the width they leave, and the list at least the width they all need with the longest name the
// program writes, so that the chooser opens wide enough whatever its font (Qt lets the last column
// be cut at the dialog's width).
void FitColumns(QTreeView& view) {
  QHeaderView* header = view.header();
  const QFontMetrics metrics(view.font());
  const QString longest[] = {QStringLiteral("FERMATE_NORMALIZZATE.TXT"),  // the longest the program writes
                             QLocale().formattedDataSize(Q_INT64_C(1023) * 1024 * 1024 + 900 * 1024 * 1024),
                             QStringLiteral("File MDB-JOURNAL"),  // of a database's companions, the longest
                             ListedDate(QDateTime(QDate(2000, 12, 28), QTime(23, 58)))};
  const int padding = 2 * metrics.averageCharWidth();
  for (int column = kSizeColumn; column <= kDateColumn && column < header->count(); ++column) {
    const int text = metrics.horizontalAdvance(longest[column]) + padding;
    header->resizeSection(column, std::max({header->sectionSize(column), header->sectionSizeHint(column), text}));
  }
  header->setStretchLastSection(false);
  header->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
  int needed = metrics.horizontalAdvance(longest[kNameColumn]) + padding + view.iconSize().width();
  for (int column = kSizeColumn; column < header->count(); ++column) needed += header->sectionSize(column);
  needed += 2 * view.frameWidth() + view.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &view);
  view.setMinimumWidth(std::max(view.minimumWidth(), needed));
}

// Looks at each window as it is polished (Qt's dialogs are polished as they are built, before they
// first look a file up) and shown (after a chooser has put back the column widths it saved last).
class ChooserWatch : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if ((type != QEvent::Polish && type != QEvent::Show) || !watched->isWidgetType()) return false;
    auto& window = *static_cast<QWidget*>(watched);
    if (!window.isWindow()) return false;
    auto* chooser = qobject_cast<QFileDialog*>(&window);
    auto* view = chooser ? chooser->findChild<QTreeView*>(QStringLiteral("treeView")) : nullptr;
    if (view && chooser->iconProvider() != &names_) {
      chooser->setIconProvider(&names_);
      chooser->setProxyModel(new ListingInItalian(chooser));  // the chooser's own from now on
    }
    for (QFileSystemModel* files : window.findChildren<QFileSystemModel*>())
      if (files->iconProvider() != &names_) files->setIconProvider(&names_);
    if (view && type == QEvent::Show) {
      FitColumns(*view);
      if (chooser->layout()) chooser->layout()->activate();  // the window takes the width before it appears
    }
    return false;
  }

 private:
  IconsByName names_;  // lives with the application, after every window
};

}  // namespace

void WatchFileChoosers() {
  static QPointer<ChooserWatch> watch;
  if (watch || !QCoreApplication::instance()) return;
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  watch = new ChooserWatch(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(watch);
}

}  // namespace ui
