// Constants of the address.dat layout that the reader and the write-back interpret. Every other
// item is consumed with its size and copied as it stands.
//
// Encodings (little-endian throughout):
//   Integer       4 bytes b0..b3. b3 = 0xFF reads as 0 (the copy keeps the bytes); otherwise the
//                 bytes are the signed 32-bit value, so 0x80..0xFE hold negative numbers such as
//                 dates before 1970.
//   Short         2 bytes, lo + hi * 256.
//   Raw 4         4 bytes, not interpreted.
//   Text          length byte L; L = 255 means a Short length follows (0..32767); then the bytes.
//   Typed integer type word (Raw 4, never checked) + Integer.
//   Typed text    type word + second word (never checked) + Text.
// The header holds the category table; the records follow it without a length prefix.
#pragma once

#include <cstdint>

namespace brindle::dat_format {

// The header's record count is stored with this added.
inline constexpr std::int32_t kRecordCountBias = 4096;
// A state code above this marks the end of the records (500 itself is a valid state).
inline constexpr std::int32_t kEndStatus = 500;
// The export leaves out records in this state.
inline constexpr std::int32_t kSkippedStatus = 129;
// The state the write-back gives a record that the service imported.
inline constexpr std::int32_t kImportedStatus = 2;
// A record whose block marker equals this carries an extra block after it.
inline constexpr std::int32_t kBlockFollows = 1;
// A text length byte of this value says that a two-byte length follows.
inline constexpr std::uint8_t kLongTextMark = 0xFF;
// Longest text the layout holds, and longest the one-byte length form holds.
inline constexpr std::int32_t kMaxTextLength = 32767;
inline constexpr std::int32_t kMaxShortTextLength = 254;
// Fixed header sizes.
inline constexpr int kTableTexts = 9;       // header item 16: nine (Text, Raw 4) pairs
inline constexpr int kHeaderRaw17 = 10;     // header item 17: ten Raw 4
inline constexpr int kFieldTypeLongs = 42;  // header item 22
inline constexpr int kBareIntegers = 9;     // record items 7 to 15

}  // namespace brindle::dat_format
