#pragma once
// The state of a set of files being put in place, kept on the disk beside them, and the moves that
// bring the folder from one whole set to the other.
//
// While a set is written, its journal ("QUENDO_ESPORTAZIONE_IN_CORSO", in the set's folder) names
// its files, and the files it removes; once every new file is complete on the disk the journal says so, and for each
// file whether a previous one was there. Only then are the previous files moved aside ("X.old") and the new ones moved
// in ("X.part" -> "X"); the journal goes last. A program killed at any point leaves a journal that tells what to do
// with the folder: while the files were written, drop the temporaries (the previous set is untouched); once they were
// complete, finish moving them in; when that cannot be done, bring the previous files back. Each move checks what is
// already done, so a run of these moves that is itself cut short can be run again. The journal is written whole (a
// temporary, flushed, then renamed over it).
//
// A journal carries a key drawn at random when its set begins, which the interface notes with the
// folder (FolderWatch) together with the fingerprint of the whole journal, phase and every file
// line (JournalMark); each time the journal is written anew, the note first vouches for the journal
// on the disk and the one to come, then for the new one alone. A journal is obeyed only as far as
// the note vouches for it, so that a journal that came from elsewhere (a received archive, another
// user of a shared folder), or one of ours edited, never makes the program move or remove a file
// its set did not write.

#include "common/NewFile.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Told after each change on the disk, with what was done ("renamed RT_HDORA.TXT.part"): tests stop
// the program there.
using FileSetStep = std::function<void(const std::string& done)>;

enum class SetPhase {
  Writing,    // the new files are being written; the previous files are untouched
  Replacing,  // every new file is complete: they go in place of the previous ones
  Restoring,  // putting them in place failed: the previous files come back
};

struct JournalEntry {
  std::string name;       // "RT_HDORA.TXT"
  bool previous = false;  // Replacing and Restoring: a previous file of that name was there
  // A file the set removes (it has no new file): moved aside with the previous files, it goes or
  // comes back with them. Such files come first in a journal.
  bool gone = false;
};

struct SetJournal {
  std::string key;  // 32 hexadecimal digits
  SetPhase phase = SetPhase::Writing;
  std::vector<JournalEntry> files;
};

// A new key for a set's journal.
std::string NewJournalKey();
// True when `text` is such a key (32 hexadecimal digits).
bool IsJournalKey(const std::string& text);
// What the interface notes for a set's folder: the journal's key, "/" and the fingerprint of the
// journal's text (32 hexadecimal digits).
std::string JournalMark(const SetJournal& journal);
// The note while `journal` on the disk is written anew as `next`: either one is vouched for.
std::string JournalMark(const SetJournal& journal, const SetJournal& next);
// True when the note `mark` (as JournalMark gives it) vouches for the whole of `journal`.
bool MarkVouches(const std::string& mark, const SetJournal& journal);
// The note an earlier version took, read and never written: the key followed by the fingerprint
// of the names alone (64 hexadecimal digits), or, earlier still, the key alone.
std::string EarlierJournalMark(const std::string& key, const std::vector<std::string>& names);
std::vector<std::string> NamesOf(const SetJournal& journal);

// The interface's note of the folders where a set is under way, kept where a start after a kill
// finds it (the settings), with the mark of the journal the program wrote in each one.
struct FolderWatch {
  // Told with the journal's mark (JournalMark) before a set begins to change its folder, and
  // before and after each time its journal is written anew; with an empty one once the folder
  // holds one whole set again. False when the note could not be stored: a set is then not begun,
  // and a journal is not written anew.
  std::function<bool(const std::string& folder, const std::string& key)> note;
  // The mark noted for the folder; empty when none.
  std::function<std::string(const std::string& folder)> keyOf;
  // The sets whose names their writers fix, each in the order of its journal (the region's
  // export, the RT files of the IVU conversion): all a note of the key alone can vouch for. A
  // set whose names the user chooses, or the database gives, is not among them.
  std::vector<std::vector<std::string>> fixedSets;
  explicit operator bool() const { return static_cast<bool>(note); }
};

