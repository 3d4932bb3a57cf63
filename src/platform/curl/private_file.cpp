#include "platform/curl/private_file.h"

#include <unistd.h>

#include <cerrno>

#include "platform/file_safety.h"

namespace brindle::platform {

bool NewPrivateFile::Create(const std::filesystem::path& path) {
  fd_ = UniqueFd();
  try {
    fd_ = CreatePrivateFd(path);
  } catch (const FileError&) {
    return false;  // reported by the caller as a local file that cannot be written
  }
  return true;
}

bool NewPrivateFile::Write(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd_.get(), data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace brindle::platform
