#include "common/ExportRecovery.h"

#include "common/Cp1252.h"
#include "common/DatabaseFiles.h"

#include <QFile>

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

bool EndsWithNoCase(const std::string& name, const char* suffix) {
  const std::string end(suffix);
  if (name.size() < end.size()) return false;
  for (size_t k = 0; k < end.size(); ++k)
    if (std::toupper(static_cast<unsigned char>(name[name.size() - end.size() + k])) != end[k]) return false;
  return true;
}

// What was being written, as the messages name it: the files of a shapefile set (.SHP, .SHX, .DBF
// and its .CPG, which earlier versions did not write) are written by the shapefile conversions;
// any other set (or a journal that cannot be read) is an export of the timetable, whose writers
// all go by "Esportazione dati orari".
struct Work {
  std::string what;     // "esportazione dati orari": after "l'ultima"
  std::string subject;  // "L'esportazione": the subject of the closing sentence
  std::string mixed;    // the closing lines of a folder that could not be put in order
  std::string caption;  // of the box that tells it
};

Work ExportWork() {
  return {"esportazione dati orari", "L'esportazione",
          "La cartella può contenere file di esportazioni diverse: non vanno inviati alla Regione.\n"
          "Il riordino sarà ritentato alla prossima esportazione in questa cartella e al prossimo avvio del programma.",
          "Esportazione dati orari"};
}

Work WorkOf(const SetJournal& journal) {
  std::vector<JournalEntry> f;  // the files written; a code page of another case may go beside them
  for (const JournalEntry& e : journal.files)
    if (!e.gone) f.push_back(e);
  if ((f.size() == 3 || (f.size() == 4 && EndsWithNoCase(f[3].name, ".CPG"))) && EndsWithNoCase(f[0].name, ".SHP") &&
      EndsWithNoCase(f[1].name, ".SHX") && EndsWithNoCase(f[2].name, ".DBF")) {
    const std::string shape = "dello shapefile " + f[0].name;
    return {"scrittura " + shape, "La scrittura " + shape,
            "I file dello shapefile possono essere di scritture diverse: non vanno utilizzati.\n"
            "Il riordino sarà ritentato al prossimo avvio del programma.",
            "Scrittura shapefile"};
  }
  return ExportWork();
}

// What was done, told to the user with the caption of the set.
FolderRecovery Told(FolderRecovery::Outcome outcome, std::string text, const Work& w, const std::string& path = {}) {
  FolderRecovery r;
  r.outcome = outcome;
  r.ok = outcome != FolderRecovery::kFailed;
  r.failedPath = path;
  r.Tell(std::move(text), NoticeIcon::Exclamation, w.caption);
  return r;
}

std::string Interrupted(const Work& w, const std::string& folder) {
  return "ATTENZIONE: l'ultima " + w.what + " nella cartella\n" + folder + "\nè stata interrotta ";
}

FolderRecovery Completed(const Work& w, const std::string& folder) {
  return Told(FolderRecovery::kCompleted,
              Interrupted(w, folder) + "mentre metteva i file nuovi al posto dei precedenti.\n\n" + w.subject +
                  " è stata completata: la cartella contiene tutti i file nuovi.",
              w);
}

FolderRecovery UndoneWhileWriting(const Work& w, const std::string& folder) {
  return Told(FolderRecovery::kUndone,
              Interrupted(w, folder) + "prima di finire di scrivere i file.\n\n" + w.subject +
                  " è stata annullata: i file incompleti sono stati eliminati e\n"
                  "la cartella contiene i file che c'erano prima, come erano.",
              w);
}

// `notPlaced`: the path of the file that could not be put in place, when that was why.
FolderRecovery UndoneWhileReplacing(const Work& w, const std::string& folder, const std::string& notPlaced) {
  std::string text = Interrupted(w, folder) + "mentre metteva i file nuovi al posto dei precedenti";
  if (!notPlaced.empty()) text += ",\ne non è stato possibile completarla (" + notPlaced + ")";
  return Told(
      FolderRecovery::kUndone,
      text + ".\n\n" + w.subject + " è stata annullata: la cartella contiene i file che c'erano prima, come erano.", w);
}

