// Little-endian decoding and encoding of the layout's integers. Every integer of the file goes
// through these helpers.
#pragma once

#include <cstdint>

#include "address_file/dat_types.h"

namespace brindle {

// An Integer's value. A last byte of 0xFF reads as 0, as the file's own reader always did;
// 0x80..0xFE give the negative 32-bit value (for example a birthday before 1970).
inline std::int32_t DecodeInteger(const Bytes4& b) {
  if (b[3] == 0xFF) return 0;
  const std::uint32_t u = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                          static_cast<std::uint32_t>(b[2]) << 16 |
                          static_cast<std::uint32_t>(b[3]) << 24;
  return static_cast<std::int32_t>(u);
}

// Four bytes as an unsigned number, with no special case: a text's four-byte length.
inline std::uint32_t DecodeUnsigned(const Bytes4& b) {
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

inline Bytes4 EncodeInteger(std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
          static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
}

}  // namespace brindle
