#include "common/ExportJournal.h"

#include "common/Cp1252.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>

namespace {

// The journal's text: a first line that says what it is, its key, the phase, one line per file
// ("file", or "togli" for one the set removes, then 1 or 0 for a previous file, the name), and
// "fine" last.
constexpr const char* kHeading = "Quendo: esportazione in corso in questa cartella; non eliminare questo file.";
constexpr size_t kLargestJournal = 64 * 1024;

const char* PhaseWord(SetPhase phase) {
  switch (phase) {
    case SetPhase::Writing: return "scrittura";
    case SetPhase::Replacing: return "sostituzione";
    case SetPhase::Restoring: return "ripristino";
  }
  return "";
}

std::string JournalText(const SetJournal& journal) {
  std::string text = std::string(kHeading) + "\nchiave " + journal.key + "\nfase " + PhaseWord(journal.phase) + "\n";
  for (const JournalEntry& e : journal.files)
    text += std::string(e.gone ? "togli " : "file ") + (e.previous ? "1 " : "0 ") + e.name + "\n";
  return text + "fine\n";
}

// A name of a file of the folder: no separator, not the folder itself or its parent, not the
// journal.
bool PlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos && name.rfind(SetFolder::kJournalName, 0) != 0;
}

// Found, Foreign or Damaged (the key read into `journal` all the same).
SetFolder::Read ParseJournal(const std::string& text, SetJournal& journal) {
  std::vector<std::string> lines;
  bool ended = true;  // every line ends, the last one included
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find('\n', start);
    ended = end != std::string::npos;
    lines.push_back(text.substr(start, (ended ? end : text.size()) - start));
    start = ended ? end + 1 : text.size();
  }
  // A line ended by CR LF (the journal copied through a program that changed some or all of them)
  // is never one of this program's: the heading and the key are read without the CR, and the
  // journal is not obeyed.
  bool crlf = false;
  for (size_t k = 0; k < lines.size(); ++k)
    if (!lines[k].empty() && lines[k].back() == '\r') {
      crlf = true;
      if (k < 2) lines[k].pop_back();
    }
  SetJournal read;
  // The key says whose journal it is: one that carries a key is read as this program's, whatever
  // else in it was changed.
  if (lines.size() < 2 || lines[1].rfind("chiave ", 0) != 0 || !IsJournalKey(read.key = lines[1].substr(7)))
    return SetFolder::Read::Foreign;
  journal.key = read.key;
  if (lines[0] != kHeading || crlf || !ended || lines.size() < 4 || lines.back() != "fine")
    return SetFolder::Read::Damaged;
  bool phaseFound = false;
  for (SetPhase phase : {SetPhase::Writing, SetPhase::Replacing, SetPhase::Restoring})
    if (lines[2] == std::string("fase ") + PhaseWord(phase)) read.phase = phase, phaseFound = true;
  if (!phaseFound) return SetFolder::Read::Damaged;
  for (size_t k = 3; k + 1 < lines.size(); ++k) {
    const std::string& l = lines[k];
    const bool gone = l.compare(0, 6, "togli ") == 0;
    const size_t at = gone ? 6 : 5;  // the digit after the word
    if ((!gone && l.compare(0, 5, "file ") != 0) || l.size() < at + 3 || (l[at] != '0' && l[at] != '1') ||
        l[at + 1] != ' ')
      return SetFolder::Read::Damaged;
    JournalEntry e{l.substr(at + 2), l[at] == '1', gone};
    // A name this program never writes was not put there by it.
    if (!PlainName(e.name)) return SetFolder::Read::Foreign;
    read.files.push_back(std::move(e));
  }
  journal = std::move(read);
  return SetFolder::Read::Found;
}

// Writes the whole of `bytes` to a new file and flushes it to the disk.
bool WriteWhole(const std::string& native, const std::string& bytes) {
  const int fd = CreateNewFile(native);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  return ok;
}

std::string Temporary(const std::string& name) { return name + SetFolder::kTemporarySuffix; }
std::string Previous(const std::string& name) { return name + SetFolder::kPreviousSuffix; }

// A previous file that a run without journal moved aside and left: brought back when its file is
// missing (the run was cut short between the two renames), removed otherwise.
bool SettleOne(SetFolder& f, const std::string& name) {
  if (!f.Exists(Previous(name))) return true;
  return f.Exists(name) ? f.Remove(Previous(name)) : f.Rename(Previous(name), name);
}

}  // namespace

