// DatReader walks an address.dat from front to back, one item at a time. In copy mode (while a
// DatCopy lives) every byte it consumes is also written to an output file, so reading a whole
// file copies it; the write-back uses this, with two hooks that change matched records on the
// way.
//
// Errors of the address-file layer: every failure is a DatError (dat_error.h), which says what
// was read or written where; the platform's FileError becomes a DatError in one place only,
// dat_files.cpp. Pure code on the standard library apart from the file functions there.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "address_file/dat_error.h"
#include "address_file/dat_input.h"
#include "address_file/dat_output.h"
#include "address_file/dat_types.h"

namespace brindle {

// Record identifier -> database identifier; the later result row for an identifier wins.
using ResultTable = std::unordered_map<std::int32_t, std::string>;

class DatReader : private DatInput::Tee {
 public:
  // True while a DatCopy has copy mode on.
  bool copying() const { return mirrorFile_ != nullptr; }
  const ResultTable& resultTable() const { return resultTable_; }

  // Must be the first read on a freshly opened input. Resets writePos and the category tables.
  DatHeader ReadHeader(DatInput& in);
  // Reads one record, or the three fields that mark the end of the records (then returns
  // nothing). In copy mode, a record whose id is in the result table gets status 2 and the
  // table's text as custom9 in the output.
  // With kSkip the record's texts are consumed (and copied) but not kept: the write-back needs
  // only the identifiers, and building some fifty texts per record is most of its parsing.
  enum class RecordTexts { kKeep, kSkip };
  [[nodiscard]] std::optional<DatRecord> ReadRecord(DatInput& in,
                                                    RecordTexts texts = RecordTexts::kKeep);
  // Long name of a category number as of the last ReadHeader; "unfiled" for 0; "" if unknown.
  std::string CategoryName(std::int32_t number) const;

  // 1-based position of the last byte written in copy mode; 0 when nothing has been written.
  std::int64_t writePos() const { return writePos_; }

 private:
  friend class DatCopy;

  // Primitives: each consumes one item of the layout and, in copy mode, mirrors its bytes.
  // `what` names the item in error messages.
  void Take(DatInput& in, void* dst, std::size_t n, const char* what);
  std::int32_t ReadLong(DatInput& in, const char* what);
  std::int32_t ReadShort(DatInput& in, const char* what);
  Bytes4 ReadBytes4(DatInput& in, const char* what);
  std::string ReadCString(DatInput& in, const char* what);
  std::int32_t ReadIntField(DatInput& in, const char* what);
  std::string ReadTextField(DatInput& in, const char* what);
  void SkipBytes(DatInput& in, std::int32_t count, const char* what);
  DatCategory ReadCategory(DatInput& in);
  void PatchLong(std::int32_t value, std::int64_t position);
  void ReplaceTextField(DatInput& in, const std::string& text, const char* what);
  // REQUIRES: copying().
  void Mirror(const void* data, std::size_t n) {
    mirrorFile_->Write(data, n);
    writePos_ += static_cast<std::int64_t>(n);
  }
  // Copy mode's bytes arrive from the input in spans.
  void Pass(const char* data, std::size_t n) override { Mirror(data, n); }
  class CopySpan;

  void ReadHeaderItems(DatInput& in, DatHeader& header);
  void ReadRecordBody(DatInput& in, DatRecord& rec);
  void ReadRecordTail(DatInput& in, DatRecord& rec);
  void ReadCategoryTable(DatInput& in, DatHeader& header);
  std::size_t ReadLength(DatInput& in, const char* what);
  std::size_t ReadLongLength(DatInput& in, const char* what);
  // `e` with `context` before it and, for a layout error in a file without the tag, a note.
  DatError Explained(const DatError& e, const std::string& context) const;

  DatOutput* mirrorFile_ = nullptr;  // copy mode is on while set
  std::int64_t writePos_ = 0;
  ResultTable resultTable_;
  bool replacePending_ = false;
  bool keepTexts_ = true;  // ReadTextField keeps what it reads
  std::string replacement_;
  std::vector<std::string> categoryNames_;
  std::vector<std::int16_t> categoryNumbers_;
  std::int64_t recordIndex_ = 0;  // records read since ReadHeader, for error messages
  bool tagged_ = true;            // the file starts with Palm Desktop 4.1.4's tag
};

// Copy mode for the copy's lifetime: every byte the reader consumes is also written to `out`,
// and records named in `table` are changed on the way. Copy mode ends with the object, however
// the copy ends. REQUIRES: `out` outlives the copy; one copy per reader at a time.
class DatCopy {
 public:
  DatCopy(DatReader& reader, DatOutput& out, ResultTable table);
  ~DatCopy();
  DatCopy(const DatCopy&) = delete;
  DatCopy& operator=(const DatCopy&) = delete;

 private:
  DatReader& reader_;
};

// Reads the records that follow the header, up to `recordCount` of them (the header's count),
// and stops early at the end of the records. `visit` gets each record and the offset it starts
// at. Returns the number of records read.
using RecordVisitor = std::function<void(const DatRecord& record, std::int64_t offset)>;
std::int32_t ForEachRecord(DatReader& reader, DatInput& in, std::int32_t recordCount,
                           const RecordVisitor& visit,
                           DatReader::RecordTexts texts = DatReader::RecordTexts::kKeep);

}  // namespace brindle