// How the folder and the names of a set are given: in the program's Windows-1252 (the files it
// names itself), or already native (a path the file dialog gave, which Windows-1252 may not hold).
enum class PathText { Windows1252, Native };

// The folder of a set and every change made in it: native paths, one system call a change, each
// told to the step hook. Names are Windows-1252 unless the folder is given as native.
class SetFolder {
 public:
  SetFolder(std::string folder, FileSetStep step, PathText text = PathText::Windows1252)
      : folder_(std::move(folder)), step_(std::move(step)), text_(text) {}

  const std::string& Folder() const { return folder_; }
  void SetStep(FileSetStep step) { step_ = std::move(step); }

  static constexpr const char* kJournalName = "QUENDO_ESPORTAZIONE_IN_CORSO";
  static constexpr const char* kTemporarySuffix = ".part";
  static constexpr const char* kPreviousSuffix = ".old";

  // The path of a file of the folder: folder, separator, name (as the folder is given).
  std::string PathOf(const std::string& name) const;
  // Its native path, for the system calls.
  std::string NativeOf(const std::string& name) const;

  enum class Kind { None, File, Folder, Unknown };  // Unknown: the folder cannot be searched
  Kind Lookup(const std::string& name) const;
  bool Exists(const std::string& name) const { return Lookup(name) != Kind::None; }

  // Each is one change, told to the step hook once done. Removing what is not there succeeds.
  bool Rename(const std::string& from, const std::string& to);
  bool Remove(const std::string& name);
  // Makes the renames so far last through a loss of power (where the file system can).
  void Sync() const;
  // Puts everything written on the folder's file system on the disk at once, the files' data
  // included; false when a write could not be made (a full disk, an error of the device).
  bool SyncFileSystem() const;

  // The journal: written whole, read back, removed. Foreign: not a journal this program writes
  // (no key on its second line, or a name of a file that is not a plain name of this folder).
  // Damaged: it carries a key (which is read), but its heading or a line after the key is not the
  // program's, or a line of it ends in CR LF, as none of the program's does.
  enum class Read { Found, None, Unreadable, Foreign, Damaged };
  Read ReadJournal(SetJournal& journal) const;
  bool WriteJournal(const SetJournal& journal);
  // Writes `next` in place of the journal `now` on the disk, the watch (when there is one) told
  // first that either is the program's, then that `next` is. False when the note or the journal
  // could not be written: the journal on the disk is still `now`, and still vouched for.
  bool RewriteJournal(const FolderWatch& watch, const SetJournal& now, const SetJournal& next);
  bool RemoveJournal() { return Remove(std::string(kJournalName) + kTemporarySuffix) && Remove(kJournalName); }

  // Tells the step hook of a change made by the caller.
  void Step(const std::string& done) {
    if (step_) step_(done);
  }

 private:
  std::string NativeFolder() const;

  std::string folder_;
  FileSetStep step_;
  PathText text_;
};

// The new files in place of the previous ones, a previous file moved aside first (the journal
// says Replacing). What is done already is skipped. False, naming the file, when one cannot be put
// in place.
bool RollForward(SetFolder& folder, const SetJournal& journal, std::string& failedName);
// Before a set is put in place: a previous file that a run without journal moved aside and left
// is brought back when its file is missing, and removed otherwise. False, naming the file, when
// one cannot be.
bool SettlePrevious(SetFolder& folder, const SetJournal& journal, std::string& failedName);
// After RollForward: the previous files moved aside are removed.
bool DropPrevious(SetFolder& folder, const SetJournal& journal, std::string& failedName);
// Writing: the temporaries are removed, and the previous files settled as by SettlePrevious.
// Replacing or Restoring (the journal must say Restoring before the first move back): the previous
// files come back, the new ones and the temporaries are removed. False, naming the file, when one
// cannot be brought back or removed.
bool RollBack(SetFolder& folder, const SetJournal& journal, std::string& failedName);
