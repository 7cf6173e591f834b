#include "conversions/shapefiles/DbfFields.h"

DbfField::DbfField(std::string_view name_, char type_, std::int32_t length_, std::int32_t decimals_, int mode)
    : name(name_), type(type_), length(length_), decimals(decimals_) {
  width = length;
  if (type == 'N') {
    if (decimals > 0)
      width = length + decimals + (mode == 1 ? 2 : 1);
    else if (mode == 1)
      width = length + 1;
  }
}

std::int32_t DbfFieldList::ComputeOffsets() {
  std::int32_t running = 0;
  for (DbfField& f : items_) {
    f.offset = running;
    running += f.width;
  }
  return running;
}

std::string_view DbfFieldBytes(std::string_view record, const DbfField& field) {
  if (field.offset < 0 || field.width <= 0) return {};
  const std::size_t start = 1 + static_cast<std::size_t>(field.offset);
  if (start >= record.size()) return {};
  return record.substr(start, static_cast<std::size_t>(field.width));
}
