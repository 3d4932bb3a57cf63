// Errors of the address-file layer. Each one says what was being read or written and where.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace brindle {

class DatError : public std::runtime_error {
 public:
  // `offset` is the byte offset in the file the error refers to, or -1 when none applies.
  DatError(const std::string& message, std::int64_t offset)
      : std::runtime_error(message), offset_(offset) {}
  std::int64_t offset() const { return offset_; }

 private:
  std::int64_t offset_;
};

}  // namespace brindle
