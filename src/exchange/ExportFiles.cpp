#include "exchange/ExportFiles.h"

#include "common/Cp1252.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <cstdio>

namespace {

std::string NativePath(const std::string& cp1252Path) {
  return QFile::encodeName(cp1252::ToQString(cp1252Path)).toStdString();
}

enum class Found { None, File, Folder };

Found Lookup(const std::string& native) {
  struct stat st;
  if (::lstat(native.c_str(), &st) != 0) return Found::None;
  return S_ISDIR(st.st_mode) ? Found::Folder : Found::File;
}

}  // namespace

ExportFileSet::ExportFileSet(std::string folder) : folder_(std::move(folder)) {}

ExportFileSet::~ExportFileSet() { Abort(); }

std::string ExportFileSet::PathOf(const std::string& fileName) const {
  if (folder_.empty()) return fileName;
  const char last = folder_.back();
  return folder_ + (last == '/' || last == '\\' ? "" : "/") + fileName;
}

void ExportFileSet::Fail(const std::string& fileName) {
  if (!failed_) failedPath_ = PathOf(fileName);
  failed_ = true;
}

bool ExportFileSet::Begin(const std::string& fileName) {
  if (failed_ || committed_ || fd_ >= 0) {
    Fail(fileName);
    return false;
  }
  Entry e{fileName, NativePath(PathOf(fileName) + kTemporarySuffix), NativePath(PathOf(fileName))};
  fd_ = ::open(e.temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    Fail(fileName);
    return false;
  }
  entries_.push_back(std::move(e));
  buffer_.clear();
  buffer_.reserve(kBufferSize);
  fileSize_ = 0;
  writeFailed_ = false;
  return true;
}

bool ExportFileSet::Flush() {
  size_t done = 0;
  while (done < buffer_.size() && !writeFailed_) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      writeFailed_ = true;
    else
      done += static_cast<size_t>(n);
  }
#ifdef SYNC_FILE_RANGE_WRITE
  // The disk starts on this block now, while the next one is formatted: the flush that ends the
  // file then waits only for its tail. Only a hint: Finish still flushes everything.
  if (!writeFailed_ && done > 0)
    ::sync_file_range(fd_, static_cast<off_t>(fileSize_), static_cast<off_t>(done), SYNC_FILE_RANGE_WRITE);
#endif
  fileSize_ += done;
  buffer_.clear();
  return !writeFailed_;
}

void ExportFileSet::Write(std::string_view bytes) {
  if (fd_ < 0 || writeFailed_) return;
  if (buffer_.size() + bytes.size() > kBufferSize) Flush();
  buffer_.append(bytes);
}

bool ExportFileSet::Finish() {
  if (fd_ < 0) return false;
  bool ok = Flush();
  // A full disk may show only here: the data must be on it before the file is put in place.
  if (ok && ::fsync(fd_) != 0) ok = false;
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  if (!ok) Fail(entries_.back().name);
  return ok;
}

bool ExportFileSet::Commit() {
  if (fd_ >= 0) Finish();
  if (failed_ || committed_) return false;
  // Moves previous files aside, then the new ones in; on the first failure undoes what was done.
  std::vector<bool> movedAside(entries_.size(), false);
  size_t placed = 0;
  bool ok = true;
  for (; placed < entries_.size(); ++placed) {
    const Entry& e = entries_[placed];
    const std::string previous = e.final + kPreviousSuffix;
    const Found found = Lookup(e.final);
    if (found == Found::Folder) {  // a folder is never replaced by a file
      ok = false;
      break;
    }
    if (found == Found::File) {
      if (::rename(e.final.c_str(), previous.c_str()) != 0) {
        ok = false;
        break;
      }
      movedAside[placed] = true;
    }
    if (::rename(e.temporary.c_str(), e.final.c_str()) != 0) {
      ok = false;
      break;
    }
  }
  if (!ok) {
    Fail(entries_[placed].name);
    // The file that failed: its previous content goes back.
    if (movedAside[placed])
      ::rename((entries_[placed].final + kPreviousSuffix).c_str(), entries_[placed].final.c_str());
    for (size_t k = placed; k-- > 0;) {
      const Entry& e = entries_[k];
      if (movedAside[k]) {
        ::rename((e.final + kPreviousSuffix).c_str(), e.final.c_str());
      } else {
        ::unlink(e.final.c_str());
      }
    }
    Abort();
    return false;
  }
  for (size_t k = 0; k < entries_.size(); ++k) {
    if (movedAside[k]) ::unlink((entries_[k].final + kPreviousSuffix).c_str());
    written_.push_back(PathOf(entries_[k].name));
  }
  entries_.clear();
  committed_ = true;
  return true;
}

void ExportFileSet::Abort() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  for (const Entry& e : entries_) ::unlink(e.temporary.c_str());
  entries_.clear();
}
