// Little-endian decoding and encoding of the layout's integers. Every integer of the file goes
// through these helpers.
#pragma once

#include <array>
#include <cstdint>

#include "address_file/dat_types.h"

namespace brindle {

// The two bytes of a 16-bit value: a Short, a text's two-byte length or its mark.
using Bytes2 = std::array<std::uint8_t, 2>;

// Four bytes as an unsigned number, with no special case: a text's four-byte length.
inline std::uint32_t DecodeUnsigned(const Bytes4& b) {
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

// An Integer's value. A last byte of 0xFF reads as 0, as the file's own reader always did;
// 0x80..0xFE give the negative 32-bit value (for example a birthday before 1970).
inline std::int32_t DecodeInteger(const Bytes4& b) {
  if (b[3] == 0xFF) return 0;
  return static_cast<std::int32_t>(DecodeUnsigned(b));
}

inline Bytes4 EncodeInteger(std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
          static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
}

inline std::uint16_t DecodeShort(const Bytes2& b) {
  return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

inline Bytes2 EncodeShort(std::uint16_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
}

}  // namespace brindle
