#include "common/Notices.h"

#include "common/Cp1252.h"

#include <cstdio>

namespace {

// Where a notice goes while no sink is installed.
void ToStandardError(const Notice& notice) {
  std::fprintf(stderr, "[0x%02X] %s\n", static_cast<unsigned>(notice.icon), cp1252::ToUtf8(notice.text).c_str());
}

NoticeSink& Sink() {
  static NoticeSink sink;
  return sink;
}

}  // namespace

NoticeSink SetNoticeSink(NoticeSink sink) {
  NoticeSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}

void Notify(const std::string& text, NoticeIcon icon, const std::string& caption) {
  const Notice notice{text, icon, caption};
  if (const NoticeSink& sink = Sink())
    sink(notice);
  else
    ToStandardError(notice);
}

NoticeWatch::NoticeWatch()
    : previous_(SetNoticeSink([this](const Notice& n) {
        if (n.icon != NoticeIcon::Information) ++failures_;
        if (previous_)
          previous_(n);
        else
          ToStandardError(n);
      })) {}
