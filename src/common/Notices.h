#pragma once
// How the layers below the user interface tell the user something they cannot hand back as a
// result: a failure of the database layer, a reference list that cannot be read, the end of a
// database's creation. The interface layer installs the sink that shows each notice as a message
// box; with no sink installed a notice is written to the standard error.

#include <functional>
#include <string>

// The icon of a notice, with the values of the message-box styles.
enum class NoticeIcon : unsigned { Stop = 0x10, Exclamation = 0x30, Information = 0x40 };

struct Notice {
  std::string text;  // Windows-1252
  NoticeIcon icon = NoticeIcon::Stop;
  std::string caption;  // empty: the program's name
};

using NoticeSink = std::function<void(const Notice&)>;

// Installs `sink` (empty: the standard error) and returns the one it replaces.
NoticeSink SetNoticeSink(NoticeSink sink);

// Hands a notice to the sink, at once: notices keep their order with the boxes around them.
void Notify(const std::string& text, NoticeIcon icon, const std::string& caption = {});

// Installs a sink for its lifetime and puts the previous one back.
class ScopedNoticeSink {
 public:
  explicit ScopedNoticeSink(NoticeSink sink) : previous_(SetNoticeSink(std::move(sink))) {}
  ~ScopedNoticeSink() { SetNoticeSink(std::move(previous_)); }
  ScopedNoticeSink(const ScopedNoticeSink&) = delete;
  ScopedNoticeSink& operator=(const ScopedNoticeSink&) = delete;

 private:
  NoticeSink previous_;
};

// Counts the failures told (every notice but an information) while it lasts, and passes every
// notice on to the sink it found: a long operation learns that the layer below failed somewhere,
// and the user is told as always.
class NoticeWatch {
 public:
  NoticeWatch();
  ~NoticeWatch() { SetNoticeSink(std::move(previous_)); }
  NoticeWatch(const NoticeWatch&) = delete;
  NoticeWatch& operator=(const NoticeWatch&) = delete;

  int Failures() const { return failures_; }

 private:
  NoticeSink previous_;
  int failures_ = 0;
};
