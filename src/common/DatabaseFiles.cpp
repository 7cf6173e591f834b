#include "common/DatabaseFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The companions of a database, named by its name and one of these.
constexpr const char* kCompanions[] = {"-wal", "-shm", "-journal"};

// Every database file begins with this text and its terminating zero.
constexpr char kDatabaseHeading[] = "SQLite format 3";

bool BeginsAsDatabase(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
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

DatabaseFiles::DatabaseFiles(std::string database) : database_(std::move(database)) {
  struct stat st;
  if (!database_.empty() && ::stat(database_.c_str(), &st) == 0) kept_.emplace_back(st.st_dev, st.st_ino);
  DIR* fds = ::opendir("/proc/self/fd");
  if (!fds) return;
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
  if (std::find(kept_.begin(), kept_.end(), std::make_pair(st.st_dev, st.st_ino)) != kept_.end()) return true;
  return BeginsAsDatabase(path);
}

bool DatabaseFiles::Holds(const std::string& path) const {
  if (IsDatabase(path)) return true;
  for (const char* companion : kCompanions) {
    const size_t length = std::strlen(companion);
    if (path.size() > length && path.compare(path.size() - length, length, companion) == 0 &&
        IsDatabase(path.substr(0, path.size() - length)))
      return true;
  }
  return false;
}
