#include "common/ByteOrder.h"

#include <cstring>
#include <type_traits>

namespace {

bool Fits(std::size_t size, std::size_t offset, std::size_t width) { return offset <= size && width <= size - offset; }

// The value's bytes in memory order, as an unsigned integer.
std::uint64_t Load(const std::uint8_t* p, std::size_t width, char order) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < width; ++i) {
    const std::uint8_t b = order == 'B' ? p[i] : p[width - 1 - i];
    v = (v << 8) | b;
  }
  return v;
}

void Store(std::uint64_t v, std::uint8_t* p, std::size_t width, char order) {
  for (std::size_t i = 0; i < width; ++i) {
    const std::uint8_t b = static_cast<std::uint8_t>(v >> (8 * i));  // least significant first
    if (order == 'B')
      p[width - 1 - i] = b;
    else
      p[i] = b;
  }
}

std::uint64_t BitsOf(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

double DoubleOf(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace

bool ReadInt16(ConstBytes bytes, std::size_t offset, char order, std::int16_t& out) {
  if (!Fits(bytes.size(), offset, 2)) return false;
  out = static_cast<std::int16_t>(static_cast<std::uint16_t>(Load(bytes.data() + offset, 2, order)));
  return true;
}

bool ReadInt32(ConstBytes bytes, std::size_t offset, char order, std::int32_t& out) {
  if (!Fits(bytes.size(), offset, 4)) return false;
  out = static_cast<std::int32_t>(static_cast<std::uint32_t>(Load(bytes.data() + offset, 4, order)));
  return true;
}

bool ReadDouble(ConstBytes bytes, std::size_t offset, char order, double& out) {
  if (!Fits(bytes.size(), offset, 8)) return false;
  out = DoubleOf(Load(bytes.data() + offset, 8, order));
  return true;
}

bool WriteInt16(std::int16_t value, MutableBytes bytes, std::size_t offset, char order) {
  if (!Fits(bytes.size(), offset, 2)) return false;
  Store(static_cast<std::uint16_t>(value), bytes.data() + offset, 2, order);
  return true;
}

bool WriteInt32(std::int32_t value, MutableBytes bytes, std::size_t offset, char order) {
  if (!Fits(bytes.size(), offset, 4)) return false;
  Store(static_cast<std::uint32_t>(value), bytes.data() + offset, 4, order);
  return true;
}

bool WriteDouble(double value, MutableBytes bytes, std::size_t offset, char order) {
  if (!Fits(bytes.size(), offset, 8)) return false;
  Store(BitsOf(value), bytes.data() + offset, 8, order);
  return true;
}

namespace {
void AppendBits(std::string& out, std::uint64_t v, std::size_t width, char order) {
  std::uint8_t buffer[8];
  Store(v, buffer, width, order);
  out.append(reinterpret_cast<const char*>(buffer), width);
}
}  // namespace

void AppendInt16(std::string& out, std::int16_t value, char order) {
  AppendBits(out, static_cast<std::uint16_t>(value), 2, order);
}
void AppendInt32(std::string& out, std::int32_t value, char order) {
  AppendBits(out, static_cast<std::uint32_t>(value), 4, order);
}
void AppendDouble(std::string& out, double value, char order) { AppendBits(out, BitsOf(value), 8, order); }

template <class T>
bool ByteReader::Take(char order, T& out) {
  if (failed_) return false;
  T value{};
  bool ok;
  if constexpr (sizeof(T) == 2)
    ok = ReadInt16(bytes_, pos_, order, value);
  else if constexpr (std::is_same_v<T, double>)
    ok = ReadDouble(bytes_, pos_, order, value);
  else
    ok = ReadInt32(bytes_, pos_, order, value);
  if (!ok) {
    failed_ = true;
    return false;
  }
  pos_ += sizeof(T);
  out = value;
  return true;
}

bool ByteReader::Int16(char order, std::int16_t& out) { return Take(order, out); }
bool ByteReader::Int32(char order, std::int32_t& out) { return Take(order, out); }
bool ByteReader::Double(char order, double& out) { return Take(order, out); }

bool ByteReader::Skip(std::size_t count) {
  if (failed_ || count > Remaining()) {
    failed_ = true;
    return false;
  }
  pos_ += count;
  return true;
}

bool ByteReader::Seek(std::size_t position) {
  if (failed_ || position > bytes_.size()) {
    failed_ = true;
    return false;
  }
  pos_ = position;
  return true;
}
