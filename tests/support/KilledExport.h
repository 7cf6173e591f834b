#pragma once
// An export killed for real: run in a child process that gets SIGKILL right after a chosen change
// on the disk, as a power cut or a kill would leave the folder; and the messages that tell what
// was done to put such a folder in order. Shared by the engine tests and the command tests.

#include "db/DbDatabase.h"
#include "exchange/ExportEngine.h"

#include <gtest/gtest.h>
#include "common/Cp1252.h"
#include "support/TestSupport.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The seven files of an export.
inline const std::vector<std::string> kExportSet = {
    "RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT",           "RT_CADEN.TXT",
    "RT_CALEN.TXT", "RT_PROTO.TXT", "FERMATE_NORMALIZZATE.TXT"};

// Every file of the set in `folder`, by name ("-" for one that is not there).
inline std::string SetFiles(const std::string& folder) {
  std::string all;
  for (const std::string& name : kExportSet) {
    const std::string path = folder + "/" + name;
    all += name + ":\n" + (QFileInfo::exists(cp1252::ToQString(path)) ? FileBytes(path) : "-\n");
  }
  return all;
}

// Runs `work` in a child process, killed right after the `step`-th change it tells (from 1). True
// when it was killed there, false when it ended first.
inline bool KilledAfterStep(int step, const std::function<void(const FileSetStep&)>& work) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    int seen = 0;
    work([&](const std::string&) {
      if (++seen == step) ::raise(SIGKILL);
    });
    ::_exit(0);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return false;
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// The changes `work` tells when it runs to its end here.
inline std::vector<std::string> StepsOf(const std::function<void(const FileSetStep&)>& work) {
  std::vector<std::string> steps;
  work([&](const std::string& done) { steps.push_back(done); });
  return steps;
}

// The folders under way noted in a file ("folder TAB key" lines), as the settings note them: the
// note outlasts a killed child, so that its journal is obeyed afterwards.
inline FolderWatch NotesInFile(const std::string& file) {
  const auto read = [file] {
    std::vector<std::pair<std::string, std::string>> notes;
    if (!QFileInfo::exists(cp1252::ToQString(file))) return notes;
    std::string text = FileBytes(file);
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
      end = std::min(text.find('\n', start), text.size());
      const std::string line = text.substr(start, end - start);
      const size_t tab = line.rfind('\t');
      if (tab != std::string::npos) notes.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    return notes;
  };
  FolderWatch watch;
  watch.note = [file, read](const std::string& folder, const std::string& key) {
    std::string text;
    for (const auto& [f, k] : read())
      if (f != folder) text += f + "\t" + k + "\n";
    if (!key.empty()) text += folder + "\t" + key + "\n";
    WriteFileBytes(file, text);
    return true;
  };
  watch.keyOf = [read](const std::string& folder) {
    for (const auto& [f, k] : read())
      if (f == folder) return k;
    return std::string();
  };
  return watch;
}

// The export of every trip of the database file `db` into `folder`, telling its steps.
inline std::function<void(const FileSetStep&)> PlainExport(const std::string& db, const std::string& folder,
                                                           const FolderWatch& watch = {}) {
  return [db, folder, watch](const FileSetStep& step) {
    DbDatabase handle(db);
    ExportOptions o;
    o.db = &handle;
    o.folder = folder;
    o.fileSetStep = step;
    o.folderWatch = watch;
    RunExport(o);
  };
}

// The position (from 1) of the step `done` among `steps`; 0 when it is not there.
inline int StepNumber(const std::vector<std::string>& steps, const std::string& done) {
  for (size_t k = 0; k < steps.size(); ++k)
    if (steps[k] == done) return static_cast<int>(k + 1);
  return 0;
}

// The messages of a folder put in order.
inline std::string Interrupted(const std::string& folder) {
  return "ATTENZIONE: l'ultima esportazione dati orari nella cartella\n" + folder + "\nè stata interrotta ";
}
inline std::string CompletedText(const std::string& folder) {
  return Interrupted(folder) +
         "mentre metteva i file nuovi al posto dei precedenti.\n\n"
         "L'esportazione è stata completata: la cartella contiene tutti i file nuovi.";
}
inline std::string UndoneWhileWritingText(const std::string& folder) {
  return Interrupted(folder) +
         "prima di finire di scrivere i file.\n\n"
         "L'esportazione è stata annullata: i file incompleti sono stati eliminati e\n"
         "la cartella contiene i file che c'erano prima, come erano.";
}
// `notPlaced`: the path of the file that could not be put in place, or empty.
inline std::string UndoneWhileReplacingText(const std::string& folder, const std::string& notPlaced = {}) {
  return Interrupted(folder) + "mentre metteva i file nuovi al posto dei precedenti" +
         (notPlaced.empty() ? "" : ",\ne non è stato possibile completarla (" + notPlaced + ")") +
         ".\n\nL'esportazione è stata annullata: la cartella contiene i file che c'erano prima, come erano.";
}
// A journal as the program writes one, with `key` and its `lines` (ending in "fine\n" when whole).
inline std::string JournalText(const std::string& key, const std::string& lines) {
  return "Quendo: esportazione in corso in questa cartella; non eliminare questo file.\nchiave " + key + "\n" + lines;
}
// The journal lines of the export's seven files, after its heading and key: the phase, then each
// file with `flag` ("0": new, "1": a previous one was there), without the closing "fine".
inline std::string SetLines(const std::string& phase, const std::string& flag) {
  std::string lines = "fase " + phase + "\n";
  for (const std::string& name : kExportSet) lines += "file " + flag + " " + name + "\n";
  return lines;
}
// The journal whose text that is, read as the program reads it (`folder` holds none).
inline SetJournal JournalOf(const std::string& folder, const std::string& text) {
  SetFolder f(folder, {});
  WriteFileBytes(f.PathOf(SetFolder::kJournalName), text);
  SetJournal journal;
  EXPECT_EQ(f.ReadJournal(journal), SetFolder::Read::Found);
  EXPECT_TRUE(f.RemoveJournal());
  return journal;
}
// A journal not obeyed, removed: `what` one that was not written by the program, or a damaged one.
inline std::string NotObeyedJournalText(const std::string& folder, const std::string& what) {
  return "ATTENZIONE: nella cartella\n" + folder + "\nc'era un file QUENDO_ESPORTAZIONE_IN_CORSO " + what +
         ".\n\n"
         "Le sue indicazioni non sono state eseguite: è stato eliminato, e nessun altro file della cartella è "
         "stato toccato.";
}
inline std::string ForeignJournalText(const std::string& folder) {
  return NotObeyedJournalText(folder, "che non è stato scritto da questo programma");
}
inline std::string DamagedJournalText(const std::string& folder) {
  return NotObeyedJournalText(folder, "scritto da questo programma, ma danneggiato");
}
inline std::string NotInOrderText(const std::string& folder, const std::string& path) {
  return Interrupted(folder) + "e non è stato possibile rimettere in ordine i file\n(" + path +
         ").\n\nLa cartella può contenere file di esportazioni diverse: non vanno inviati alla Regione.\n"
         "Il riordino sarà ritentato alla prossima esportazione in questa cartella e al prossimo avvio del "
         "programma.";
}
