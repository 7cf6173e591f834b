#include "common/WholeFile.h"

#include "common/Cp1252.h"
#include "common/NewFile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cstdio>

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  const std::string target = QFile::encodeName(cp1252::ToQString(path)).toStdString();
  if (target.empty() || target.back() == '/') return false;
  std::string folder, name;
  SplitNativePath(target, folder, name);
  // A hidden name of its own in the same folder, so that the rename never crosses file systems.
  const std::string temporary = HiddenTemporaryOf(folder, name);
  const int fd = CreateHiddenTemporary(folder, name);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  struct stat st;
  // A folder is never replaced by a file.
  if (ok && ::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ok = false;
  // Renamed while still held, so that no other writer takes it for one left by a killed run.
  const bool ours = StillNamed(fd, temporary);
  if (ok && (!ours || std::rename(temporary.c_str(), target.c_str()) != 0)) ok = false;
  ::close(fd);  // everything is on the disk already
  if (!ok) {
    if (ours) ::unlink(temporary.c_str());  // never another writer's
    return false;
  }
  SyncFolder(folder);
  return true;
}
