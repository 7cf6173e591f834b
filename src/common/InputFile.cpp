#include "common/InputFile.h"

#include "common/Cp1252.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <utility>

const char* const kNotARegularFileText = "Il file non è un file ordinario (è una pipe, un dispositivo o un socket).";

namespace {

std::string NativeOf(const std::string& path, PathText text) {
  return text == PathText::Native ? path : QFile::encodeName(cp1252::ToQString(path)).toStdString();
}

// A name the open may be tried on: a file, or a folder, whose open fails as it always did.
bool Openable(const struct stat& st) { return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode); }

std::function<void(const std::string&)>& OpeningStep() {
  static std::function<void(const std::string&)> step;
  return step;
}

}  // namespace

void SetInputOpeningStep(std::function<void(const std::string& native)> step) { OpeningStep() = std::move(step); }

bool HeldByNoRegularFile(const std::string& path, PathText text) {
  const std::string native = NativeOf(path, text);
  struct stat st;
  return !native.empty() && ::stat(native.c_str(), &st) == 0 && !Openable(st);
}

InputOpening OpenInputFile(QFile& file, const std::string& path, PathText text) {
  file.close();
  const std::string native = NativeOf(path, text);
  if (native.empty()) return InputOpening::Failed;
  if (HeldByNoRegularFile(native, PathText::Native)) return InputOpening::NotARegularFile;
  if (const auto& step = OpeningStep()) step(native);
  // Without waiting: a pipe put under the name since is opened at once, and refused below.
  const int fd = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return InputOpening::Failed;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return st.st_mode == 0 || Openable(st) ? InputOpening::Failed : InputOpening::NotARegularFile;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
      !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return InputOpening::Failed;
  }
  return InputOpening::Opened;
}

std::string CannotOpenText(const std::string& path) {
  return "Impossibile aprire\n\n" + path +
         (HeldByNoRegularFile(path) ? std::string("\n\n") + kNotARegularFileText : "");
}
