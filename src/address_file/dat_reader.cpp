#include "address_file/dat_reader.h"

#include <algorithm>
#include <array>

#include "address_file/dat_codec.h"
#include "address_file/dat_error.h"
#include "address_file/dat_format.h"

namespace brindle {

namespace fmt = dat_format;

namespace {

std::string At(std::int64_t offset) { return " at offset " + std::to_string(offset); }

constexpr const char* kOtherKindOfFile =
    "The file does not look like an address.dat of Palm Desktop 4.1.4: files from Palm Desktop "
    "4.1 and earlier have another layout, and Palm Desktop 6 keeps its contacts in an Access "
    "database.";

// Fields that the layout holds in 16 bits must fit them.
std::int16_t Narrow16(std::int32_t value, const char* what, std::int64_t offset) {
  if (value < INT16_MIN || value > INT16_MAX) {
    throw DatError(
        std::string(what) + " " + std::to_string(value) + At(offset) + " does not fit in 16 bits",
        offset, DatError::Kind::kLayout);
  }
  return static_cast<std::int16_t>(value);
}

}  // namespace

// ---- Primitives -------------------------------------------------------------------------

// In copy mode the input hands every consumed byte to the reader (DatInput::Tee) while a
// ReadHeader or ReadRecord runs, so the primitives below only read.
class DatReader::CopySpan {
 public:
  CopySpan(DatReader& reader, DatInput& in) : in_(in), on_(reader.copying()) {
    if (on_) in.AttachTee(&reader);
  }
  // Writes the bytes still pending; writePos is then exact again.
  void Finish() {
    if (on_) in_.DetachTee();
    on_ = false;
  }
  // After a failure the pending bytes are not written: the copy is abandoned.
  ~CopySpan() {
    if (on_) in_.DropTee();
  }
  CopySpan(const CopySpan&) = delete;
  CopySpan& operator=(const CopySpan&) = delete;

 private:
  DatInput& in_;
  bool on_;
};

void DatReader::Take(DatInput& in, void* dst, std::size_t n, const char* what) {
  in.Read(dst, n, what);
}

std::int32_t DatReader::ReadLong(DatInput& in, const char* what) {
  return DecodeInteger(ReadBytes4(in, what));
}

std::int32_t DatReader::ReadShort(DatInput& in, const char* what) {
  Bytes2 b{};
  Take(in, b.data(), b.size(), what);
  return DecodeShort(b);
}

Bytes4 DatReader::ReadBytes4(DatInput& in, const char* what) {
  Bytes4 b;
  in.ReadFixed<4>(b.data(), what);
  return b;
}

std::size_t DatReader::ReadLength(DatInput& in, const char* what) {
  std::uint8_t mark = 0;
  Take(in, &mark, 1, what);
  if (mark != fmt::kLongTextMark) return mark;
  return ReadLongLength(in, what);
}

// Called after a length byte FF: the two-byte length, or the four-byte one that FF FF FF
// announces. The four-byte length is checked before anything is allocated for the text.
std::size_t DatReader::ReadLongLength(DatInput& in, const char* what) {
  const std::int64_t at = in.offset() - 1;
  Bytes2 two{};
  Take(in, two.data(), two.size(), what);
  const std::uint16_t n16 = DecodeShort(two);
  if (n16 == fmt::kUtf16Mark) {
    throw DatError(std::string(what) + At(at) +
                       " is a text stored as UTF-16 (marked FF FE FF), which Palm Desktop "
                       "4.1.4 does not write",
                   at, DatError::Kind::kLayout);
  }
  if (n16 != fmt::kFourByteLengthMark) return n16;
  const std::int64_t n = DecodeUnsigned(ReadBytes4(in, what));
  const std::int64_t left = in.Remaining();
  if (n > fmt::kMaxTextLength || (left >= 0 && n > left)) {
    throw DatError(std::string(what) + " length " + std::to_string(n) + At(at) +
                       (n > fmt::kMaxTextLength ? " is over the 16 MiB a text may hold"
                                                : " runs past the end of the file (" +
                                                      std::to_string(left) + " bytes left)"),
                   at, DatError::Kind::kLayout);
  }
  return static_cast<std::size_t>(n);
}

std::string DatReader::ReadCString(DatInput& in, const char* what) {
  const std::size_t n = ReadLength(in, what);
  std::string text;
  in.ReadText(text, n, what);
  return text;
}

std::int32_t DatReader::ReadIntField(DatInput& in, const char* what) {
  ReadBytes4(in, what);  // type word
  return ReadLong(in, what);
}

std::string DatReader::ReadTextField(DatInput& in, const char* what) {
  // Type word, second word and the length byte in one read: this is the reader's hottest path.
  std::array<std::uint8_t, 9> head;
  in.ReadFixed<9>(head.data(), what);
  std::size_t n = head[8];
  if (n == fmt::kLongTextMark) n = ReadLongLength(in, what);
  if (!keepTexts_) {
    in.Skip(n, what);
    return {};
  }
  std::string text;
  in.ReadText(text, n, what);
  return text;
}

void DatReader::SkipBytes(DatInput& in, std::int32_t count, const char* what) {
  std::array<char, 4096> chunk{};
  while (count > 0) {
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(count), chunk.size());
    Take(in, chunk.data(), n, what);
    count -= static_cast<std::int32_t>(n);
  }
}

