#pragma once
// The program's clock. Everything that prints a date or a time takes it from Now(), so that a run
// can be pinned to a fixed moment (the headless driver's --now) and its output compared.

#include <string>

struct ClockTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The local date and time, or the fixed moment while one is set.
ClockTime Now();

// Pins the clock to one moment until UnfixClock.
void FixClock(const ClockTime& moment);
void UnfixClock();

// Reads "YYYY-MM-DD HH:MM" (seconds ":SS" optional); false when it is not a real date and time.
bool ParseClockTime(const std::string& text, ClockTime& out);
