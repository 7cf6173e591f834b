#include "reports/DirectoryLoading.h"

#include "common/Formatters.h"

#include <cstdint>
#include <cstdlib>

std::string ExactKey(std::initializer_list<std::string_view> parts) {
  std::string key;
  size_t size = 0;
  for (std::string_view part : parts) size += part.size() + 4;
  key.reserve(size);
  // Each part behind its length: no text of one part can pass for a piece of the next.
  for (std::string_view part : parts) {
    const auto length = static_cast<std::uint32_t>(part.size());
    key.append(reinterpret_cast<const char*>(&length), sizeof length);
    key.append(part);
  }
  return key;
}

std::string TrimmedTextAt(DbSelect& select, int position) {
  std::string text;
  select.GetFieldTextAt(position, text);
  text.resize(WithoutTrailingBlanks(text).size());
  return text;
}

long LongAt(DbSelect& select, int position) { return select.LongAt(position); }

bool FlagAt(DbSelect& select, int position) {
  int value = 0;
  select.GetFieldIntAt(position, &value);
  return value != 0;
}

namespace {

// Column `position` as a row's name shows it: the number, or the value as SQL writes it when it is
// the fault (which a whole-number reader cannot give).
std::string NumberName(DbSelect& select, int position) {
  if (select.Fault().position == position) return select.Fault().value;
  return std::to_string(select.LongAt(position));
}

// The same for a text or a date.
std::string TextName(DbSelect& select, int position) {
  if (select.Fault().position == position) return select.Fault().value;
  return select.TrimmedAt(position);
}

}  // namespace

std::string TripName(DbSelect& select, int id) { return "corsa " + NumberName(select, id); }

std::string StopName(DbSelect& select, int id, int sub) {
  return "fermata " + NumberName(select, sub) + " della " + TripName(select, id);
}

std::string LocalityName(DbSelect& select, int id) { return "località " + NumberName(select, id); }

std::string CadenceName(DbSelect& select, int code) { return "cadenza " + TextName(select, code); }

std::string CalendarDayName(DbSelect& select, int date) { return CalendarDayName(TextName(select, date)); }

std::string CalendarDayName(const std::string& date) { return "giorno " + date + " del calendario"; }

ServiceCalendar ReadWorkingCalendar(DbDatabase* db, RowFault& fault) {
  const WorkingPeriod period = ReadWorkingPeriod(db);
  if (period.fault.position >= 0) {
    fault = {period.fault, "dati generali", "master"};
    return {};
  }
  CalendarReadFault read;
  ServiceCalendar calendar = ReadServiceCalendar(db, period.first, period.last, &read);
  if (read.value.position < 0) return calendar;
  fault = {read.value, CalendarDayName(read.date), "calend"};
  return {};
}

RowFault TripRowFault(const TripReadFault& fault) {
  if (fault.value.position < 0) return {};
  const std::string& column = fault.value.column;
  const bool ofPeriod = column == "caden" || column == "inizio" || column == "fine" || column == "escluso";
  return {fault.value, Format("corsa %ld", fault.trip), ofPeriod ? "period" : "tescor"};
}