std::string NewJournalKey() {
  static const char kDigits[] = "0123456789abcdef";
  std::string key;
  for (int k = 0; k < 4; ++k) {
    quint32 v = QRandomGenerator::system()->generate();
    for (int d = 0; d < 8; ++d, v >>= 4) key.push_back(kDigits[v & 0xF]);
  }
  return key;
}

bool IsJournalKey(const std::string& text) {
  return text.size() == 32 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

namespace {

std::string Fingerprint(const std::string& text) {
  return QCryptographicHash::hash(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())),
                                  QCryptographicHash::Sha256)
      .toHex()
      .left(32)
      .toStdString();
}

}  // namespace

std::string JournalMark(const SetJournal& journal) { return journal.key + "/" + Fingerprint(JournalText(journal)); }

std::string JournalMark(const SetJournal& journal, const SetJournal& next) {
  return JournalMark(journal) + "/" + Fingerprint(JournalText(next));
}

bool MarkVouches(const std::string& mark, const SetJournal& journal) {
  const std::string key = journal.key + "/";
  if (mark.compare(0, key.size(), key) != 0) return false;
  const std::string print = Fingerprint(JournalText(journal));
  for (size_t at = key.size(); at < mark.size(); at += print.size() + 1)
    if (mark.compare(at, print.size(), print) == 0) return true;
  return false;
}

std::string EarlierJournalMark(const std::string& key, const std::vector<std::string>& names) {
  // No name holds a NUL: joined by it, two lists of names never make the same text.
  std::string joined;
  for (const std::string& name : names) joined.append(name).push_back('\0');
  return key + Fingerprint(joined);
}

std::vector<std::string> NamesOf(const SetJournal& journal) {
  std::vector<std::string> names;
  for (const JournalEntry& e : journal.files) names.push_back(e.name);
  return names;
}

std::string SetFolder::PathOf(const std::string& name) const {
  if (folder_.empty()) return name;
  const char last = folder_.back();
  return folder_ + (last == '/' || last == '\\' ? "" : "/") + name;
}

std::string SetFolder::NativeOf(const std::string& name) const {
  if (text_ == PathText::Native) return PathOf(name);
  return QFile::encodeName(cp1252::ToQString(PathOf(name))).toStdString();
}

std::string SetFolder::NativeFolder() const {
  const std::string folder = folder_.empty() ? "." : folder_;
  return text_ == PathText::Native ? folder : QFile::encodeName(cp1252::ToQString(folder)).toStdString();
}

