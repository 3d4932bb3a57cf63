#include "platform/file_lock.h"

#include <utility>

#include "platform/file_safety.h"

namespace brindle::platform {

namespace fs = std::filesystem;

fs::path FileLock::LockPathFor(const fs::path& file) {
  fs::path lock = ResolveLinks(file);
  lock += ".brindle-lock";
  return lock;
}

FileLock::~FileLock() { Release(); }

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

}  // namespace brindle::platform
