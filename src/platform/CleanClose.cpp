#include "platform/CleanClose.h"

#include "common/Cp1252.h"

#include <sys/stat.h>

std::string CloseFingerprint(const std::string& path, const std::string& schema) {
  const std::string fsPath = cp1252::ToUtf8(path);
  struct stat file {
  }, log{};
  if (path.empty() || stat(fsPath.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) return {};
  if (schema.empty() || (stat((fsPath + "-wal").c_str(), &log) == 0 && log.st_size > 0)) return {};
  return path + "|" + std::to_string(file.st_size) + "|" + std::to_string(file.st_mtim.tv_sec) + "." +
         std::to_string(file.st_mtim.tv_nsec) + "|" + std::to_string(file.st_ino) + "|" + schema;
}
