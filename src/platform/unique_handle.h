// The owner of one Windows HANDLE: closed when the owner goes, unless handed on. Kept free of
// <windows.h>, whose macros would rename names such as CreateDirectory wherever it is seen.
#pragma once

#include <cstdint>
#include <utility>

namespace brindle::platform {

class UniqueHandle {
 public:
  using Raw = void*;  // a HANDLE
  UniqueHandle() = default;
  explicit UniqueHandle(Raw handle) : handle_(handle) {}
  ~UniqueHandle() { (void)Close(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      (void)Close();
      handle_ = other.release();
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Raw get() const { return handle_; }
  // Neither INVALID_HANDLE_VALUE nor null: the two ways Windows calls report no handle.
  explicit operator bool() const {
    return handle_ != nullptr && reinterpret_cast<std::intptr_t>(handle_) != -1;
  }
  // Hands the handle on; the caller closes it.
  [[nodiscard]] Raw release() { return std::exchange(handle_, kNone()); }
  // Closes now. False when CloseHandle fails (GetLastError tells why).
  [[nodiscard]] bool Close();

 private:
  static Raw kNone() { return reinterpret_cast<Raw>(static_cast<std::intptr_t>(-1)); }
  Raw handle_ = kNone();
};

}  // namespace brindle::platform
