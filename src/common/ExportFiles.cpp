#include "common/ExportFiles.h"

#include "common/WholeFile.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>

ExportFileSet::ExportFileSet(std::string folder, std::vector<std::string> names, PathText text)
    : folder_(std::move(folder), {}, text), names_(std::move(names)) {}

ExportFileSet::~ExportFileSet() { Abort(); }

void ExportFileSet::Fail(const std::string& fileName) {
  if (!failed_) failedPath_ = PathOf(fileName);
  failed_ = true;
}

bool ExportFileSet::Watch(bool underWay) {
  if (underWay == watched_) return true;
  if (watch_ && !watch_.note(folder_.Folder(), underWay ? JournalMark(WritingJournal()) : std::string()) && underWay)
    return false;
  watched_ = underWay;
  return true;
}

std::string ExportFileSet::FailureText() const {
  if (!notNoted_) return CannotCreateText(failedPath_);
  return "Impossibile annotare nelle impostazioni del programma la cartella\n\n" + folder_.Folder() +
         "\n\nNessun file della cartella è stato cambiato.";
}

std::string ExportFileSet::TemporaryOf(const std::string& fileName) const {
  if (Journaled()) return folder_.NativeOf(fileName + kTemporarySuffix);
  std::string folder, name;
  SplitNativePath(folder_.NativeOf(fileName), folder, name);
  return HiddenTemporaryOf(folder, name);
}

SetJournal ExportFileSet::WritingJournal() const {
  SetJournal journal;
  journal.key = key_;
  // The files that go come first: once every new file is in place they are all aside.
  for (const std::string& name : gone_) journal.files.push_back({name, false, true});
  for (const std::string& name : names_) journal.files.push_back({name, false});
  return journal;
}

bool ExportFileSet::StartJournal() {
  // The folder must be whole: the journal of an earlier set is its only record of what to do.
  if (folder_.Lookup(SetFolder::kJournalName) != SetFolder::Kind::None) return false;
  key_ = NewJournalKey();
  // Without its note, a journal left by a kill would not be obeyed at the next start.
  if (!Watch(true)) {
    notNoted_ = true;
    return false;
  }
  if (!folder_.WriteJournal(WritingJournal())) {
    Watch(false);
    return false;
  }
  journalWritten_ = true;
  return true;
}

bool ExportFileSet::Begin(const std::string& fileName) {
  if (names_.empty()) names_.push_back(fileName);
  const bool known = std::find(names_.begin(), names_.end(), fileName) != names_.end() &&
                     std::find(begun_.begin(), begun_.end(), fileName) == begun_.end();
  if (failed_ || committed_ || fd_ >= 0 || !known) {
    Fail(fileName);
    return false;
  }
  if (begun_.empty()) {
    // No name of the set may be held by what is not a file (a folder, a device, a pipe): the set
    // is refused before anything is written.
    for (const std::string& name : names_)
      if (HeldByNoFile(folder_.NativeOf(name), PathText::Native)) {
        Fail(name);
        return false;
      }
    // Before the set's first change to its folder, whatever writes it: the hidden temporaries
    // that killed writers left there go.
    std::string folder, name;
    SplitNativePath(folder_.NativeOf(fileName), folder, name);
    RemoveLeftTemporaries(folder);
  }
  if (Journaled() && !journalWritten_ && !StartJournal()) {
    Fail(fileName);
    return false;
  }
  if (Journaled()) {
    fd_ = CreateNewFile(TemporaryOf(fileName));
  } else {
    std::string folder, name;
    SplitNativePath(folder_.NativeOf(fileName), folder, name);
    fd_ = CreateHiddenTemporary(folder, name);
  }
  if (fd_ < 0) {
    Fail(fileName);
    return false;
  }
  begun_.push_back(fileName);
  buffer_.clear();
  buffer_.reserve(kBufferSize);
  fileSize_ = 0;
  writeFailed_ = false;
  return true;
}

