#include "app/commands/InterruptedExports.h"

#include "exchange/ExportRecovery.h"
#include "platform/Settings.h"
#include "platform/Ui.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<std::string> NotedFolders() {
  std::string text;
  settings::Read(settings::kExportsUnderWay, text);
  std::vector<std::string> folders;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    if (end > start) folders.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

void WriteNotedFolders(const std::vector<std::string>& folders) {
  std::string text;
  for (const std::string& f : folders) text += (text.empty() ? "" : "\n") + f;
  settings::Write(settings::kExportsUnderWay, text);
}

}  // namespace

void NoteExportFolder(const std::string& folder, bool underWay) {
  std::vector<std::string> folders = NotedFolders();
  const auto found = std::find(folders.begin(), folders.end(), folder);
  if (underWay == (found != folders.end())) return;
  if (underWay)
    folders.push_back(folder);
  else
    folders.erase(found);
  WriteNotedFolders(folders);
}

void RecoverInterruptedExports() {
  const std::vector<std::string> noted = NotedFolders();
  if (noted.empty()) return;
  std::vector<std::string> left;
  for (const std::string& folder : noted) {
    const FolderRecovery r = RecoverExportFolder(folder);
    if (r.outcome == FolderRecovery::kFailed) left.push_back(folder);
    if (!r.message.empty()) ui::MessageBox(r.message, ui::MB_ICONEXCLAMATION, r.caption);
  }
  WriteNotedFolders(left);
}
