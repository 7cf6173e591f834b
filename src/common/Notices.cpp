#include "common/Notices.h"

#include "common/Cp1252.h"

#include <cstdio>

namespace {

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
  if (const NoticeSink& sink = Sink()) {
    sink(notice);
    return;
  }
  std::fprintf(stderr, "[0x%02X] %s\n", static_cast<unsigned>(icon), cp1252::ToUtf8(text).c_str());
}