DatCategory DatReader::ReadCategory(DatInput& in) {
  DatCategory c;
  const std::int64_t at = in.offset();
  c.number = ReadLong(in, "category number");
  const std::int16_t number16 = Narrow16(c.number, "category number", at);
  c.value2 = ReadLong(in, "category entry");
  c.value3 = ReadLong(in, "category entry");
  c.longName = ReadCString(in, "category long name");
  c.shortName = ReadCString(in, "category short name");
  categoryNames_.push_back(c.longName);
  categoryNumbers_.push_back(number16);
  return c;
}

void DatReader::PatchLong(std::int32_t value, std::int64_t position) {
  mirrorFile_->Patch(position, EncodeInteger(value));
}

void DatReader::ReplaceTextField(DatInput& in, const std::string& text, const char* what) {
  ReadBytes4(in, what);  // type word, copied
  ReadBytes4(in, what);  // second word, copied
  // The old text is consumed but not copied.
  DatInput::Tee* tee = in.DetachTee();
  ReadCString(in, what);
  in.AttachTee(tee);
  if (text.size() > static_cast<std::size_t>(fmt::kMaxShortTextLength)) {
    throw DatError("database identifier longer than 254 characters", in.offset());
  }
  const auto length = static_cast<std::uint8_t>(text.size());
  Mirror(&length, 1);
  Mirror(text.data(), text.size());
}

// ---- Header -------------------------------------------------------------------------------

DatHeader DatReader::ReadHeader(DatInput& in) {
  writePos_ = 0;
  recordIndex_ = 0;
  keepTexts_ = true;
  replacePending_ = false;
  tagged_ = false;
  categoryNames_.assign(1, std::string());
  categoryNumbers_.assign(1, 0);
  CopySpan copy(*this, in);
  DatHeader h;
  try {
    ReadHeaderItems(in, h);
    ReadCategoryTable(in, h);
  } catch (const DatError& e) {
    throw Explained(e, "");
  }
  copy.Finish();
  return h;
}

void DatReader::ReadCategoryTable(DatInput& in, DatHeader& h) {
  const std::int64_t at = in.offset();
  h.categoryCount = ReadLong(in, "category count");
  if (h.categoryCount < 0 || h.categoryCount > INT16_MAX) {
    throw DatError(
        "category count " + std::to_string(h.categoryCount) + At(at) + " is outside 0 to 32767", at,
        DatError::Kind::kLayout);
  }
  h.categories.reserve(std::min<std::size_t>(static_cast<std::size_t>(h.categoryCount) + 1, 64));
  h.categories.emplace_back();
  for (std::int32_t i = 1; i <= h.categoryCount; ++i) h.categories.push_back(ReadCategory(in));
  for (int i = 0; i < fmt::kFieldTypeLongs; ++i) ReadLong(in, "field type table");
  h.headerLong2 = ReadLong(in, "header integer");
}

// Bytes that do not fit the layout, in a file without Palm Desktop 4.1.4's tag, most likely
// come from another kind of file; the message says so, since the user cannot tell otherwise.
DatError DatReader::Explained(const DatError& e, const std::string& context) const {
  std::string message = context + e.what();
  if (e.kind() == DatError::Kind::kLayout && !tagged_) {
    message += std::string(". ") + kOtherKindOfFile;
  }
  return DatError(message, e.offset(), e.kind());
}

