#include "platform/Ui.h"

#include "common/Cp1252.h"
#include "common/Notices.h"
#include "common/Outcome.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <algorithm>
#include <cstdio>

namespace ui {
namespace {

Script* g_script = nullptr;
QPointer<QWidget> g_owner;

// Qt wraps a box's text at about 500 pixels, breaking again the lines a text breaks by hand. The
// label is made as wide as its widest line, so that its own breaks govern; only a line wider than
// the screen allows (as Qt reckons its limit) is wrapped, at that limit.
void KeepHandBrokenLines(QMessageBox& box) {
  auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (!label || !box.layout()) return;
  box.layout()->activate();
  const int widest = label->sizeHint().width();  // unwrapped: the widest line
  const int besides = box.layout()->totalMinimumSize().width() - label->minimumSizeHint().width();
  const int screen = box.screen()->availableGeometry().width();
  const int limit = screen <= 1024 ? screen : std::min(screen - 480, 1000);
  label->setMinimumWidth(std::max(0, std::min(widest, limit - besides)));
}

std::string Hex(unsigned v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%02X", v);
  return buf;
}

}  // namespace

Script::Script() {
  if (g_script) throw std::logic_error("a script is already installed");
  g_script = this;
}

Script::~Script() {
  if (g_script == this) g_script = nullptr;
}

Script* Script::Current() { return g_script; }

Answer Script::Take() {
  Answer a = std::move(answers_.front());
  answers_.pop_front();
  return a;
}

void Script::RecordMessage(ShownMessage m) {
  Record(Hex(m.type) + "\t" + TranscriptText(m.text));
  messages_.push_back(std::move(m));
}

std::string OneLineText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\\')
      out += "\\\\";
    else
      out.push_back(c);
  }
  return out;
}

std::string TranscriptText(const std::string& text) { return cp1252::ToUtf8(OneLineText(text)); }

void ShowNotice(const Notice& notice) { MessageBox(notice.text, static_cast<unsigned>(notice.icon), notice.caption); }

bool ShowOutcome(const Outcome& outcome) {
  for (const Notice& m : outcome.messages) ShowNotice(m);
  return outcome.ok;
}

namespace {
bool g_showOffscreen = false;
}  // namespace

bool CanShowWindows() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("offscreen")) return g_showOffscreen;
  return platform != QLatin1String("minimal");
}

void ShowWindowsOffscreen(bool on) { g_showOffscreen = on; }

ArrowCursorWhileShown::ArrowCursorWhileShown() {
  if (QApplication::overrideCursor()) {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    set_ = true;
  }
}

ArrowCursorWhileShown::~ArrowCursorWhileShown() {
  if (set_) QApplication::restoreOverrideCursor();
}

void SetOwnerWindow(QWidget* owner) { g_owner = owner; }
QWidget* OwnerWindow() { return g_owner.data(); }

int MessageBox(const std::string& text, unsigned type, const std::string& caption) {
  const bool question = (type & 0x0F) == MB_OKCANCEL;
  if (Script* s = Script::Current()) {
    s->RecordMessage({type, caption, text});
    if (!question) return IDOK;
    if (!s->HasAnswer()) throw UnansweredQuestion("Domanda senza risposta: " + OneLineText(text));
    const Answer::Kind k = s->Peek().kind;
    if (k != Answer::Kind::Ok && k != Answer::Kind::Cancel)
      throw UnansweredQuestion("La risposta successiva non è OK/Annulla per la domanda: " + OneLineText(text));
    return s->Take().kind == Answer::Kind::Ok ? IDOK : IDCANCEL;
  }
  if (!CanShowWindows()) {
    std::fprintf(stderr, "[%s] %s\n", Hex(type).c_str(), TranscriptText(text).c_str());
    if (question) throw UnansweredQuestion("Domanda senza risposta: " + OneLineText(text));
    return IDOK;
  }
  QMessageBox box(g_owner.data());
  box.setWindowTitle(caption.empty() ? QStringLiteral("Quendo") : cp1252::ToQString(caption));
  box.setText(cp1252::ToQString(text));
  switch (type & 0xF0) {
    case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  if (question) {
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  KeepHandBrokenLines(box);
  ArrowCursorWhileShown arrow;
  return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

}  // namespace ui
