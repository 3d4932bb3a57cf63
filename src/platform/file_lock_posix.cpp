#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/file_lock.h"
#include "platform/unique_fd.h"

namespace brindle::platform {

namespace fs = std::filesystem;

long long FileLock::Acquire(const fs::path& file, const fs::path& lockPath) {
  UniqueFd fd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  // Another user's lock file (left by a run as root, say) still serves: flock needs no write.
  if (!fd && errno == EACCES)
    fd = UniqueFd(::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd) {
    throw FileError("cannot open the lock file", lockPath,
                    std::error_code(errno, std::generic_category()));
  }
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    if (err == EWOULDBLOCK) throw FileInUse(file.string() + " is in use by another Brindle run");
    throw FileError("cannot lock", lockPath, std::error_code(err, std::generic_category()));
  }
  return fd.release();  // held until Release
}

void FileLock::Release() noexcept {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));  // closing drops the lock
  handle_ = -1;
}

}  // namespace brindle::platform