SetFolder::Kind SetFolder::Lookup(const std::string& name) const {
  struct stat st;
  if (::lstat(NativeOf(name).c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? Kind::None : Kind::Unknown;
  return S_ISDIR(st.st_mode) ? Kind::Folder : Kind::File;
}

bool SetFolder::Rename(const std::string& from, const std::string& to) {
  if (::rename(NativeOf(from).c_str(), NativeOf(to).c_str()) != 0) return false;
  Step("renamed " + from + " " + to);
  return true;
}

bool SetFolder::Remove(const std::string& name) {
  if (::unlink(NativeOf(name).c_str()) != 0) {
    // A folder that cannot be written (a read-only disk) refuses even what is not there: what is
    // not there is removed all the same.
    struct stat st;
    return errno == ENOENT || errno == ENOTDIR || (::lstat(NativeOf(name).c_str(), &st) != 0 && errno == ENOENT);
  }
  Step("removed " + name);
  return true;
}

void SetFolder::Sync() const { SyncFolder(NativeFolder()); }

bool SetFolder::SyncFileSystem() const {
  const int fd = ::open(NativeFolder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::syncfs(fd) == 0;
  ::close(fd);
  return ok;
}

SetFolder::Read SetFolder::ReadJournal(SetJournal& journal) const {
  switch (Lookup(kJournalName)) {
    case Kind::None: return Read::None;
    case Kind::File: break;
    default: return Read::Unreadable;
  }
  // A link is never followed, and only a plain file of a journal's size is read.
  const int fd = ::open(NativeOf(kJournalName).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ELOOP ? Read::Foreign : Read::Unreadable;
  struct stat st;
  std::string bytes;
  Read read = Read::Unreadable;
  if (::fstat(fd, &st) == 0) {
    if (!S_ISREG(st.st_mode) || st.st_size > static_cast<off_t>(kLargestJournal)) {
      read = Read::Foreign;
    } else {
      bytes.resize(static_cast<size_t>(st.st_size));
      size_t done = 0;
      while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      if (done == bytes.size()) read = ParseJournal(bytes, journal);
    }
  }
  ::close(fd);
  return read;
}

bool SetFolder::WriteJournal(const SetJournal& journal) {
  const std::string temporary = Temporary(kJournalName);
  if (!WriteWhole(NativeOf(temporary), JournalText(journal))) {
    ::unlink(NativeOf(temporary).c_str());
    return false;
  }
  if (::rename(NativeOf(temporary).c_str(), NativeOf(kJournalName).c_str()) != 0) {
    ::unlink(NativeOf(temporary).c_str());
    return false;
  }
  Sync();
  Step(std::string("journal ") + PhaseWord(journal.phase));
  return true;
}

bool SetFolder::RewriteJournal(const FolderWatch& watch, const SetJournal& now, const SetJournal& next) {
  if (watch && !watch.note(folder_, JournalMark(now, next))) return false;
  if (!WriteJournal(next)) {
    if (watch) watch.note(folder_, JournalMark(now));
    return false;
  }
  // Should this note not be stored, the one before still vouches for the journal.
  if (watch) watch.note(folder_, JournalMark(next));
  return true;
}

bool RollForward(SetFolder& f, const SetJournal& journal, std::string& failedName) {
  // Temporaries leave only by being moved in, and previous files only once every new file is in:
  // with no temporary left, the set is in place.
  bool temporaryLeft = false;
  for (const JournalEntry& e : journal.files) temporaryLeft = temporaryLeft || f.Exists(Temporary(e.name));
  if (!temporaryLeft) return true;
  for (const JournalEntry& e : journal.files) {
    if (e.gone) {
      // Aside with the previous files, unless it is there already.
      if (e.previous && f.Lookup(e.name) == SetFolder::Kind::File && !f.Exists(Previous(e.name)) &&
          !f.Rename(e.name, Previous(e.name))) {
        failedName = e.name;
        return false;
      }
      continue;
    }
    const SetFolder::Kind temporary = f.Lookup(Temporary(e.name));
    if (temporary == SetFolder::Kind::None) {
      // In place already: then its previous file is aside. Otherwise the new file was lost.
      if (f.Lookup(e.name) == SetFolder::Kind::File && (!e.previous || f.Exists(Previous(e.name)))) continue;
      failedName = e.name;
      return false;
    }
    // The previous file goes aside, unless it is there already.
    const bool moveAside = e.previous && f.Exists(e.name) && !f.Exists(Previous(e.name));
    if (temporary != SetFolder::Kind::File || (moveAside && !f.Rename(e.name, Previous(e.name))) ||
        !f.Rename(Temporary(e.name), e.name)) {
      failedName = e.name;
      return false;
    }
  }
  f.Sync();
  return true;
}

bool SettlePrevious(SetFolder& f, const SetJournal& journal, std::string& failedName) {
  for (const JournalEntry& e : journal.files)
    if (!SettleOne(f, e.name)) {
      failedName = e.name;
      return false;
    }
  return true;
}

bool DropPrevious(SetFolder& f, const SetJournal& journal, std::string& failedName) {
  for (const JournalEntry& e : journal.files)
    if (!f.Remove(Previous(e.name))) {
      failedName = Previous(e.name);
      return false;
    }
  return true;
}

bool RollBack(SetFolder& f, const SetJournal& journal, std::string& failedName) {
  for (const JournalEntry& e : journal.files) {
    bool ok = true;
    if (journal.phase == SetPhase::Writing) {
      ok = SettleOne(f, e.name);
    } else if (e.previous) {
      // Whatever stands in its place (the new file, or nothing), the previous file comes back.
      if (f.Exists(Previous(e.name))) ok = f.Rename(Previous(e.name), e.name);
    } else if (!e.gone) {
      ok = f.Remove(e.name);  // there was none: a file of that name is the new one
    }
    if (!ok) {
      failedName = e.name;
      return false;
    }
    if (!e.gone && !f.Remove(Temporary(e.name))) {
      failedName = Temporary(e.name);
      return false;
    }
  }
  f.Sync();
  return true;
}
