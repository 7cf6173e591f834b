#include "common/NewFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace {

constexpr std::string_view kHiddenSuffix = ".quendo.part";

bool IsHiddenTemporary(std::string_view name) {
  return name.size() > kHiddenSuffix.size() + 1 && name.front() == '.' &&
         name.substr(name.size() - kHiddenSuffix.size()) == kHiddenSuffix;
}

}  // namespace

int CreateNewFile(const std::string& native) {
  if (native.empty()) {
    errno = ENOENT;
    return -1;
  }
  // O_EXCL refuses any name that exists, a link included (never followed): what stands there is
  // removed and the creation tried again. Someone who puts a name back each time wins nothing.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
    struct stat st;
    if (::lstat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      return -1;
    }
    if (::unlink(native.c_str()) != 0 && errno != ENOENT) return -1;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

void SyncFolder(const std::string& nativeFolder) {
  const int fd = ::open(nativeFolder.empty() ? "." : nativeFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // some file systems cannot: the renames are made all the same
  ::close(fd);
}

std::string HiddenTemporaryOf(const std::string& nativeFolder, const std::string& nativeName) {
  return nativeFolder + (!nativeFolder.empty() && nativeFolder.back() == '/' ? "." : "/.") + nativeName +
         std::string(kHiddenSuffix);
}

int CreateHiddenTemporary(const std::string& nativeFolder, const std::string& nativeName) {
  // The folder was swept of what killed runs left: a temporary still there under this name is
  // held by a writer at work on the same file (another user, another copy of the program): it is
  // neither removed nor shared, and this write fails instead.
  const int fd = ::open(HiddenTemporaryOf(nativeFolder, nativeName).c_str(),
                        O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  ::flock(fd, LOCK_EX | LOCK_NB);  // a file system without locks: still written
  return fd;
}

bool StillNamed(int fd, const std::string& nativePath) {
  struct stat held, named;
  return ::fstat(fd, &held) == 0 && ::lstat(nativePath.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

void RemoveLeftTemporaries(const std::string& nativeFolder) {
  DIR* dir = ::opendir(nativeFolder.empty() ? "." : nativeFolder.c_str());
  if (!dir) return;
  const int dirFd = ::dirfd(dir);
  while (const dirent* e = ::readdir(dir)) {
    if (!IsHiddenTemporary(e->d_name)) continue;
    struct stat st;
    if (::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISLNK(st.st_mode)) {
      ::unlinkat(dirFd, e->d_name, 0);  // never one of ours
      continue;
    }
    if (!S_ISREG(st.st_mode)) continue;
    // A writer still running holds its temporary locked.
    const int fd = ::openat(dirFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlinkat(dirFd, e->d_name, 0);
    ::close(fd);
  }
  ::closedir(dir);
}

void SplitNativePath(const std::string& native, std::string& folder, std::string& name) {
  const size_t slash = native.find_last_of('/');
  folder = slash == std::string::npos ? std::string(".") : native.substr(0, slash ? slash : 1);
  name = slash == std::string::npos ? native : native.substr(slash + 1);
}
