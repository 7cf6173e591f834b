#include "common/Outcome.h"

void Outcome::Tell(std::string text, NoticeIcon icon, std::string caption) {
  messages.push_back(Notice{std::move(text), icon, std::move(caption)});
}

void Outcome::Fail(std::string text, NoticeIcon icon, std::string path) {
  ok = false;
  if (!path.empty()) failedPath = std::move(path);
  Tell(std::move(text), icon);
}

void Outcome::Succeed(std::string text) {
  ok = true;
  if (!text.empty()) Inform(std::move(text));
}

std::string Outcome::Failure() const {
  for (const Notice& m : messages)
    if (m.icon != NoticeIcon::Information) return m.text;
  return {};
}

std::string Outcome::Texts() const {
  std::string all;
  for (const Notice& m : messages) {
    if (!all.empty()) all += '\n';
    all += m.text;
  }
  return all;
}

void Outcome::Take(const Outcome& other) {
  messages.insert(messages.end(), other.messages.begin(), other.messages.end());
  if (!other.ok) {
    ok = false;
    if (!other.failedPath.empty()) failedPath = other.failedPath;
  }
}

NoticeCollector::NoticeCollector(Outcome& into)
    : previous_(SetNoticeSink([&into](const Notice& n) { into.messages.push_back(n); })) {}

NoticeCollector::~NoticeCollector() { SetNoticeSink(std::move(previous_)); }
