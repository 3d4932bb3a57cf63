#include "platform/curl/private_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace brindle::platform {

NewPrivateFile::~NewPrivateFile() { Close(); }

bool NewPrivateFile::Create(const std::filesystem::path& path) {
  Close();
  ::unlink(path.c_str());
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  return fd_ >= 0;
}

bool NewPrivateFile::Write(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool NewPrivateFile::Close() {
  if (fd_ < 0) return true;
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  return closed;
}

}  // namespace brindle::platform