void DatReader::ReadHeaderItems(DatInput& in, DatHeader& h) {
  h.leadBytes = ReadBytes4(in, "header lead bytes");
  tagged_ = h.leadBytes == fmt::kFileTag;
  h.leadText = ReadCString(in, "header lead text");
  ReadBytes4(in, "header bytes");
  h.headerBytes4 = ReadBytes4(in, "header bytes");
  for (int i = 0; i < 3; ++i) ReadBytes4(in, "header bytes");
  const Bytes4 count = ReadBytes4(in, "record count");
  // Computed in 64 bits: a damaged count must not overflow; a negative count reads nothing.
  const std::int64_t stored = DecodeInteger(count);
  h.recordCount = count[3] == 0xFF ? 0
                                   : static_cast<std::int32_t>(std::max<std::int64_t>(
                                         stored - fmt::kRecordCountBias, INT32_MIN));
  for (int i = 0; i < 2; ++i) ReadBytes4(in, "header bytes");
  h.headerText1 = ReadCString(in, "header text");
  h.headerText2 = ReadCString(in, "header text");
  for (int i = 0; i < 2; ++i) ReadBytes4(in, "header bytes");
  ReadShort(in, "header short");
  for (int i = 0; i < fmt::kTableTexts; ++i) {
    h.tableText9 = ReadCString(in, "header table text");
    ReadBytes4(in, "header table bytes");
  }
  for (int i = 0; i < fmt::kHeaderRaw17; ++i) ReadBytes4(in, "header bytes");
  ReadShort(in, "header short");
  h.headerLong1 = ReadLong(in, "header integer");
}

// ---- Records ------------------------------------------------------------------------------

std::optional<DatRecord> DatReader::ReadRecord(DatInput& in, RecordTexts texts) {
  keepTexts_ = texts == RecordTexts::kKeep;
  replacePending_ = false;
  ++recordIndex_;
  const std::int64_t start = in.offset();
  std::optional<DatRecord> rec(std::in_place);
  CopySpan copy(*this, in);
  try {
    rec->item1 = ReadIntField(in, "item 1");
    rec->item2 = ReadIntField(in, "item 2");
    rec->status = ReadIntField(in, "status");
    if (rec->status > fmt::kEndStatus || rec->item2 == 0) {
      copy.Finish();
      rec.reset();
      return rec;  // every return names `rec`, so the record is built in the caller's place
    }
    rec->recordId = ReadIntField(in, "record identifier");
    if (copying()) {
      const auto match = resultTable_.find(rec->recordId);
      if (match != resultTable_.end()) {
        in.FlushTee();  // writePos must count the status bytes before they are patched
        PatchLong(fmt::kImportedStatus, writePos_ - 8);
        replacePending_ = true;
        replacement_ = match->second;
      }
    }
    ReadRecordBody(in, *rec);
    ReadRecordTail(in, *rec);
    copy.Finish();
  } catch (const DatError& e) {
    replacePending_ = false;
    throw Explained(e, "record " + std::to_string(recordIndex_) + " (starting" + At(start) + "): ");
  }
  return rec;
}

