#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include "platform/backups_native.h"
#include "platform/file_safety.h"
#include "platform/file_sync.h"
#include "platform/owned_file.h"
#include "platform/unique_fd.h"

namespace brindle::platform {

namespace fs = std::filesystem;

namespace {

std::string Reason(int err) { return std::generic_category().message(err); }

Made Failed(int err, const std::string& what = "") {
  return {Made::kFailed, what.empty() ? Reason(err) : what + ": " + Reason(err),
          std::error_code(err, std::generic_category())};
}

UniqueFd OpenForComparing(const fs::path& path) {
  return UniqueFd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
}

// One window of a file mapped read-only: the comparison reads the page cache in place instead
// of copying both files through buffers, and a small window keeps the resident memory small.
class Window {
 public:
  Window(int fd, std::size_t offset, std::size_t size) : size_(size) {
    void* at = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd,
                      static_cast<off_t>(offset));
    data_ = at == MAP_FAILED ? nullptr : at;
  }
  ~Window() {
    if (data_) ::munmap(data_, size_);
  }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  const void* data() const { return data_; }

 private:
  std::size_t size_;
  void* data_ = nullptr;
};

}  // namespace

bool SameContent(const fs::path& a, const fs::path& b) {
  constexpr std::size_t kStep = 1024 * 1024;
  const UniqueFd fa = OpenForComparing(a), fb = OpenForComparing(b);
  struct stat sa {
  }, sb{};
  if (fa.get() < 0 || fb.get() < 0 || ::fstat(fa.get(), &sa) != 0 || ::fstat(fb.get(), &sb) != 0 ||
      !S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode) || sa.st_size != sb.st_size) {
    return false;
  }
  const auto size = static_cast<std::size_t>(sa.st_size);
  for (std::size_t at = 0; at < size; at += kStep) {
    const std::size_t n = std::min(kStep, size - at);
    const Window wa(fa.get(), at, n), wb(fb.get(), at, n);
    if (!wa.data() || !wb.data() || std::memcmp(wa.data(), wb.data(), n) != 0) return false;
  }
  return true;
}

Made LinkFile(const fs::path& from, const fs::path& to) {
  if (::link(from.c_str(), to.c_str()) == 0) return {};
  const int err = errno;
  if (err == EEXIST) return {Made::kNameTaken, "", {}};
  if (err == EXDEV || err == EPERM || err == EMLINK || err == ENOTSUP) {
    return {Made::kCannotLink, "", {}};
  }
  return Failed(err);
}

Made CopyPrivately(const fs::path& from, const fs::path& to) {
  UniqueFd fd(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) return errno == EEXIST ? Made{Made::kNameTaken, "", {}} : Failed(errno);
  FilePtr out(::fdopen(fd.get(), "wb"));
  if (!out) {
    fd = UniqueFd();
    ::unlink(to.c_str());
    return Failed(ENOMEM);
  }
  (void)fd.release();  // the stream closes it now
  bool ok = false;
  std::error_code code;  // a full disk, most often
  try {
    const FilePtr in(OpenRegularForReading(from));
    CopyStream(in.get(), from, out.get(), to);
    ok = SyncFile(out.get());
  } catch (const FileError& e) {
    code = e.code();
  }
  ok = std::fclose(out.release()) == 0 && ok;
  if (ok) return {};
  ::unlink(to.c_str());
  Made failed{Made::kFailed, "cannot copy " + from.string() + " to " + to.string(), code};
  if (code) failed.reason += ": " + code.message();
  return failed;
}

Made CreateExclusively(const fs::path& to, const std::string& bytes) {
  const UniqueFd fd(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) return errno == EEXIST ? Made{Made::kNameTaken, "", {}} : Failed(errno);
  const ssize_t written = ::write(fd.get(), bytes.data(), bytes.size());
  int err = 0;
  if (written < 0) {
    err = errno;
  } else if (written != static_cast<ssize_t>(bytes.size())) {
    err = ENOSPC;  // a short write sets no errno: the disk took what room it had
  } else if (::fsync(fd.get()) != 0) {
    err = errno;
  }
  if (err == 0) return {};
  ::unlink(to.c_str());
  return Failed(err, "cannot write " + to.string());
}

void MakeOwnerOnly(const fs::path& path) {
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (fd) (void)::fchmod(fd.get(), 0600);
}

void RemoveBackupFile(const fs::path& path) { ::unlink(path.c_str()); }

bool SameFile(const fs::path& a, const fs::path& b) {
  struct stat sa {
  }, sb{};
  return ::lstat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace brindle::platform
