#pragma once
// A disk that fills up: while a FullDisk lives, every file the engine writes (databases, their
// journals and logs) goes through a file layer that refuses the writes past a budget of bytes
// written in all, as the engine reports a full disk (SQLITE_FULL). It counts what was written, so
// that a test can first measure a piece of work, then give it less room at chosen points; or
// kill the process (SIGKILL) as it is about to make a chosen write, as a power cut would leave it.

#include <signal.h>
#include <sqlite3.h>

#include <cstring>
#include <mutex>
#include <vector>

class FullDisk {
 public:
  // `budget` < 0: room without end, only counted.
  // `killAt` > 0: the process is killed at its killAt-th write.
  explicit FullDisk(long long budget = -1, long long killAt = 0) {
    base_ = sqlite3_vfs_find(nullptr);
    budget_ = budget;
    written_ = writes_ = 0;
    killAt_ = killAt;
    vfs_ = *base_;
    vfs_.zName = "quendo-disco-pieno";
    vfs_.pNext = nullptr;
    vfs_.xOpen = &Open;
    sqlite3_vfs_register(&vfs_, 1);
  }
  ~FullDisk() {
    sqlite3_vfs_unregister(&vfs_);
    sqlite3_vfs_register(base_, 1);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  // The bytes written through the layer so far (those refused not counted).
  static long long Written() { return written_; }
  // The writes made through the layer so far.
  static long long Writes() { return writes_; }

 private:
  // The methods of a kind of file as the engine's layer gave them, and the same with the write
  // counted and refused past the budget.
  struct Methods {
    const sqlite3_io_methods* given;
    sqlite3_io_methods counted;
  };

  static int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* out) {
    const int rc = base_->xOpen(base_, name, file, flags, out);
    if (rc != SQLITE_OK || !file->pMethods) return rc;
    const std::lock_guard<std::mutex> hold(lock_);
    for (const Methods& m : kinds_)
      if (m.given == file->pMethods) {
        file->pMethods = &m.counted;
        return rc;
      }
    kinds_.reserve(16);  // a few kinds of file at most: the addresses handed out stay put
    if (kinds_.size() == kinds_.capacity()) return rc;
    Methods& m = kinds_.emplace_back(Methods{file->pMethods, *file->pMethods});
    m.counted.xWrite = &Write;
    file->pMethods = &m.counted;
    return rc;
  }

  static int Write(sqlite3_file* file, const void* bytes, int amount, sqlite3_int64 offset) {
    const sqlite3_io_methods* given = nullptr;
    {
      const std::lock_guard<std::mutex> hold(lock_);
      for (const Methods& m : kinds_)
        if (&m.counted == file->pMethods) given = m.given;
      if (++writes_ == killAt_) ::raise(SIGKILL);
      if (budget_ >= 0 && written_ + amount > budget_) return SQLITE_FULL;
      written_ += amount;
    }
    return given->xWrite(file, bytes, amount, offset);
  }

  inline static sqlite3_vfs* base_ = nullptr;
  inline static sqlite3_vfs vfs_{};
  inline static long long budget_ = -1, written_ = 0, writes_ = 0, killAt_ = 0;
  inline static std::mutex lock_;
  inline static std::vector<Methods> kinds_;
};
