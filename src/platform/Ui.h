#pragma once
// What a command asks the user goes through here: message boxes now, file and option dialogs as
// they come. With a Script installed (tests, the headless driver) nothing is shown: answers are
// taken from the script in order and every box is written to its transcript.

#include <deque>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class QWidget;
struct Notice;
struct Outcome;

namespace ui {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_OKCANCEL = 0x01;
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;

// Shows a message box; texts are Windows-1252. Returns IDOK or IDCANCEL: a box with only an OK
// button always returns IDOK, an OK/Cancel box IDOK only when the user chose OK.
int MessageBox(const std::string& text, unsigned type = MB_ICONINFORMATION, const std::string& caption = {});

// Shows a notice of the layers below as a message box with its icon and caption: the sink that
// the program installs (SetNoticeSink).
void ShowNotice(const Notice& notice);

// Shows an operation's outcome: each of its messages in order, as a box with its icon and caption.
// Returns outcome.ok. Every command ends with it.
bool ShowOutcome(const Outcome& outcome);

// True when windows can really be shown (a QApplication on a platform with a display, or on the
// offscreen platform once ShowWindowsOffscreen(true) was called).
bool CanShowWindows();
// Lets dialogs and boxes run their own event loops on the offscreen platform, as on a screen: for
// the tests and benchmarks that drive a window as a user would (timers click and type, then close
// it). Without a QApplication it changes nothing.
void ShowWindowsOffscreen(bool on);

// While a box or dialog is up, the pointer is an arrow even when a long operation has put up the
// wait cursor around it.
class ArrowCursorWhileShown {
 public:
  ArrowCursorWhileShown();
  ~ArrowCursorWhileShown();
  ArrowCursorWhileShown(const ArrowCursorWhileShown&) = delete;
  ArrowCursorWhileShown& operator=(const ArrowCursorWhileShown&) = delete;

 private:
  bool set_ = false;
};

// The window that owns the boxes (the main window once it exists).
void SetOwnerWindow(QWidget* owner);
QWidget* OwnerWindow();

// One scripted answer.
struct Answer {
  enum class Kind { Ok, Cancel, File, Dialog, DialogCancel, Printer, Preview };
  Kind kind = Kind::Ok;
  // The file path, the dialog id, the PDF file of a printer (("orientation", "landscape" or
  // "portrait") among the controls when asked), or "close" / "print" for a preview.
  std::string value;
  std::vector<std::pair<std::string, std::string>> controls;  // control id -> value, for a dialog
  int line = 0;                                               // its line in the answers file; 0: none
};

// Thrown when a question finds no answer in the script (or none fits): the run ends instead of
// hanging on a box nobody will close. Its what() is a Windows-1252 text of one line, like every
// text of the program: convert it (cp1252::ToUtf8) where it leaves the program.
class UnansweredQuestion : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One shown message box.
struct ShownMessage {
  unsigned type = 0;
  std::string caption;
  std::string text;  // Windows-1252
};

// Installed for its lifetime; scripts do not nest.
class Script {
 public:
  Script();
  ~Script();
  Script(const Script&) = delete;
  Script& operator=(const Script&) = delete;

  static Script* Current();

  Script& Ok() { return Push({Answer::Kind::Ok, {}, {}}); }
  Script& Cancel() { return Push({Answer::Kind::Cancel, {}, {}}); }
  Script& File(std::string path) { return Push({Answer::Kind::File, std::move(path), {}}); }
  Script& Push(Answer a) {
    answers_.push_back(std::move(a));
    return *this;
  }
  bool HasAnswer() const { return !answers_.empty(); }
  const Answer& Peek() const { return answers_.front(); }
  Answer Take();
  size_t PendingAnswers() const { return answers_.size(); }
  // The answers nothing has taken yet, in order.
  const std::deque<Answer>& Pending() const { return answers_; }

  // Every line written so far: one per message box ("0x10<TAB>text", newlines as \n, UTF-8),
  // and whatever else the layer records (titles, file dialogs).
  const std::vector<std::string>& Transcript() const { return transcript_; }
  void Record(std::string line) { transcript_.push_back(std::move(line)); }
  const std::vector<ShownMessage>& Messages() const { return messages_; }
  void RecordMessage(ShownMessage m);
  void Clear() {
    transcript_.clear();
    messages_.clear();
  }

 private:
  std::deque<Answer> answers_;
  std::vector<std::string> transcript_;
  std::vector<ShownMessage> messages_;
};

// A text on one line: newlines, tabs and backslashes escaped; still Windows-1252.
std::string OneLineText(const std::string& cp1252Text);
// A text for the transcript: OneLineText in UTF-8.
std::string TranscriptText(const std::string& cp1252Text);

}  // namespace ui
