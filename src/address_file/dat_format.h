// Constants of the address.dat layout that the reader and the write-back interpret. Every other
// item is consumed with its size and copied as it stands.
//
// Encodings (little-endian throughout):
//   Integer       4 bytes b0..b3. b3 = 0xFF reads as 0 (the copy keeps the bytes); otherwise the
//                 bytes are the signed 32-bit value, so 0x80..0xFE hold negative numbers such as
//                 dates before 1970.
//   Short         2 bytes, lo + hi * 256.
//   Raw 4         4 bytes, not interpreted.
//   Text          a length, then that many bytes. The length has three forms: one byte below
//                 255; FF then an unsigned two-byte length up to 65,533; FF FF FF then a
//                 four-byte length. FF FE FF marks a UTF-16 text, which Palm Desktop 4.1.4
//                 never writes and Brindle refuses.
//   Typed integer type word (Raw 4, never checked) + Integer.
//   Typed text    type word + second word (never checked) + Text.
// The header holds the category table; the records follow it without a length prefix.
//
// Record items, in file order (I typed integer, T typed text, B bare Integer, R Raw 4), with the
// DatRecord field each one fills. Roles marked "assumed" come from how the export and the sample
// files use them, not from a description of the format:
//    1 I item1          2 I item2 (0 ends the records)   3 I status (over 500 ends the records)
//    4 I recordId       5 I item5                         6 I category
//    7-15 B item15 (the ninth)                           16 B blockMarker (+ block when 1)
//   17 T (not kept)    18 T item18
//   19 T lastName      20 T firstName    21 T title    22 T company          (assumed)
//   23 I item23        24 T address      25-31 T phone1..phone7               (assumed)
//   32-38 I item32..item38 (as decimal text)
//   39-47 T custom1..custom9 (custom9: the service's database identifier)
//   48 I item48        49-53 T item49..item53   54 I item54   55-59 T item55..item59
//   60 I item60        61-67 T item61..item67, item 66 as note (assumed)
//   68-69 I item68, item69 (as decimal text)    70 T item70
//   71-72 B item71, item72    73 R item73    74-76 I item74..item76    77-80 T item77..item80
// Files written by Palm Desktop 4.1.4 start with the tag 0xCAFEBABE (stored little-endian) and
// the text "PalmSG Database"; the reader does not require either.
#pragma once

#include <array>
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
// The first four bytes of a Palm Desktop 4.1.4 file: 0xCAFEBABE, little-endian.
inline constexpr std::array<std::uint8_t, 4> kFileTag = {0xBE, 0xBA, 0xFE, 0xCA};
// A text length byte of this value says that a two-byte length follows.
inline constexpr std::uint8_t kLongTextMark = 0xFF;
// Two-byte lengths of these values are not lengths: the first says that a four-byte length
// follows, the second that the text is stored as UTF-16.
inline constexpr std::uint16_t kFourByteLengthMark = 0xFFFF;
inline constexpr std::uint16_t kUtf16Mark = 0xFFFE;
// Longest text each length form holds. A four-byte length is also bounded by the bytes left in
// the file; the bound keeps memory small whatever a damaged length says.
inline constexpr std::int32_t kMaxShortTextLength = 254;
inline constexpr std::int32_t kMaxTwoByteTextLength = 65533;
inline constexpr std::int64_t kMaxTextLength = 16 * 1024 * 1024;
// Fixed header sizes.
inline constexpr int kTableTexts = 9;       // header item 16: nine (Text, Raw 4) pairs
inline constexpr int kHeaderRaw17 = 10;     // header item 17: ten Raw 4
inline constexpr int kFieldTypeLongs = 42;  // header item 22
inline constexpr int kBareIntegers = 9;     // record items 7 to 15

}  // namespace brindle::dat_format
