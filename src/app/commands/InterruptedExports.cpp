#include "app/commands/InterruptedExports.h"

#include "common/ExportRecovery.h"
#include "conversions/ivu/IvuConversion.h"
#include "exchange/ExportEngine.h"
#include "platform/Settings.h"
#include "platform/Ui.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

using Note = std::pair<std::string, std::string>;  // folder, key

// A line without a tab (noted by an earlier version) is a folder without key: its journal is
// not obeyed.
std::vector<Note> NotedFolders() {
  std::string text;
  settings::Read(settings::kExportsUnderWay, text);
  std::vector<Note> notes;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    if (end > start) {
      const std::string line = text.substr(start, end - start);
      const size_t tab = line.rfind('\t');
      if (tab == std::string::npos)
        notes.emplace_back(line, std::string());
      else
        notes.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    start = end + 1;
  }
  return notes;
}

bool WriteNotedFolders(const std::vector<Note>& notes) {
  std::string text;
  for (const Note& n : notes) text += (text.empty() ? "" : "\n") + n.first + "\t" + n.second;
  return settings::Write(settings::kExportsUnderWay, text);
}

}  // namespace

bool NoteExportFolder(const std::string& folder, const std::string& key) {
  std::vector<Note> notes = NotedFolders();
  const auto found = std::find_if(notes.begin(), notes.end(), [&](const Note& n) { return n.first == folder; });
  if (key.empty()) {
    if (found == notes.end()) return true;
    notes.erase(found);
  } else if (found == notes.end()) {
    notes.emplace_back(folder, key);
  } else if (found->second != key) {
    found->second = key;
  } else {
    return true;
  }
  return WriteNotedFolders(notes);
}

std::string NotedExportKey(const std::string& folder) {
  for (const Note& n : NotedFolders())
    if (n.first == folder) return n.second;
  return {};
}

FolderWatch ExportFolderWatch() {
  // Every writer of a set under a journal whose names are its own, not the user's or the
  // database's: a note of the key alone vouches for these and no others.
  return {NoteExportFolder, NotedExportKey, {ExportSetNames(), ivu::IvuRtFileNames()}};
}

void RecoverInterruptedExports() {
  const std::vector<Note> noted = NotedFolders();
  if (noted.empty()) return;
  // The database about to be opened is kept out of every folder's recovery.
  std::string database;
  settings::Read(settings::kDatabase, database);
  for (const Note& note : noted) {
    // Putting the folder in order may note a new mark for it (its journal written anew): a folder
    // that could not be put in order keeps the note it has now.
    const FolderRecovery r = RecoverExportFolder(note.first, ExportFolderWatch(), {}, {}, database);
    if (r.outcome != FolderRecovery::kFailed) NoteExportFolder(note.first, {});
    ui::ShowOutcome(r);
  }
}