FolderRecovery Failed(const Work& w, const std::string& folder, const std::string& path) {
  return Told(
      FolderRecovery::kFailed,
      Interrupted(w, folder) + "e non è stato possibile rimettere in ordine i file\n(" + path + ").\n\n" + w.mixed, w,
      path);
}

// A journal not obeyed, removed: `what` says why ("che non è stato scritto da questo programma").
FolderRecovery NotObeyed(const std::string& folder, const std::string& what) {
  return Told(FolderRecovery::kForeign,
              "ATTENZIONE: nella cartella\n" + folder + "\nc'era un file " + SetFolder::kJournalName + " " + what +
                  ".\n\n"
                  "Le sue indicazioni non sono state eseguite: è stato eliminato, e nessun altro file della "
                  "cartella è stato toccato.",
              ExportWork());
}

// The mark noted for the folder: the journal's key, then the fingerprint of its names.
std::string Noted(const std::string& folder, const FolderWatch& watch) {
  return watch.keyOf ? watch.keyOf(folder) : std::string();
}

// How far the note of the folder vouches for its journal: not at all; for its names alone (a note
// of an earlier version); for every line of it.
enum class Vouched { No, Names, Whole };

Vouched VouchedFor(const SetJournal& journal, const std::string& folder, const FolderWatch& watch) {
  const std::string noted = Noted(folder, watch);
  if (MarkVouches(noted, journal)) return Vouched::Whole;
  if (noted == EarlierJournalMark(journal.key, NamesOf(journal))) return Vouched::Names;
  // The key alone says only which set of fixed names its writer wrote, and never other names.
  const std::vector<std::string> names = NamesOf(journal);
  if (noted == journal.key && std::find(watch.fixedSets.begin(), watch.fixedSets.end(), names) != watch.fixedSets.end())
    return Vouched::Names;
  return Vouched::No;
}

// A journal whose names alone are vouched for: which file had a previous one is read from the
// folder, not from the journal. While the new files were put in place, a file's previous one is
// aside, or still in place beside the new file's temporary; once the previous files were being
// brought back, every file is taken for one that had a previous file, so that no file of the set's
// names is removed.
void PreviousFromTheFolder(const SetFolder& f, SetJournal& journal) {
  for (JournalEntry& e : journal.files)
    e.previous = journal.phase == SetPhase::Restoring || f.Exists(e.name + SetFolder::kPreviousSuffix) ||
                 (f.Exists(e.name + SetFolder::kTemporarySuffix) && f.Exists(e.name));
}

// A journal whose key is the one noted for the folder.
bool KeyNoted(const SetJournal& journal, const std::string& folder, const FolderWatch& watch) {
  return Noted(folder, watch).compare(0, journal.key.size(), journal.key) == 0;
}

// A journal that would move a database's file (the database the start-up opens, the one open,
// any other, their companions): never obeyed, whoever wrote it.
bool NamesADatabaseFile(const SetFolder& f, const SetJournal& journal, const DatabaseFiles& kept) {
  for (const JournalEntry& e : journal.files)
    for (const char* suffix : {"", SetFolder::kTemporarySuffix, SetFolder::kPreviousSuffix})
      if (kept.Holds(f.NativeOf(e.name + suffix))) return true;
  return false;
}

// A journal of this program whose files written are all among `names` (any, when none are given).
bool OfTheseFiles(const SetJournal& journal, const std::vector<std::string>& names) {
  for (const JournalEntry& e : journal.files)
    if (!e.gone && !names.empty() && std::find(names.begin(), names.end(), e.name) == names.end()) return false;
  return true;
}

}  // namespace