void DatReader::ReadRecordBody(DatInput& in, DatRecord& rec) {
  rec.item5 = ReadIntField(in, "item 5");
  rec.category = ReadIntField(in, "category");
  std::int32_t bare = 0;
  for (int i = 0; i < fmt::kBareIntegers; ++i) bare = ReadLong(in, "items 7 to 15");
  rec.item15 = std::to_string(bare);
  std::int64_t at = in.offset();
  rec.blockMarker = Narrow16(ReadLong(in, "block marker"), "block marker", at);
  if (rec.blockMarker == fmt::kBlockFollows) {
    rec.blockName = ReadCString(in, "block name");
    at = in.offset() + 4;
    rec.blockLength = ReadIntField(in, "block length");
    if (rec.blockLength < 0 || rec.blockLength > INT16_MAX) {
      throw DatError(
          "block length " + std::to_string(rec.blockLength) + At(at) + " is outside 0 to 32767", at,
          DatError::Kind::kLayout);
    }
    SkipBytes(in, rec.blockLength, "block");
  }
  ReadTextField(in, "item 17");
  rec.item18 = ReadTextField(in, "item 18");
  rec.lastName = ReadTextField(in, "item 19");
  rec.firstName = ReadTextField(in, "item 20");
  rec.title = ReadTextField(in, "item 21");
  rec.company = ReadTextField(in, "item 22");
  rec.item23 = ReadIntField(in, "item 23");
  std::string* texts24[] = {&rec.address, &rec.phone1, &rec.phone2, &rec.phone3,
                            &rec.phone4,  &rec.phone5, &rec.phone6, &rec.phone7};
  for (std::string* t : texts24) *t = ReadTextField(in, "items 24 to 31");
  std::string* ints32[] = {&rec.item32, &rec.item33, &rec.item34, &rec.item35,
                           &rec.item36, &rec.item37, &rec.item38};
  for (std::string* t : ints32) *t = std::to_string(ReadIntField(in, "items 32 to 38"));
  std::string* customs[] = {&rec.custom1, &rec.custom2, &rec.custom3, &rec.custom4,
                            &rec.custom5, &rec.custom6, &rec.custom7, &rec.custom8};
  for (std::string* t : customs) *t = ReadTextField(in, "custom1 to custom8");
  if (replacePending_) {
    ReplaceTextField(in, replacement_, "custom9");
  } else {
    rec.custom9 = ReadTextField(in, "custom9");
  }
  replacePending_ = false;
}

void DatReader::ReadRecordTail(DatInput& in, DatRecord& rec) {
  rec.item48 = ReadIntField(in, "item 48");
  for (std::string* t : {&rec.item49, &rec.item50, &rec.item51, &rec.item52, &rec.item53}) {
    *t = ReadTextField(in, "items 49 to 53");
  }
  rec.item54 = ReadIntField(in, "item 54");
  for (std::string* t : {&rec.item55, &rec.item56, &rec.item57, &rec.item58, &rec.item59}) {
    *t = ReadTextField(in, "items 55 to 59");
  }
  rec.item60 = ReadIntField(in, "item 60");
  for (std::string* t :
       {&rec.item61, &rec.item62, &rec.item63, &rec.item64, &rec.item65, &rec.note, &rec.item67}) {
    *t = ReadTextField(in, "items 61 to 67");
  }
  rec.item68 = std::to_string(ReadIntField(in, "item 68"));
  rec.item69 = std::to_string(ReadIntField(in, "item 69"));
  rec.item70 = ReadTextField(in, "item 70");
  rec.item71 = ReadLong(in, "item 71");
  rec.item72 = ReadLong(in, "item 72");
  rec.item73 = ReadBytes4(in, "item 73");
  std::int64_t at = in.offset() + 4;
  rec.item74 = Narrow16(ReadIntField(in, "item 74"), "item 74", at);
  at = in.offset() + 4;
  rec.item75 = Narrow16(ReadIntField(in, "item 75"), "item 75", at);
  rec.item76 = ReadIntField(in, "item 76");
  for (std::string* t : {&rec.item77, &rec.item78, &rec.item79, &rec.item80}) {
    *t = ReadTextField(in, "items 77 to 80");
  }
}

// ---- Copy mode and record loop -----------------------------------------------------------

DatCopy::DatCopy(DatReader& reader, DatOutput& out, ResultTable table) : reader_(reader) {
  reader_.resultTable_ = std::move(table);
  reader_.mirrorFile_ = &out;
}

DatCopy::~DatCopy() {
  reader_.mirrorFile_ = nullptr;
  reader_.replacePending_ = false;
}

std::int32_t ForEachRecord(DatReader& reader, DatInput& in, std::int32_t recordCount,
                           const RecordVisitor& visit, DatReader::RecordTexts texts) {
  std::int32_t read = 0;
  while (read < recordCount) {
    const std::int64_t start = in.offset();
    const std::optional<DatRecord> rec = reader.ReadRecord(in, texts);
    if (!rec) break;
    ++read;
    visit(*rec, start);
  }
  return read;
}

// ---- Categories ---------------------------------------------------------------------------

std::string DatReader::CategoryName(std::int32_t number) const {
  std::string name;
  for (std::size_t p = 0; p < categoryNumbers_.size(); ++p) {
    if (categoryNumbers_[p] == number) name = categoryNames_[p];
  }
  if (number == 0) return "unfiled";
  return name;
}

}  // namespace brindle