bool ExportFileSet::Flush() {
  if (!writeFailed_ && !WriteAll(fd_, buffer_)) writeFailed_ = true;
  const size_t done = writeFailed_ ? 0 : buffer_.size();
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
  // A full disk may show only here: the data must be on it before the file is put in place (for a
  // set synced together, Commit puts it there).
  if (ok && !SyncedTogether() && ::fsync(fd_) != 0) ok = false;
  if (ok && !Journaled()) {
    holdFd_ = fd_;  // the hidden temporary stays locked until it is put in place
  } else if (::close(fd_) != 0) {
    ok = false;
  }
  fd_ = -1;
  if (!ok) {
    Fail(begun_.back());
    return false;
  }
  folder_.Step("written " + begun_.back() + kTemporarySuffix);
  return true;
}

bool ExportFileSet::Commit() {
  if (fd_ >= 0) Finish();
  if (failed_ || committed_) return false;
  for (const std::string& name : names_)
    if (std::find(begun_.begin(), begun_.end(), name) == begun_.end()) {
      Fail(name);  // a file of the set was never written
      return false;
    }
  if (!(Journaled() ? CommitJournaled() : CommitOne())) return false;
  for (const std::string& name : names_) written_.push_back(PathOf(name));
  begun_.clear();
  committed_ = true;
  return true;
}

bool ExportFileSet::CommitOne() {
  const std::string& name = names_.front();
  // Only a file is replaced by a file: never a folder, a device or a pipe that took the name
  // meanwhile. Renamed while still held, so that no other writer takes it for one left by a killed
  // run.
  const std::string temporary = TemporaryOf(name);
  const bool placed = !HeldByNoFile(folder_.NativeOf(name), PathText::Native) &&
                      (holdFd_ < 0 || StillNamed(holdFd_, temporary)) &&
                      ::rename(temporary.c_str(), folder_.NativeOf(name).c_str()) == 0;
  if (holdFd_ >= 0) ::close(holdFd_);
  holdFd_ = -1;
  if (!placed) {
    Fail(name);
    return false;
  }
  folder_.Step("renamed " + name);
  folder_.Sync();
  return true;
}

bool ExportFileSet::CommitJournaled() {
  const SetJournal writing = WritingJournal();
  SetJournal journal = writing;
  std::string failedName;
  // Every file's data on the disk before any is put in place.
  if (SyncedTogether() && !folder_.SyncFileSystem()) {
    Fail(names_.back());
    return false;
  }
  // Only a file is replaced by a file (never a folder, a device or a pipe): found before anything
  // moves.
  for (const std::string& name : names_)
    if (HeldByNoFile(folder_.NativeOf(name), PathText::Native)) {
      Fail(name);
      return false;
    }
  if (!SettlePrevious(folder_, journal, failedName)) {
    Fail(failedName);
    return false;
  }
  for (JournalEntry& e : journal.files) e.previous = folder_.Exists(e.name);
  journal.phase = SetPhase::Replacing;
  if (!folder_.RewriteJournal(watch_, writing, journal)) {
    Fail(SetFolder::kJournalName);
    return false;
  }
  if (!RollForward(folder_, journal, failedName)) {
    Fail(failedName);
    // The previous files come back; should that fail too, the journal stays for the next run.
    SetJournal restoring = journal;
    restoring.phase = SetPhase::Restoring;
    std::string ignored;
    if (folder_.RewriteJournal(watch_, journal, restoring) && RollBack(folder_, restoring, ignored) &&
        folder_.RemoveJournal()) {
      begun_.clear();
      journalWritten_ = false;
      Watch(false);
    } else {
      journalStays_ = true;
    }
    return false;
  }
  // The new set is whole: the previous files and the journal go. Should one not go, the next run
  // removes it (the journal says every new file is in place).
  if (DropPrevious(folder_, journal, failedName) && folder_.RemoveJournal()) {
    folder_.Sync();
    journalWritten_ = false;
    Watch(false);
  } else {
    journalStays_ = true;
  }
  return true;
}

void ExportFileSet::Abort() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  // A journal that stays may need the temporaries to finish putting the set in place.
  if (journalStays_) return;
  if (holdFd_ >= 0) ::close(holdFd_);
  holdFd_ = -1;
  for (const std::string& name : begun_) ::unlink(TemporaryOf(name).c_str());
  begun_.clear();
  if (journalWritten_) {
    // Only the temporaries were touched (or the previous files are back): the journal goes.
    if (folder_.RemoveJournal()) {
      journalWritten_ = false;
      Watch(false);
    } else {
      journalStays_ = true;
    }
  }
}
