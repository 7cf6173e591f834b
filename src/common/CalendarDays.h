#pragma once
// Calendar days: Easter, the national holidays, the list of days of a range, whole days of a
// date difference, and the "GG/MM/AAAA" texts with the period test.

#include "common/Formatters.h"

#include <QDate>
#include <string>
#include <string_view>

class CadenceNoteList;

// Easter Sunday and Easter Monday of a year from 1900 to 2199: returns 1 and fills the four
// outputs; any other year returns 0 and leaves them untouched.
int EasterDate(int year, int& easterMonth, int& easterDay, int& mondayMonth, int& mondayDay);

// The holiday name of a date ("Capodanno", "Pasqua", ...), empty on an ordinary day. Easter
// Sunday and Monday take precedence over a fixed holiday of the same date.
std::string HolidayName(const QDate& date);

// Weekday digit: '1' Monday to '7' Sunday.
char WeekdayDigit(const QDate& date);

// Clears the list and appends one day for every date from first to last inclusive, with its
// weekday digit and holiday name. An invalid date or first after last gives an empty list.
CadenceNoteList& BuildCalendarDays(CadenceNoteList& list, const QDate& first, const QDate& last);

// Whole days of a date difference in days: half a second is added (subtracted when negative)
// before truncating toward zero.
double DatePart(double value);

// "GG/MM/AAAA": exactly 10 characters, day from characters 1-2, month from 4-5, year from
// 7-10, each read as a decimal number; the separators are not examined. False for any other
// length (the numbers are not checked as a calendar date).
bool ParseDateText10(std::string_view text, DateRecord& out);

// The period test: the date lies between from and to, both included.
bool DateInPeriod(const DateRecord& date, const DateRecord& from, const DateRecord& to);

// The calendar date of a record; invalid when the record is no real date.
QDate ToQDate(const DateRecord& date);
