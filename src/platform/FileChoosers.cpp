#include "platform/FileChoosers.h"

#include "common/ExportJournal.h"

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
#include <QListView>
#include <QLocale>
#include <QMimeDatabase>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTreeView>
#include <algorithm>
#include <vector>

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

// The view's own options for its items, as its delegate starts from them.
struct ItemOptions : QAbstractItemView {
  static QStyleOptionViewItem Of(const QAbstractItemView& view) {
    QStyleOptionViewItem option;
    (view.*&ItemOptions::initViewItemOption)(&option);
    return option;
  }
};

// The width an item of `view` needs to show `text` whole (with an icon beside it, `withIcon`): the
// text and what the style takes around it, its margins, the icon and the spacing beside the icon.
int ItemWidth(const QAbstractItemView& view, const QString& text, bool withIcon) {
  QStyleOptionViewItem option = ItemOptions::Of(view);
  option.features |= QStyleOptionViewItem::HasDisplay;
  if (withIcon) {
    option.features |= QStyleOptionViewItem::HasDecoration;
    if (!option.decorationSize.isValid()) {
      const int icon = view.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &view);
      option.decorationSize = QSize(icon, icon);
    }
  }
  option.text = text;
  const int wide = 100000;  // the room around the text is the same at any width
  option.rect = QRect(0, 0, wide, 2 * option.fontMetrics.height());
  const QStyle* style = view.style();
  const int textMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
  const int room = style->subElementRect(QStyle::SE_ItemViewItemText, &option, &view).width() - 2 * textMargin;
  return option.fontMetrics.horizontalAdvance(text) + 1 + wide - room;  // 1: the text's fractional width
}

// The widths of a chooser's list: the size, type and date columns with room for their titles and
// their longest texts, the name with the longest name the program writes.
std::vector<int> ColumnWidths(const QTreeView& view) {
  const QHeaderView& header = *view.header();
  std::vector<int> widths{0};
  for (const char* name :
       {SetFolder::kJournalName, "ERRORI_QUADRI_PERCORSI.TXT", "FERMATE_NORMALIZZATE.TXT", "GENERAZIONE_RT_ITIN.TXT"})
    widths[kNameColumn] = std::max(widths[kNameColumn], ItemWidth(view, QString::fromLatin1(name), true));
  const QString longest[] = {QLocale().formattedDataSize(Q_INT64_C(1023) * 1024 * 1024 + 900 * 1024 * 1024),
                             QStringLiteral("File MDB-JOURNAL"),  // of a database's companions, the longest
                             ListedDate(QDateTime(QDate(2000, 12, 28), QTime(23, 58)))};
  for (int column = kSizeColumn; column <= kDateColumn && column < header.count(); ++column)
    widths.push_back(std::max(header.sectionSizeHint(column), ItemWidth(view, longest[column - 1], false)));
  return widths;
}

// Sizes a chooser before it is shown, whatever its font (Qt lets the last column be cut at the
// dialog's width): its list at least as wide as its columns need, its side bar as its places' names.
// The window takes that width as it is laid out, and opens at its size where Qt puts a dialog.
void FitChooser(QFileDialog& chooser, QTreeView& view) {
  const std::vector<int> widths = ColumnWidths(view);
  int needed = 2 * view.frameWidth() + view.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &view);
  for (int width : widths) needed += width;
  view.setMinimumWidth(std::max(view.minimumWidth(), needed));
  if (auto* places = chooser.findChild<QListView*>(QStringLiteral("sidebar")); places && places->model()) {
    int widest = 0;
    for (int row = 0; row < places->model()->rowCount(); ++row)
      widest = std::max(widest, ItemWidth(*places, places->model()->index(row, 0).data().toString(), true));
    places->setMinimumWidth(std::max(places->minimumWidth(), widest + 2 * places->frameWidth()));
  }
  // The window takes the width now, while it is being built: laid out again only when shown, it
  // would grow after it appeared.
  for (QWidget* widget = &view; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget())
    if (widget->layout()) widget->layout()->activate();
}

// Gives the columns the widths above, those a chooser put back from its last use included; the
// name takes the width they leave.
void FitColumns(QTreeView& view) {
  QHeaderView* header = view.header();
  const std::vector<int> widths = ColumnWidths(view);
  header->setStretchLastSection(false);
  for (int column = kSizeColumn; column < int(widths.size()); ++column) {
    header->setSectionResizeMode(column, QHeaderView::Interactive);
    header->resizeSection(column, widths[column]);
  }
  header->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
}

// Looks at each window as it is polished (Qt's dialogs are polished as they are built, before they
// first look a file up or are sized) and shown (after a chooser has put back the column widths it
// saved last). Nothing changes a chooser's size once it is being shown: a window resized then may
// be put by the window manager at the screen's corner, without its title bar.
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
      FitChooser(*chooser, *view);
    }
    for (QFileSystemModel* files : window.findChildren<QFileSystemModel*>())
      if (files->iconProvider() != &names_) files->setIconProvider(&names_);
    if (view && type == QEvent::Show) FitColumns(*view);
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
