#include "platform/WindowTitle.h"

#include "common/Cp1252.h"
#include "platform/Ui.h"

#include <QWidget>

namespace ui {

void SetWindowTitle(QWidget* window, const std::string& caption) {
  const QString text = cp1252::ToQString(caption);
  if (window && window->windowTitle() == text) return;
  if (Script* s = Script::Current()) s->Record("TITLE\t" + TranscriptText(caption));
  if (window) window->setWindowTitle(text);
}

}  // namespace ui
