// The one error type of the file functions: what failed on which file, in plain words.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

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

// Throws what failed on which file, with the system's reason; a rename across file systems
// is told apart so that the caller can copy instead.
[[noreturn]] inline void FailOn(const std::string& what, const std::filesystem::path& path,
                                const std::error_code& ec) {
  const auto kind =
      ec == std::errc::cross_device_link ? FileError::Kind::CrossDevice : FileError::Kind::Failed;
  throw FileError(what + " " + path.string() + ": " + ec.message(), kind);
}

}  // namespace brindle::platform
