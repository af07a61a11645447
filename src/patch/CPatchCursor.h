#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

/// Reads a patch's bytes front to back without ever stepping past the end it was given.
class CPatchCursor final {
 public:
  CPatchCursor(std::string_view bytes, size_t start, size_t end)
      : m_bytes(bytes.substr(0, end)), m_pos(start < m_bytes.size() ? start : m_bytes.size()) {}

  size_t Position() const { return m_pos; }
  size_t Left() const { return m_bytes.size() - m_pos; }
  bool AtEnd() const { return m_pos >= m_bytes.size(); }

  bool Skip(uint64_t count) {
    if (count > Left())
      return false;
    m_pos += static_cast<size_t>(count);
    return true;
  }
  bool ReadByte(uint8_t& value) {
    if (AtEnd())
      return false;
    value = static_cast<uint8_t>(m_bytes[m_pos++]);
    return true;
  }
  /// `count` (at most 4) bytes, most significant first.
  bool ReadBigEndian(int count, uint32_t& value) {
    if (static_cast<size_t>(count) > Left())
      return false;
    value = 0;
    for (int i = 0; i < count; ++i)
      value = (value << 8) | static_cast<uint8_t>(m_bytes[m_pos++]);
    return true;
  }

  enum class Number { Read, Cut, TooLarge };
  /// A number as BPS and UPS write them: seven bits a byte, least significant first, the last
  /// byte marked by its top bit, each longer form starting where the shorter ones end.
  Number ReadNumber(uint64_t& value) {
    value = 0;
    uint64_t shift = 1;
    for (;;) {
      uint8_t byte = 0;
      if (!ReadByte(byte))
        return Number::Cut;
      uint64_t part = 0;
      if (__builtin_mul_overflow(static_cast<uint64_t>(byte & 0x7f), shift, &part) ||
          __builtin_add_overflow(value, part, &value)) {
        return Number::TooLarge;
      }
      if (byte & 0x80)
        return Number::Read;
      if (shift > (UINT64_MAX >> 7) || __builtin_add_overflow(value, shift << 7, &value))
        return Number::TooLarge;
      shift <<= 7;
    }
  }

 private:
  std::string_view m_bytes;
  size_t m_pos;
};
