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

std::string TripName(DbSelect& select, int id) { return TripRowName(KeyNumberAt(select, id)); }

std::string StopName(DbSelect& select, int id, int sub) {
  return StopRowName(KeyNumberAt(select, id), KeyNumberAt(select, sub));
}

std::string LocalityName(DbSelect& select, int id) { return LocalityRowName(KeyNumberAt(select, id)); }

std::string CadenceName(DbSelect& select, int code) { return CadenceRowName(KeyTextAt(select, code)); }

std::string CalendarDayName(DbSelect& select, int date, int code) {
  return CalendarDayRowName(KeyTextAt(select, date), KeyTextAt(select, code));
}

ServiceCalendar ReadWorkingCalendar(DbDatabase* db, RowFault& fault) {
  const WorkingPeriod period = ReadWorkingPeriod(db);
  if (period.fault.position >= 0) {
    fault = {period.fault, "dati generali", "master"};
    return {};
  }
  CalendarReadFault read;
  ServiceCalendar calendar = ReadServiceCalendar(db, period.first, period.last, &read);
  if (read.value.position < 0) return calendar;
  // A day whose date is the fault is named without it.
  fault = {read.value, CalendarDayRowName(read.value.column == "data" ? std::string() : read.date, {}), "calend"};
  return {};
}

RowFault TripRowFault(const TripReadFault& fault) {
  if (fault.value.position < 0) return {};
  const std::string& column = fault.value.column;
  const bool ofPeriod = column == "caden" || column == "inizio" || column == "fine" || column == "escluso";
  return {fault.value, TripRowName(column == "id" ? std::string() : std::to_string(fault.trip)),
          ofPeriod ? "period" : "tescor"};
}
