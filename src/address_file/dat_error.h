// Errors of the address-file layer. Each one says what was being read or written and where.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace brindle {

class DatError : public std::runtime_error {
 public:
  // kLayout: the bytes do not fit the file's layout (they end inside an item, a length or a
  // count is out of range). kOther: everything else (the disk, a missing file, bad arguments).
  enum class Kind { kOther, kLayout };

  // `offset` is the byte offset in the file the error refers to, or -1 when none applies.
  DatError(const std::string& message, std::int64_t offset, Kind kind = Kind::kOther)
      : std::runtime_error(message), offset_(offset), kind_(kind) {}
  std::int64_t offset() const { return offset_; }
  Kind kind() const { return kind_; }

 private:
  std::int64_t offset_;
  Kind kind_;
};

}  // namespace brindle
