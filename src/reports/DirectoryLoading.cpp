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
