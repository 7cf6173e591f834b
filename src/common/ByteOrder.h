#pragma once
// 16- and 32-bit integers and doubles in a byte buffer, big- or little-endian: order 'B' is
// big-endian (most significant byte first), any other character little-endian. Values are
// copied byte by byte, never through text. Every read and write is bounded by the buffer it is
// given: a value that does not fit in the bytes actually there fails and touches nothing.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

using ConstBytes = std::span<const std::uint8_t>;
using MutableBytes = std::span<std::uint8_t>;

inline ConstBytes AsBytes(std::string_view text) {
  return ConstBytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// Value at offset; false (out unchanged) when offset + size exceeds the buffer.
bool ReadInt16(ConstBytes bytes, std::size_t offset, char order, std::int16_t& out);
bool ReadInt32(ConstBytes bytes, std::size_t offset, char order, std::int32_t& out);
bool ReadDouble(ConstBytes bytes, std::size_t offset, char order, double& out);

// Stores the value at offset; false (buffer unchanged) when it does not fit.
bool WriteInt16(std::int16_t value, MutableBytes bytes, std::size_t offset, char order);
bool WriteInt32(std::int32_t value, MutableBytes bytes, std::size_t offset, char order);
bool WriteDouble(double value, MutableBytes bytes, std::size_t offset, char order);

// Appends the value's bytes to a buffer being written.
void AppendInt16(std::string& out, std::int16_t value, char order);
void AppendInt32(std::string& out, std::int32_t value, char order);
void AppendDouble(std::string& out, double value, char order);

// Reads values one after another from a buffer. The first read that would pass the end fails,
// leaves the cursor where it was and sets failed(); later reads fail too.
class ByteReader {
 public:
  explicit ByteReader(ConstBytes bytes) : bytes_(bytes) {}
  explicit ByteReader(std::string_view bytes) : bytes_(AsBytes(bytes)) {}

  bool Int16(char order, std::int16_t& out);
  bool Int32(char order, std::int32_t& out);
  bool Double(char order, double& out);
  bool Skip(std::size_t count);
  bool Seek(std::size_t position);

  std::size_t Position() const { return pos_; }
  std::size_t Remaining() const { return bytes_.size() - pos_; }
  bool Failed() const { return failed_; }

 private:
  template <class T>
  bool Take(char order, T& out);

  ConstBytes bytes_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};
