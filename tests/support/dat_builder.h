// Composes address.dat bytes item by item, for tests and fuzz seeds, through the product's one
// encoder (DatEncoder); the reader's tests check its bytes against the format's own examples.
//
//   std::string bytes = DatBuilder()
//       .Category(3, "Business")
//       .Record(RecordPlan(12, 3).Text(19, "Acme, Inc").LongText(47, "old id"))
//       .Record(RecordPlan(13, 0).Status(129).Block("note", "\x01\x02"))
//       .EndMarker()
//       .Bytes();
//
// Items are numbered as in the record layout: 1 to 6 typed integers (3 status, 4 record id,
// 6 category), 7 to 16 bare integers (16 block marker), 17 to 22 texts, 23 integer, 24 to 31
// texts, 32 to 38 integers, 39 to 47 custom1..custom9, 48 integer, 49 to 53 texts, 54 integer,
// 55 to 59 texts, 60 integer, 61 to 67 texts, 68 and 69 integers, 70 text, 71 and 72 bare
// integers, 73 raw, 74 to 76 integers, 77 to 80 texts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "address_file/dat_encoder.h"

namespace brindle::test {

// The four stored bytes of an Integer (or of a type word, or a Raw 4 item).
struct Int4 {
  std::array<std::uint8_t, 4> b{};
  static Int4 Of(std::int32_t value);  // little-endian
  static Int4 Raw(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);
};

// The form of a text's length: the shortest that holds it (one byte below 255, FF and two
// bytes up to 65,533, FF FF FF and four bytes beyond), or one forced.
using LengthForm = TextLengthForm;

// One record for DatBuilder::Record: its items, set by value or by their stored bytes.
class RecordPlan {
 public:
  explicit RecordPlan(std::int32_t recordId = 1, std::int32_t category = 0);

  RecordPlan& Id(std::int32_t recordId) { return Int(4, recordId); }
  RecordPlan& Category(std::int32_t category) { return Int(6, category); }
  RecordPlan& Status(std::int32_t status) { return Int(3, status); }
  // Any integer item (typed, bare or raw), by value or by its stored bytes.
  RecordPlan& Int(int item, std::int32_t value) { return Raw(item, Int4::Of(value)); }
  RecordPlan& Raw(int item, Int4 bytes);
  // Any text item, with its length in the given form.
  RecordPlan& Text(int item, std::string text, LengthForm form = LengthForm::kShortest);
  // Any text item in the two-byte form: FF, a two-byte length, the bytes.
  RecordPlan& LongText(int item, std::string text) {
    return Text(item, std::move(text), LengthForm::kTwoBytes);
  }
  // The stored bytes of a text item from its length on, as they are (foreign or damaged).
  RecordPlan& TextBytes(int item, std::string stored);
  // customN is item 38 + N.
  RecordPlan& Custom(int n, std::string text) { return Text(38 + n, std::move(text)); }
  // Type word of a typed item (default 1 for integers, 5 for texts).
  RecordPlan& TypeWord(int item, Int4 word);
  // Block marker 1 with the block: name, typed length field, bytes. `length` overrides the
  // stored length (to build damaged blocks).
  RecordPlan& Block(std::string name, std::string bytes,
                    std::optional<std::int32_t> length = std::nullopt);

 private:
  friend class DatBuilder;
  struct TextItem {
    std::string text;
    LengthForm form = LengthForm::kShortest;
    bool raw = false;  // `text` holds the stored bytes, length included
  };
  std::map<int, Int4> ints_;
  std::map<int, TextItem> texts_;
  std::map<int, Int4> typeWords_;
  bool block_ = false;
  std::string blockName_;
  std::string blockBytes_;
  std::optional<std::int32_t> blockLength_;
};

class DatBuilder {
 public:
  DatBuilder();

  // Record count as the header states it (stored + 4096). Default: the number of Record calls.
  DatBuilder& RecordCount(std::int32_t count);
  // The stored bytes of the record-count item, as they are.
  DatBuilder& RecordCountRaw(Int4 stored);
  DatBuilder& HeaderTexts(std::string text1, std::string text2);
  DatBuilder& LeadText(std::string text);
  // The first four bytes. Default: the tag 0xCAFEBABE, little-endian (BE BA FE CA).
  DatBuilder& LeadBytes(Int4 bytes);
  DatBuilder& TableText9(std::string text);
  DatBuilder& HeaderLongs(std::int32_t long1, std::int32_t long2);
  DatBuilder& Category(std::int32_t number, std::string longName, std::string shortName = "");
  DatBuilder& CategoryRaw(Int4 number, std::string longName, std::string shortName = "");
  // The stored category count. Default: the number of Category calls.
  DatBuilder& CategoryCount(std::int32_t count);
  DatBuilder& Record(const RecordPlan& record);
  // The three typed integer fields that end the records (item 2 = 0 by default).
  DatBuilder& EndMarker(std::int32_t item1 = 0, std::int32_t item2 = 0, std::int32_t status = 0);
  // Bytes appended as they are after everything else.
  DatBuilder& Trailing(std::string bytes);

  std::string Bytes() const;
  void WriteTo(const std::filesystem::path& path) const;

  // Offsets into Bytes(): where the header ends, where record i (0-based, in Record call order)
  // starts, and where item `item` of record i starts (its type word, for typed items).
  std::size_t HeaderSize() const;
  std::size_t RecordOffset(std::size_t record) const;
  std::size_t ItemOffset(std::size_t record, int item) const;
  // Offset of the length byte of text item `item` of record i.
  std::size_t TextLengthOffset(std::size_t record, int item) const {
    return ItemOffset(record, item) + 8;
  }

 private:
  struct Image {
    std::string bytes;
    std::size_t headerSize = 0;
    std::vector<std::map<int, std::size_t>> items;  // per record: item -> offset
  };
  struct Segment {
    enum Kind { kRecord, kEnd, kTrailing } kind;
    RecordPlan record;
    std::string bytes;
  };
  struct CategoryEntry {
    Int4 number;
    std::string longName, shortName;
  };
  Image Build() const;
  void AppendHeader(std::string& out) const;
  static void AppendRecord(std::string& out, const RecordPlan& r, std::map<int, std::size_t>& at);

  std::optional<Int4> recordCount_;
  std::optional<std::int32_t> categoryCount_;
  Int4 leadBytes_ = Int4::Raw(0xBE, 0xBA, 0xFE, 0xCA);
  std::string leadText_ = "PalmSG Database";
  std::string headerText1_ = "C:\\Program Files\\Palm\\Tarnwick\\address\\address.dat";
  std::string headerText2_ = "Address";
  std::string tableText9_ = "Custom 4";
  std::int32_t headerLong1_ = 0, headerLong2_ = 0;
  std::vector<CategoryEntry> categories_;
  std::vector<Segment> segments_;
};

// ---- Damage helpers -------------------------------------------------------------------------

// The first `size` bytes.
std::string Truncated(std::string bytes, std::size_t size);
// The bytes with the byte at `offset` set to `value` (e.g. to flip a text length).
std::string WithByte(std::string bytes, std::size_t offset, std::uint8_t value);

// ---- Files ----------------------------------------------------------------------------------

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// A fresh folder under the system's temp folder, removed with its contents when destroyed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace brindle::test
