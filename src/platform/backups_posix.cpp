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
#include <vector>

#include "platform/backups_native.h"
#include "platform/file_safety.h"
#include "platform/file_sync.h"
#include "platform/owned_file.h"

namespace brindle::platform {

namespace fs = std::filesystem;

namespace {

std::string Reason(int err) { return std::generic_category().message(err); }

// An open file for reading, closed on every path.
class ReadFd {
 public:
  explicit ReadFd(const fs::path& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
  ~ReadFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  ReadFd(const ReadFd&) = delete;
  ReadFd& operator=(const ReadFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

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
  const ReadFd fa(a), fb(b);
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
  if (err == EEXIST) return {Made::kNameTaken, ""};
  if (err == EXDEV || err == EPERM || err == EMLINK || err == ENOTSUP) {
    return {Made::kCannotLink, ""};
  }
  return {Made::kFailed, Reason(err)};
}

Made CopyPrivately(const fs::path& from, const fs::path& to) {
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return {errno == EEXIST ? Made::kNameTaken : Made::kFailed, Reason(errno)};
  FilePtr out(::fdopen(fd, "wb"));
  if (!out) {
    ::close(fd);
    return {Made::kFailed, Reason(ENOMEM)};
  }
  const FilePtr in(OpenRegularForReading(from));
  std::vector<char> chunk(256 * 1024);
  bool ok = true;
  while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), in.get())) {
    ok = ok && std::fwrite(chunk.data(), 1, n, out.get()) == n;
  }
  ok = ok && !std::ferror(in.get()) && SyncFile(out.get());
  ok = std::fclose(out.release()) == 0 && ok;
  if (!ok) {
    ::unlink(to.c_str());
    throw FileError("cannot copy " + from.string() + " to " + to.string());
  }
  return {};
}

void MakeOwnerOnly(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fchmod(fd, 0600);
  ::close(fd);
}

void RemoveBackupFile(const fs::path& path) { ::unlink(path.c_str()); }

bool SameFile(const fs::path& a, const fs::path& b) {
  struct stat sa {
  }, sb{};
  return ::lstat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace brindle::platform
