// The owner of one POSIX file descriptor: closed when the owner goes, unless handed on.
#pragma once

#include <unistd.h>

#include <utility>

namespace brindle::platform {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = other.release();
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Hands the descriptor on; the caller closes it.
  [[nodiscard]] int release() { return std::exchange(fd_, -1); }
  // Closes now. Returns false when close reports an error (errno tells which); where data was
  // written, that is a failure of the write.
  [[nodiscard]] bool Close() { return fd_ < 0 || ::close(release()) == 0; }

 private:
  int fd_ = -1;
};

}  // namespace brindle::platform
