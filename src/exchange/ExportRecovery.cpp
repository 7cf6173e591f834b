#include "exchange/ExportRecovery.h"

#include <algorithm>

namespace {

std::string Interrupted(const std::string& folder) {
  return "ATTENZIONE: l'ultima esportazione dati orari nella cartella\n" + folder + "\nè stata interrotta ";
}

FolderRecovery Completed(const std::string& folder) {
  return {FolderRecovery::kCompleted,
          Interrupted(folder) +
              "mentre metteva i file nuovi al posto dei precedenti.\n\n"
              "L'esportazione è stata completata: la cartella contiene tutti i file nuovi."};
}

FolderRecovery UndoneWhileWriting(const std::string& folder) {
  return {FolderRecovery::kUndone, Interrupted(folder) +
                                       "prima di finire di scrivere i file.\n\n"
                                       "L'esportazione è stata annullata: i file incompleti sono stati eliminati e\n"
                                       "la cartella contiene i file che c'erano prima, come erano."};
}

// `notPlaced`: the path of the file that could not be put in place, when that was why.
FolderRecovery UndoneWhileReplacing(const std::string& folder, const std::string& notPlaced) {
  std::string text = Interrupted(folder) + "mentre metteva i file nuovi al posto dei precedenti";
  if (!notPlaced.empty()) text += ",\ne non è stato possibile completarla (" + notPlaced + ")";
  return {FolderRecovery::kUndone, text +
                                       ".\n\nL'esportazione è stata annullata: la cartella contiene i file che c'erano "
                                       "prima, come erano."};
}

FolderRecovery Failed(const std::string& folder, const std::string& path) {
  return {FolderRecovery::kFailed, Interrupted(folder) + "e non è stato possibile rimettere in ordine i file\n(" +
                                       path +
                                       ").\n\nLa cartella può contenere file di esportazioni diverse: non vanno "
                                       "inviati alla Regione.\nIl riordino sarà ritentato alla prossima esportazione "
                                       "in questa cartella e al prossimo avvio del programma."};
}

FolderRecovery Foreign(const std::string& folder) {
  return {FolderRecovery::kForeign,
          "ATTENZIONE: nella cartella\n" + folder + "\nc'era un file " + SetFolder::kJournalName +
              " che non è stato scritto da questo programma.\n\n"
              "Le sue indicazioni non sono state eseguite: è stato eliminato, e nessun altro file della "
              "cartella è stato toccato."};
}

// A journal of this program: its key noted for the folder, its files those of the set to come.
bool Ours(const SetJournal& journal, const std::string& folder, const FolderWatch& watch,
          const std::vector<std::string>& names) {
  if (!watch.keyOf || watch.keyOf(folder) != journal.key) return false;
  for (const JournalEntry& e : journal.files)
    if (!names.empty() && std::find(names.begin(), names.end(), e.name) == names.end()) return false;
  return true;
}

}  // namespace

FolderRecovery RecoverExportFolder(const std::string& folder, const FolderWatch& watch, const FileSetStep& step,
                                   const std::vector<std::string>& names) {
  SetFolder f(folder, step);
  SetJournal journal;
  SetFolder::Read read = f.ReadJournal(journal);
  if (read == SetFolder::Read::Found && !Ours(journal, folder, watch, names)) read = SetFolder::Read::Foreign;
  switch (read) {
    case SetFolder::Read::Foreign:
      if (!f.RemoveJournal()) return Failed(folder, f.PathOf(SetFolder::kJournalName));
      f.Sync();
      return Foreign(folder);
    case SetFolder::Read::None:
      // A journal's temporary without journal: the first journal of a set was being written.
      if (!f.Remove(std::string(SetFolder::kJournalName) + SetFolder::kTemporarySuffix))
        return Failed(folder, f.PathOf(std::string(SetFolder::kJournalName) + SetFolder::kTemporarySuffix));
      return {};
    case SetFolder::Read::Unreadable: return Failed(folder, f.PathOf(SetFolder::kJournalName));
    case SetFolder::Read::Found: break;
  }
  std::string failedName;
  FolderRecovery done;
  if (journal.phase == SetPhase::Writing) {
    if (!RollBack(f, journal, failedName)) return Failed(folder, f.PathOf(failedName));
    done = UndoneWhileWriting(folder);
  } else if (journal.phase == SetPhase::Replacing && RollForward(f, journal, failedName)) {
    if (!DropPrevious(f, journal, failedName)) return Failed(folder, f.PathOf(failedName));
    done = Completed(folder);
  } else {
    // The new set cannot be put in place (or an earlier run had begun to bring the previous one
    // back): the previous files come back, the journal saying so before the first of them moves.
    const std::string notPlaced = failedName.empty() ? std::string() : f.PathOf(failedName);
    const bool restoring = journal.phase == SetPhase::Restoring;
    journal.phase = SetPhase::Restoring;
    if (!restoring && !f.WriteJournal(journal)) return Failed(folder, f.PathOf(SetFolder::kJournalName));
    if (!RollBack(f, journal, failedName)) return Failed(folder, f.PathOf(failedName));
    done = UndoneWhileReplacing(folder, notPlaced);
  }
  if (!f.RemoveJournal()) return Failed(folder, f.PathOf(SetFolder::kJournalName));
  f.Sync();
  return done;
}
