#pragma once
// What an operation ends with, handed up from the engine to the command that shows it: whether it
// was done, the messages for the user in the order they are shown (each with its icon and
// caption), and the path of the file that failed. A command ends with one call that shows it
// (ui::ShowOutcome); the tests read it directly.
//
// The layers below tell a failure they cannot hand back as a Notice (common/Notices.h): the same
// message an Outcome holds. An engine that must gather them rather than let them be shown at once
// (an import that refuses thousands of rows, a check that goes on past a refused row) collects them
// into its Outcome with a NoticeCollector.

#include "common/Notices.h"

#include <string>
#include <vector>

struct Outcome {
  bool ok = false;  // done; a failure is told among the messages
  std::vector<Notice> messages;
  std::string failedPath;  // the file that could not be read or written, when one did

  // Adds a message, shown after the ones before it; `Tell` leaves `ok` as it is.
  void Tell(std::string text, NoticeIcon icon, std::string caption = {});
  void Inform(std::string text) { Tell(std::move(text), NoticeIcon::Information); }
  void Warn(std::string text) { Tell(std::move(text), NoticeIcon::Exclamation); }
  // Not done: `text` with `icon` (the stop icon unless said), `path` the file that failed.
  void Fail(std::string text, NoticeIcon icon = NoticeIcon::Stop, std::string path = {});
  // Done, with an information when `text` is not empty.
  void Succeed(std::string text = {});

  // The text of the first message that is not an information ("" when there is none): what went
  // wrong, for a caller that passes it on inside a message of its own.
  std::string Failure() const;
  // Every message's text, one after the other (tests and logs).
  std::string Texts() const;
  // Appends `other`'s messages; `other`'s failure (and its path) becomes this one's.
  void Take(const Outcome& other);
};

// While it lasts, every notice told below is appended to `into` instead of being shown; the
// previous sink is put back at its end.
class NoticeCollector {
 public:
  explicit NoticeCollector(Outcome& into);
  ~NoticeCollector();
  NoticeCollector(const NoticeCollector&) = delete;
  NoticeCollector& operator=(const NoticeCollector&) = delete;

 private:
  NoticeSink previous_;
};