FolderRecovery RecoverExportFolder(const std::string& folder, const FolderWatch& watch, const FileSetStep& step,
                                   const std::vector<std::string>& names, const std::string& database) {
  SetFolder f(folder, step);
  SetJournal journal;
  SetFolder::Read read = f.ReadJournal(journal);
  const Vouched vouched = read == SetFolder::Read::Found ? VouchedFor(journal, folder, watch) : Vouched::No;
  if (vouched != Vouched::No) {
    const DatabaseFiles kept(database.empty() ? std::string()
                                              : QFile::encodeName(cp1252::ToQString(database)).toStdString());
    // Which files this process holds cannot be told: the journal stays, neither obeyed nor removed.
    if (!kept.HeldKnown()) return Failed(WorkOf(journal), folder, f.PathOf(SetFolder::kJournalName));
    if (NamesADatabaseFile(f, journal, kept)) read = SetFolder::Read::Foreign;
  } else if (read == SetFolder::Read::Found) {
    read = SetFolder::Read::Foreign;
  }
  if (read == SetFolder::Read::Damaged && !KeyNoted(journal, folder, watch)) read = SetFolder::Read::Foreign;
  switch (read) {
    case SetFolder::Read::Foreign:
    case SetFolder::Read::Damaged:
      if (!f.RemoveJournal()) return Failed(ExportWork(), folder, f.PathOf(SetFolder::kJournalName));
      f.Sync();
      return NotObeyed(folder, read == SetFolder::Read::Damaged ? "scritto da questo programma, ma danneggiato"
                                                                : "che non è stato scritto da questo programma");
    case SetFolder::Read::None:
      // A journal's temporary without journal: the first journal of a set was being written.
      if (!f.Remove(std::string(SetFolder::kJournalName) + SetFolder::kTemporarySuffix))
        return Failed(ExportWork(), folder,
                      f.PathOf(std::string(SetFolder::kJournalName) + SetFolder::kTemporarySuffix));
      return {};
    case SetFolder::Read::Unreadable: return Failed(ExportWork(), folder, f.PathOf(SetFolder::kJournalName));
    case SetFolder::Read::Found: break;
  }
  const Work work = WorkOf(journal);
  // Another set of this program's own (a shapefile set where the region's files are to go): not
  // this writer's to put in order; its note stays for the next start, which does.
  if (!OfTheseFiles(journal, names)) return Failed(work, folder, f.PathOf(SetFolder::kJournalName));
  if (vouched == Vouched::Names) PreviousFromTheFolder(f, journal);
  std::string failedName;
  FolderRecovery done;
  if (journal.phase == SetPhase::Writing) {
    if (!RollBack(f, journal, failedName)) return Failed(work, folder, f.PathOf(failedName));
    done = UndoneWhileWriting(work, folder);
  } else if (journal.phase == SetPhase::Replacing && RollForward(f, journal, failedName)) {
    if (!DropPrevious(f, journal, failedName)) return Failed(work, folder, f.PathOf(failedName));
    done = Completed(work, folder);
  } else {
    // The new set cannot be put in place (or an earlier run had begun to bring the previous one
    // back): the previous files come back, the journal saying so before the first of them moves.
    const std::string notPlaced = failedName.empty() ? std::string() : f.PathOf(failedName);
    SetJournal restoring = journal;
    restoring.phase = SetPhase::Restoring;
    if (journal.phase != SetPhase::Restoring && !f.RewriteJournal(watch, journal, restoring))
      return Failed(work, folder, f.PathOf(SetFolder::kJournalName));
    if (!RollBack(f, restoring, failedName)) return Failed(work, folder, f.PathOf(failedName));
    done = UndoneWhileReplacing(work, folder, notPlaced);
  }
  if (!f.RemoveJournal()) return Failed(work, folder, f.PathOf(SetFolder::kJournalName));
  f.Sync();
  return done;
}
