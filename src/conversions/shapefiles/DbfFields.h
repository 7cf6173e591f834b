#pragma once
// The columns of a dBase attribute table: each field's width and offset and the record length.

#include "common/RecordList.h"

#include <cstdint>
#include <string>
#include <string_view>

struct DbfField {
  std::string name;
  char type = 'C';          // dBase type letter ('N', 'C', ...)
  std::int32_t length = 0;  // for 'N' the integer digits
  std::int32_t decimals = 0;
  std::int32_t width = 0;   // bytes of the field in a record (the header's field length)
  std::int32_t offset = 0;  // from the first field's data; 0 until ComputeOffsets

  // Width: the length, except for 'N': length + decimals + 1 (mode 1: + 2) with decimals, and
  // length (mode 1: length + 1) without.
  DbfField(std::string_view name, char type, std::int32_t length, std::int32_t decimals, int mode);
};

class DbfFieldList : public RecordList<DbfField> {
 public:
  DbfField* Add(std::string_view name, char type, std::int32_t length, std::int32_t decimals, int mode) {
    return Emplace(name, type, length, decimals, mode);
  }
  // Gives every field the sum of the widths before it and returns the sum of all widths: the
  // record length without the deletion flag that begins every record.
  std::int32_t ComputeOffsets();
};

// The bytes of a field in one record whose first byte is the deletion flag; a record shorter
// than the field claims gives only the bytes that are there (possibly none).
std::string_view DbfFieldBytes(std::string_view record, const DbfField& field);
