#include "platform/FileDialog.h"

#include "common/Cp1252.h"
#include "common/WholeFile.h"
#include "platform/FileChoosers.h"
#include "platform/Settings.h"
#include "platform/Ui.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace ui {
namespace {

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// The folder of the last file chosen in this run (Windows-1252); empty before the first.
std::string& LastFolder() {
  static std::string folder;
  return folder;
}

FileDialog::ShownRunner& Runner() {
  static FileDialog::ShownRunner runner;
  return runner;
}

bool IsFolder(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

// False, once the user is told, for a name a save dialog cannot give: one held by no file.
bool Writable(FileDialog::Mode mode, const std::string& path) {
  if (mode != FileDialog::Mode::Save || !HeldByNoFile(path)) return true;
  MessageBox(NotAFileText(path), MB_ICONEXCLAMATION);
  return false;
}

}  // namespace

QString FileDialog::StartFolder() {
  const QString last = cp1252::ToQString(LastFolder());
  if (IsFolder(last)) return QFileInfo(last).absoluteFilePath();
  std::string data;
  if (settings::Read(settings::kDirectory, data) == settings::ReadResult::Read) {
    const QString folder = cp1252::ToQString(data);
    if (IsFolder(folder)) return QFileInfo(folder).absoluteFilePath();
  }
  return QDir::homePath();
}

void FileDialog::SetShownRunner(ShownRunner runner) { Runner() = std::move(runner); }

FileDialog::FileDialog(Mode mode, std::string title, std::string defaultName, std::string filter,
                       std::string defaultExtension)
    : mode_(mode),
      title_(std::move(title)),
      defaultName_(std::move(defaultName)),
      filter_(std::move(filter)),
      defaultExtension_(std::move(defaultExtension)) {}

std::string FileDialog::Folder() const {
  const size_t cut = path_.find_last_of("/\\");
  if (cut == std::string::npos) return {};
  return cut == 0 ? path_.substr(0, 1) : path_.substr(0, cut);  // a file at the root: the root itself
}

std::vector<std::pair<std::string, std::string>> FileDialog::ParseFilter(const std::string& filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= filter.size()) {
    const size_t bar = filter.find('|', start);
    if (bar == std::string::npos) {
      parts.push_back(filter.substr(start));
      break;
    }
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  std::vector<std::pair<std::string, std::string>> pairs;
  for (size_t k = 0; k + 1 < parts.size(); k += 2) {
    if (parts[k].empty()) break;  // the closing "||"
    pairs.emplace_back(parts[k], parts[k + 1]);
  }
  return pairs;
}

QStringList FileDialog::QtFilters(const std::string& filter) {
  QStringList out;
  for (const auto& [description, patterns] : ParseFilter(filter)) {
    QString list = cp1252::ToQString(patterns);
    list.replace(u';', u' ');
    // Names are matched with their case here, and files from Windows machines come in either:
    // each pattern stands in lower and in upper case.
    QStringList each;
    for (QString pattern : list.split(u' ', Qt::SkipEmptyParts)) {
      if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
      for (const QString& variant : {pattern, pattern.toLower(), pattern.toUpper()})
        if (!each.contains(variant)) each << variant;
    }
    out << cp1252::ToQString(description).trimmed() + QStringLiteral(" (") + each.join(u' ') + u')';
  }
  return out;
}

int FileDialog::DoModal() {
  path_.clear();
  int result = IDCANCEL;
  if (Runner()) {
    result = RunShown();
  } else if (Script::Current()) {
    result = RunScripted();
  } else {
    if (!CanShowWindows()) throw UnansweredQuestion("Selezione file senza risposta: " + OneLineText(title_));
    result = RunShown();
  }
  if (result == IDOK) LastFolder() = Folder();
  return result;
}

int FileDialog::RunScripted() {
  Script* s = Script::Current();
  s->Record("FILE\t" + TranscriptText(title_) + "\t" + TranscriptText(defaultName_) + "\t" + TranscriptText(filter_));
  if (!s->HasAnswer()) throw UnansweredQuestion("Selezione file senza risposta: " + OneLineText(title_));
  const Answer::Kind k = s->Peek().kind;
  if (k == Answer::Kind::Cancel) {
    s->Take();
    return IDCANCEL;
  }
  if (k != Answer::Kind::File)
    throw UnansweredQuestion("La risposta successiva non è un file per la selezione: " + OneLineText(title_));
  path_ = s->Take().value;
  if (path_.empty() || !Writable(mode_, path_)) {
    path_.clear();
    return IDCANCEL;
  }
  return IDOK;
}

QString FileDialog::ProposedName(Mode mode, const std::string& defaultName, const std::string& defaultExtension,
                                 const QDir& folder) {
  const QString name = cp1252::ToQString(defaultName);
  if (mode != Mode::Open || defaultExtension.empty() || QFileInfo(name).fileName().contains(u'.')) return name;
  const QString wanted = name + u'.' + cp1252::ToQString(defaultExtension);
  const QFileInfo given(folder, wanted);
  for (const QString& entry : given.dir().entryList(QDir::Files))
    if (entry.compare(given.fileName(), Qt::CaseInsensitive) == 0) return given.dir().filePath(entry);
  return name;
}

int FileDialog::RunShown() {
  WatchFileChoosers();  // Qt's own dialog, its files told by their names, in the program's language
  QFileDialog dialog(OwnerWindow(), cp1252::ToQString(title_));
  dialog.setAcceptMode(mode_ == Mode::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(mode_ == Mode::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !askToReplace_);
  dialog.setDirectory(StartFolder());
  const QStringList filters = QtFilters(filter_);
  dialog.setOption(QFileDialog::HideNameFilterDetails);  // each filter shown as the program words it
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!defaultExtension_.empty()) dialog.setDefaultSuffix(cp1252::ToQString(defaultExtension_).toLower());
  if (!defaultName_.empty() && !HasWildcard(defaultName_))
    dialog.selectFile(ProposedName(mode_, defaultName_, defaultExtension_, dialog.directory()));
  for (;;) {
    ArrowCursorWhileShown arrow;
    const int result = Runner() ? Runner()(dialog) : dialog.exec();
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return IDCANCEL;
    std::string chosen;
    if (!cp1252::FromQString(dialog.selectedFiles().first(), chosen)) {
      MessageBox("Il nome del file contiene caratteri che il programma non può usare.\n\nSceglierne un altro.",
                 MB_ICONEXCLAMATION);
    } else if (Writable(mode_, chosen)) {
      path_ = chosen;
      return IDOK;
    }
  }
}

}  // namespace ui
