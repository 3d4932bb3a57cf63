#include "platform/curl/private_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace brindle::platform {

bool NewPrivateFile::Create(const std::filesystem::path& path) {
  fd_ = UniqueFd();
  ::unlink(path.c_str());
  fd_ = UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  return static_cast<bool>(fd_);
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
