// The platform layer's one error type. Error style: every file function throws FileError when
// it does not complete; FileInUse (file_lock.h) and ReplacementError (backups.h) are
// FileErrors too. An outcome that is not an error is returned as a value and its header says
// so (a backup that is not made because it would equal the newest one, a name already taken).
// No function both returns an outcome and throws for the same failure, and no caller reads a
// kind of error back from its message.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace brindle::platform {

class FileError : public std::runtime_error {
 public:
  // Unsafe: a file or folder refused because another user could read or change what Brindle
  // would put there. CrossDevice: a rename across file systems, which a caller may copy for.
  enum class Kind { Failed, CrossDevice, Unsafe };

  // `operation` ("cannot open") failed on `path` for the system's reason `code`; the message is
  // "cannot open <path>: <reason>", the reason in the system's words (`reason` when given, the
  // code's own message otherwise).
  FileError(const std::string& operation, const std::filesystem::path& path, std::error_code code,
            const std::string& reason = "")
      : std::runtime_error(operation + " " + path.string() + ": " +
                           (reason.empty() ? code.message() : reason)),
        operation_(operation),
        path_(path),
        code_(code),
        kind_(code == std::errc::cross_device_link ? Kind::CrossDevice : Kind::Failed) {}
  // A refusal no system call reported, or one whose words are its own: `message` says it all.
  explicit FileError(const std::string& message, Kind kind = Kind::Failed)
      : std::runtime_error(message), kind_(kind) {}
  // The same, keeping the system's reason (`code`) for callers that tell a full disk apart.
  FileError(const std::string& message, std::error_code code)
      : std::runtime_error(message), code_(code), kind_(Kind::Failed) {}

  const std::string& operation() const { return operation_; }
  const std::filesystem::path& path() const { return path_; }
  std::error_code code() const { return code_; }
  Kind kind() const { return kind_; }

 private:
  std::string operation_;
  std::filesystem::path path_;
  std::error_code code_;
  Kind kind_;
};

// Throws what failed on which file, with the system's reason.
[[noreturn]] inline void FailOn(const std::string& what, const std::filesystem::path& path,
                                const std::error_code& ec) {
  throw FileError(what, path, ec);
}

}  // namespace brindle::platform
