// The one error type of the file functions: what failed on which file, in plain words.
#pragma once

#include <stdexcept>
#include <string>

namespace brindle::platform {

class FileError : public std::runtime_error {
 public:
  // Unsafe: a file or folder refused because another user could read or change what Brindle
  // would put there.
  enum class Kind { Failed, CrossDevice, Unsafe };
  FileError(const std::string& message, Kind kind = Kind::Failed)
      : std::runtime_error(message), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

}  // namespace brindle::platform
