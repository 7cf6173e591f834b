#include "common/WholeFile.h"

#include "common/Cp1252.h"
#include "common/ExportFiles.h"
#include "common/NewFile.h"

#include <sys/stat.h>
#include <QFile>

namespace {

// The file at `path` as a set of one file, its content written by `write`.
bool WriteOneFile(const std::string& path, const std::function<void(ExportFileSet&)>& write) {
  std::string folder, name;
  SplitNativePath(path, folder, name);
  if (name.empty()) return false;
  ExportFileSet set(folder);
  if (!set.Begin(name)) return false;
  write(set);
  return set.Finish() && set.Commit();
}

}  // namespace

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  return WriteOneFile(path, [bytes](ExportFileSet& set) { set.Write(bytes); });
}

bool WriteWholeLines(const std::string& path, const std::function<void(const LineSink&)>& produce) {
  return WriteOneFile(
      path, [&produce](ExportFileSet& set) { produce([&set](std::string_view line) { set.WriteLine(line); }); });
}

bool HeldByNoFile(const std::string& path, PathText text) {
  const std::string native = text == PathText::Native ? path : QFile::encodeName(cp1252::ToQString(path)).toStdString();
  struct stat st;
  if (native.empty() || ::lstat(native.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return false;
  if (!S_ISLNK(st.st_mode)) return true;
  return ::stat(native.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

std::string NotAFileText(const std::string& path) { return path + "\n\nnon è un file: scegliere il nome di un file."; }

std::string CannotCreateText(const std::string& path) {
  return HeldByNoFile(path) ? NotAFileText(path) : "Impossibile creare\n\n" + path;
}

Outcome SaveWholeFile(const std::string& path, std::string_view bytes, NoticeIcon icon) {
  Outcome saved;
  if (WriteWholeFile(path, bytes))
    saved.Succeed();
  else
    saved.Fail(CannotCreateText(path), icon, path);
  return saved;
}
