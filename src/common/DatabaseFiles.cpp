#include "common/DatabaseFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// `identity`: the file's, as lstat found it. Another file found at the name once opened (one put
// there since, perhaps a link to a file held open) is never closed again, since closing it would
// drop this process's locks on it: its descriptor is kept open for the process's life, a leak of
// one descriptor for each such rare race, and the file is taken for a database.
bool BeginsAsDatabase(const std::string& path, const FileIdentity& identity, const std::vector<FileIdentity>& kept) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0) return true;  // kept open: what it is cannot be told
  const FileIdentity opened(st.st_dev, st.st_ino);
  if (opened != identity || std::find(kept.begin(), kept.end(), opened) != kept.end()) return true;
  char head[sizeof kDatabaseHeading];
  size_t done = 0;
  while (done < sizeof head) {
    const ssize_t n = ::read(fd, head + done, sizeof head - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  return done == sizeof head && std::memcmp(head, kDatabaseHeading, sizeof head) == 0;
}

}  // namespace

DatabaseFiles::DatabaseFiles(std::string database, const char* heldFolder) : database_(std::move(database)) {
  struct stat st;
  if (!database_.empty() && ::stat(database_.c_str(), &st) == 0) kept_.emplace_back(st.st_dev, st.st_ino);
  DIR* fds = ::opendir(heldFolder);
  if (!fds) {
    // The files held open cannot be known: none is opened here.
    allKept_ = true;
    return;
  }
  while (const dirent* entry = ::readdir(fds)) {
    const int fd = std::atoi(entry->d_name);
    if (entry->d_name[0] != '.' && fd != ::dirfd(fds) && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
      kept_.emplace_back(st.st_dev, st.st_ino);
  }
  ::closedir(fds);
}

bool DatabaseFiles::IsDatabase(const std::string& path) const {
  if (!database_.empty() && path == database_) return true;
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // Held open: never opened again.
  const FileIdentity identity(st.st_dev, st.st_ino);
  if (allKept_ || std::find(kept_.begin(), kept_.end(), identity) != kept_.end()) return true;
  return BeginsAsDatabase(path, identity, kept_);
}

bool DatabaseFiles::Holds(const std::string& path) const {
  if (IsDatabase(path)) return true;
  for (const char* companion : kDatabaseCompanions) {
    const size_t length = std::strlen(companion);
    if (path.size() > length && path.compare(path.size() - length, length, companion) == 0 &&
        IsDatabase(path.substr(0, path.size() - length)))
      return true;
  }
  return false;
}
