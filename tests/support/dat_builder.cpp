#include "support/dat_builder.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "address_file/dat_codec.h"
#include "address_file/dat_encoder.h"

namespace brindle::test {

namespace fs = std::filesystem;

namespace {

enum class Kind { Typed, Text, Bare, Raw };

Kind KindOf(int item) {
  if (item >= 7 && item <= 16) return Kind::Bare;
  if (item == 71 || item == 72) return Kind::Bare;
  if (item == 73) return Kind::Raw;
  const bool text = (item >= 17 && item <= 22) || (item >= 24 && item <= 31) ||
                    (item >= 39 && item <= 47) || (item >= 49 && item <= 53) ||
                    (item >= 55 && item <= 59) || (item >= 61 && item <= 67) || item == 70 ||
                    (item >= 77 && item <= 80);
  return text ? Kind::Text : Kind::Typed;
}

void Put(std::string& out, const Int4& v) { DatEncoder(out).Raw(v.b); }
void PutInt(std::string& out, std::int32_t v) { DatEncoder(out).Long(v); }
void PutShort(std::string& out, int v) { DatEncoder(out).Short(v); }
void PutText(std::string& out, const std::string& text, LengthForm form = LengthForm::kShortest) {
  DatEncoder(out).Text(text, form);
}

}  // namespace

Int4 Int4::Of(std::int32_t value) { return Int4{EncodeInteger(value)}; }

Int4 Int4::Raw(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
  return Int4{{b0, b1, b2, b3}};
}

// ---- RecordPlan -------------------------------------------------------------------------------

RecordPlan::RecordPlan(std::int32_t recordId, std::int32_t category) {
  Int(1, 1);
  Int(2, 1);  // item 2 = 0 would mark the end of the records
  Id(recordId);
  Category(category);
}

RecordPlan& RecordPlan::Raw(int item, Int4 bytes) {
  if (KindOf(item) == Kind::Text) throw std::invalid_argument("item is a text");
  ints_[item] = bytes;
  return *this;
}

RecordPlan& RecordPlan::Text(int item, std::string text, LengthForm form) {
  if (KindOf(item) != Kind::Text) throw std::invalid_argument("item is not a text");
  texts_[item] = {std::move(text), form, false};
  return *this;
}

RecordPlan& RecordPlan::TextBytes(int item, std::string stored) {
  if (KindOf(item) != Kind::Text) throw std::invalid_argument("item is not a text");
  texts_[item] = {std::move(stored), LengthForm::kShortest, true};
  return *this;
}

RecordPlan& RecordPlan::TypeWord(int item, Int4 word) {
  typeWords_[item] = word;
  return *this;
}

RecordPlan& RecordPlan::Block(std::string name, std::string bytes,
                              std::optional<std::int32_t> length) {
  block_ = true;
  Int(16, 1);
  blockName_ = std::move(name);
  blockBytes_ = std::move(bytes);
  blockLength_ = length;
  return *this;
}

// ---- DatBuilder -------------------------------------------------------------------------------

DatBuilder::DatBuilder() = default;

DatBuilder& DatBuilder::RecordCount(std::int32_t count) {
  recordCount_ = Int4::Of(count + 4096);
  return *this;
}
DatBuilder& DatBuilder::RecordCountRaw(Int4 stored) {
  recordCount_ = stored;
  return *this;
}
DatBuilder& DatBuilder::HeaderTexts(std::string text1, std::string text2) {
  headerText1_ = std::move(text1);
  headerText2_ = std::move(text2);
  return *this;
}
DatBuilder& DatBuilder::LeadBytes(Int4 bytes) {
  leadBytes_ = bytes;
  return *this;
}
DatBuilder& DatBuilder::LeadText(std::string text) {
  leadText_ = std::move(text);
  return *this;
}
DatBuilder& DatBuilder::TableText9(std::string text) {
  tableText9_ = std::move(text);
  return *this;
}
DatBuilder& DatBuilder::HeaderLongs(std::int32_t long1, std::int32_t long2) {
  headerLong1_ = long1;
  headerLong2_ = long2;
  return *this;
}
DatBuilder& DatBuilder::Category(std::int32_t number, std::string longName, std::string shortName) {
  return CategoryRaw(Int4::Of(number), std::move(longName), std::move(shortName));
}
DatBuilder& DatBuilder::CategoryRaw(Int4 number, std::string longName, std::string shortName) {
  categories_.push_back({number, std::move(longName), std::move(shortName)});
  return *this;
}
DatBuilder& DatBuilder::CategoryCount(std::int32_t count) {
  categoryCount_ = count;
  return *this;
}
DatBuilder& DatBuilder::Record(const RecordPlan& record) {
  segments_.push_back({Segment::kRecord, record, {}});
  return *this;
}
DatBuilder& DatBuilder::EndMarker(std::int32_t item1, std::int32_t item2, std::int32_t status) {
  std::string bytes;
  for (std::int32_t v : {item1, item2, status}) {
    PutInt(bytes, 1);
    PutInt(bytes, v);
  }
  segments_.push_back({Segment::kEnd, RecordPlan(), std::move(bytes)});
  return *this;
}
DatBuilder& DatBuilder::Trailing(std::string bytes) {
  segments_.push_back({Segment::kTrailing, RecordPlan(), std::move(bytes)});
  return *this;
}

void DatBuilder::AppendHeader(std::string& out) const {
  Put(out, leadBytes_);                            // item 1
  PutText(out, leadText_);                         // item 2
  out += "00RV";                                   // item 3
  PutInt(out, 0x00010004);                         // item 4
  for (int i = 0; i < 3; ++i) PutInt(out, i + 1);  // items 5 to 7
  std::int32_t records = 0;
  for (const Segment& s : segments_) records += s.kind == Segment::kRecord ? 1 : 0;
  Put(out, recordCount_.value_or(Int4::Of(records + 4096)));  // item 8
  PutInt(out, 0);
  PutInt(out, 7);  // items 9, 10
  PutText(out, headerText1_);
  PutText(out, headerText2_);  // items 11, 12
  PutInt(out, 0);
  PutInt(out, 0);                 // items 13, 14
  PutShort(out, 1);               // item 15
  for (int i = 1; i <= 9; ++i) {  // item 16
    PutText(out, i == 9 ? tableText9_ : "Custom " + std::to_string(i));
    PutInt(out, i);
  }
  for (int i = 0; i < 10; ++i) PutInt(out, 0);  // item 17
  PutShort(out, 0);                             // item 18
  PutInt(out, headerLong1_);                    // item 19
  PutInt(out, categoryCount_.value_or(static_cast<std::int32_t>(categories_.size())));
  for (const CategoryEntry& c : categories_) {  // item 21
    Put(out, c.number);
    PutInt(out, 0);
    PutInt(out, 0);
    PutText(out, c.longName);
    PutText(out, c.shortName);
  }
  for (int i = 1; i <= 42; ++i) PutInt(out, KindOf(i + 2) == Kind::Text ? 5 : 1);  // item 22
  PutInt(out, headerLong2_);                                                       // item 23
}

void DatBuilder::AppendRecord(std::string& out, const RecordPlan& r,
                              std::map<int, std::size_t>& at) {
  for (int item = 1; item <= 80; ++item) {
    at[item] = out.size();
    const Kind kind = KindOf(item);
    const auto word = r.typeWords_.find(item);
    if (kind == Kind::Typed || kind == Kind::Text) {
      Put(out, word != r.typeWords_.end() ? word->second : Int4::Of(kind == Kind::Text ? 5 : 1));
    }
    if (kind == Kind::Text) {
      PutInt(out, 0);  // second word
      const auto t = r.texts_.find(item);
      if (t == r.texts_.end()) {
        PutText(out, "");
      } else if (t->second.raw) {
        out += t->second.text;
      } else {
        PutText(out, t->second.text, t->second.form);
      }
      continue;
    }
    const auto v = r.ints_.find(item);
    Put(out, v != r.ints_.end() ? v->second : Int4::Of(0));
    if (item == 16 && r.block_) {
      PutText(out, r.blockName_);
      PutInt(out, 1);
      PutInt(out, r.blockLength_.value_or(static_cast<std::int32_t>(r.blockBytes_.size())));
      out += r.blockBytes_;
    }
  }
}

DatBuilder::Image DatBuilder::Build() const {
  Image image;
  AppendHeader(image.bytes);
  image.headerSize = image.bytes.size();
  for (const Segment& s : segments_) {
    if (s.kind == Segment::kRecord) {
      image.items.emplace_back();
      AppendRecord(image.bytes, s.record, image.items.back());
    } else {
      image.bytes += s.bytes;
    }
  }
  return image;
}

std::string DatBuilder::Bytes() const { return Build().bytes; }
void DatBuilder::WriteTo(const fs::path& path) const { WriteFileBytes(path, Bytes()); }
std::size_t DatBuilder::HeaderSize() const { return Build().headerSize; }
std::size_t DatBuilder::RecordOffset(std::size_t record) const {
  return Build().items.at(record).at(1);
}
std::size_t DatBuilder::ItemOffset(std::size_t record, int item) const {
  return Build().items.at(record).at(item);
}

// ---- Damage and files -------------------------------------------------------------------------

std::string Truncated(std::string bytes, std::size_t size) {
  bytes.resize(std::min(size, bytes.size()));
  return bytes;
}

std::string WithByte(std::string bytes, std::size_t offset, std::uint8_t value) {
  bytes.at(offset) = static_cast<char>(value);
  return bytes;
}

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

TempDir::TempDir() {
  std::random_device rd;
  std::mt19937_64 rng(rd());
  for (;;) {
    path_ = fs::temp_directory_path() / ("brindle-test-" + std::to_string(rng()));
    if (fs::create_directory(path_)) return;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace brindle::test
