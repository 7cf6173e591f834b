#include "common/WholeFile.h"

#include "common/Cp1252.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

std::string Native(const std::string& path) { return QFile::encodeName(cp1252::ToQString(path)).toStdString(); }

bool WriteEvery(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  const std::string target = Native(path);
  if (target.empty() || target.back() == '/') return false;
  const size_t slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash ? slash : 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  // A hidden name of its own in the same folder, so that the rename never crosses file systems.
  std::string pattern = folder + "/." + name + "-XXXXXX";
  std::vector<char> temporary(pattern.begin(), pattern.end());
  temporary.push_back('\0');
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  // The permissions of any new file of the user, not the private ones of a temporary.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  bool ok = ::fchmod(fd, 0666 & ~mask) == 0;
  ok = ok && WriteEvery(fd, bytes);
  ok = ok && ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  struct stat st;
  // A folder is never replaced by a file.
  if (ok && ::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ok = false;
  if (ok && std::rename(temporary.data(), target.c_str()) != 0) ok = false;
  if (!ok) {
    ::unlink(temporary.data());
    return false;
  }
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}
