#include "common/WholeFile.h"

#include "common/ExportFiles.h"
#include "common/NewFile.h"

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

std::string CannotCreateText(const std::string& path) { return "Impossibile creare\n\n" + path; }

Outcome SaveWholeFile(const std::string& path, std::string_view bytes, NoticeIcon icon) {
  Outcome saved;
  if (WriteWholeFile(path, bytes))
    saved.Succeed();
  else
    saved.Fail(CannotCreateText(path), icon, path);
  return saved;
}
