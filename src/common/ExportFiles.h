#pragma once
// The one way the program writes a file or a set of files whole: every writer goes through it
// (the region's exports, the conversions' shapefile sets, the text reports through
// common/WholeFile, the printed PDF). Each file is first written whole to a temporary beside its
// final name ("RT_HDORA.TXT.part"); only when every file of the set is complete and flushed to
// the disk are they put in place. A file that cannot be created or written, at any point, leaves
// the folder as it was: the temporaries are removed and the files that were there before keep
// their content.
//
// A set of several files keeps its journal in the folder (ExportJournal) from its first file to
// the end: a program killed at any point leaves the folder in a state that the next set written
// into it, or the next start (RecoverExportFolder), brings back to one whole set, the previous one
// or the new one. Such a folder must be in order before a new set is begun there. A set of one
// file needs no journal: its file is put in place by one rename.
//
// Only a file is replaced: a name held by a folder, a device, a pipe or a socket (HeldByNoFile,
// common/WholeFile) refuses the set at its first Begin, before anything is written, and again
// when the files are put in place.
//
// Every temporary is created new (common/NewFile): a file or a link found under its name is
// removed, never written through. A set of one file writes a hidden temporary. Every set, of one
// file or several, first removes from its folder the hidden temporaries that killed runs left.
//
// The folder watch (FolderWatch) is told the journal's mark before a set begins to change its
// folder and whenever the journal is written anew, and an empty one once the folder holds one
// whole set again; a folder left not whole (a failure while putting the previous files back)
// stays noted. A set whose folder cannot be noted is not begun.
//
// Lines are written as the program's text files are: the bytes as given (Windows-1252), each
// line ended by CR LF.

#include "common/ExportJournal.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class ExportFileSet {
 public:
  // `folder` is Windows-1252 (or native, as `text` says), without the final separator; `names`
  // are the files of the set, in the order they are put in place. Without names, the set is the
  // one file its Begin names.
  explicit ExportFileSet(std::string folder, std::vector<std::string> names = {},
                         PathText text = PathText::Windows1252);
  // Removes whatever temporaries are left (a set that was not put in place).
  ~ExportFileSet();
  ExportFileSet(const ExportFileSet&) = delete;
  ExportFileSet& operator=(const ExportFileSet&) = delete;

  void SetFolderWatch(const FolderWatch& watch) { watch_ = watch; }
  // Files of the folder that go when the set is put in place, in the same journal: moved aside
  // with the previous files, removed with them, or brought back with them. Given before the first
  // Begin; the set is then journaled, whatever the number of its files.
  void SetGone(std::vector<std::string> names) { gone_ = std::move(names); }
  void SetStepHook(FileSetStep step) { folder_.SetStep(std::move(step)); }

  // Starts the next file of the set (the previous one must be finished). False when its
  // temporary cannot be created, when the name is not one of the set, when the folder holds the
  // journal of an earlier set, or (at the first) when a name of the set is held by no file; the set
  // has then failed.
  bool Begin(const std::string& fileName);
  // Appends to the current file; a failure is remembered and reported by Finish.
  void Write(std::string_view bytes);
  void WriteLine(std::string_view line) {
    if (fd_ >= 0 && !writeFailed_ && buffer_.size() + line.size() + 2 <= kBufferSize) {
      buffer_.append(line).append("\r\n", 2);  // the usual case: room for the whole line
      return;
    }
    Write(line);
    Write("\r\n");
  }
  // The current file's temporary, open for writing and reading: a writer of its own (the printer)
  // writes it through the descriptor's name ("/proc/self/fd/N"), so that nothing put meanwhile
  // under the temporary's name is written, and the caller may read it back before Finish. -1
  // when no file is begun.
  int Descriptor() const { return fd_; }
  // Completes the current file: everything flushed to the disk and closed. False on failure.
  bool Finish();

  // Puts every file in place; each file of the set must have been written. False when one could
  // not be: the folder is then back as it was. A set that has failed is never put in place.
  bool Commit();
  // Drops the temporaries (also done by the destructor).
  void Abort();

  bool Failed() const { return failed_; }
  // Marks the set as failed because of the named file (the first failure is the one named).
  void Fail(const std::string& fileName);
  // The final path (Windows-1252) of the file that failed: the message names it.
  const std::string& FailedPath() const { return failedPath_; }
  // What the user is told of the failure: "Impossibile creare" and that path, or that the folder
  // could not be noted as under way (nothing was written).
  std::string FailureText() const;
  // True when putting the previous files back failed: the folder is not whole, and its journal
  // stays for the next export or start to finish the work.
  bool LeftUnsettled() const { return journalStays_; }
  // The final paths of the files put in place by Commit.
  const std::vector<std::string>& Written() const { return written_; }

  // The path of a file of the set: folder, separator, name.
  std::string PathOf(const std::string& fileName) const { return folder_.PathOf(fileName); }
  static constexpr const char* kTemporarySuffix = SetFolder::kTemporarySuffix;
  static constexpr const char* kPreviousSuffix = SetFolder::kPreviousSuffix;

 private:
  bool Flush();
  bool Journaled() const { return names_.size() > 1 || !gone_.empty(); }
  // The native path of a file's temporary: "X.part" in a journaled set, hidden otherwise.
  std::string TemporaryOf(const std::string& fileName) const;
  // A set of many files (an IVU set has one pair for each line) is put on the disk in one go
  // before its files are put in place, rather than one flush for each file.
  bool SyncedTogether() const { return names_.size() > kSyncedOneByOne; }
  static constexpr size_t kSyncedOneByOne = 32;
  // The journal while the files are written: its key, and every file as new.
  SetJournal WritingJournal() const;
  bool StartJournal();
  bool CommitOne();
  bool CommitJournaled();
  // False when the folder could not be noted as under way.
  bool Watch(bool underWay);
  static constexpr size_t kBufferSize = 1 << 20;

  SetFolder folder_;
  std::vector<std::string> names_;
  std::vector<std::string> gone_;
  std::vector<std::string> begun_;  // the files whose temporaries exist, in order
  FolderWatch watch_;
  int fd_ = -1;
  int holdFd_ = -1;  // a single file's finished temporary, held locked until it is put in place
  std::string buffer_;
  size_t fileSize_ = 0;  // bytes of the current file written so far
  bool writeFailed_ = false;
  bool failed_ = false;
  bool committed_ = false;
  bool journalWritten_ = false;
  bool journalStays_ = false;
  bool watched_ = false;   // the watch was told the folder is under way
  bool notNoted_ = false;  // the watch could not note the folder: nothing was begun
  std::string key_;        // the journal's key
  std::string failedPath_;
  std::vector<std::string> written_;
};
