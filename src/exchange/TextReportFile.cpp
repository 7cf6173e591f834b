#include "exchange/TextReportFile.h"

#include "exchange/ExportFiles.h"

bool WriteTextReport(const std::string& path, std::string_view bytes) {
  const size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash ? slash : 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  ExportFileSet file(folder);
  if (!file.Begin(name)) return false;
  file.Write(bytes);
  return file.Finish() && file.Commit();
}
