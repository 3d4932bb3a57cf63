#include "platform/file_lock.h"

#include <system_error>
#include <utility>

#include "platform/file_safety.h"

namespace brindle::platform {

namespace fs = std::filesystem;

fs::path FileLock::LockPathFor(const fs::path& file) {
  fs::path lock = ResolveLinks(file);
  lock += ".brindle-lock";
  return lock;
}

FileLock::FileLock(const fs::path& file) : target_(ResolveLinks(file)) {
  std::error_code ec;
  if (!fs::exists(target_, ec)) {
    throw FileError("cannot find", target_,
                    ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory));
  }
  handle_ = Acquire(file, LockPathFor(file));
}

FileLock::~FileLock() { Release(); }

FileLock::FileLock(FileLock&& other) noexcept
    : target_(std::move(other.target_)), handle_(std::exchange(other.handle_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    target_ = std::move(other.target_);
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

}  // namespace brindle::platform
