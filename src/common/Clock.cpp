#include "common/Clock.h"

#include <QDateTime>
#include <cstdio>
#include <mutex>

namespace {

std::mutex g_mutex;
bool g_fixed = false;
ClockTime g_moment;

}  // namespace

ClockTime Now() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_fixed) return g_moment;
  }
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

void FixClock(const ClockTime& moment) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_fixed = true;
  g_moment = moment;
}

void UnfixClock() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_fixed = false;
}

bool ParseClockTime(const std::string& text, ClockTime& out) {
  ClockTime t;
  int consumed = 0;
  const bool withSeconds = text.size() == 19;
  if (text.size() != 16 && !withSeconds) return false;
  // Fixed layout: digits everywhere but at the separators.
  const std::string layout = withSeconds ? "dddd-dd-dd dd:dd:dd" : "dddd-dd-dd dd:dd";
  for (size_t k = 0; k < text.size(); ++k) {
    const bool digit = text[k] >= '0' && text[k] <= '9';
    if (layout[k] == 'd' ? !digit : text[k] != layout[k]) return false;
  }
  if (withSeconds) {
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second,
                    &consumed) != 6)
      return false;
  } else if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                         &consumed) != 5) {
    return false;
  }
  if (consumed != static_cast<int>(text.size())) return false;
  if (!QDate::isValid(t.year, t.month, t.day) || !QTime::isValid(t.hour, t.minute, t.second)) return false;
  out = t;
  return true;
}
