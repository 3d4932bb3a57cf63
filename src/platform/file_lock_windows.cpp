#include <cstdint>

#include "platform/file_lock.h"
#include "platform/unique_handle.h"
#include "platform/win_error.h"

namespace brindle::platform {

namespace fs = std::filesystem;

long long FileLock::Acquire(const fs::path& file, const fs::path& lockPath) {
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  UniqueHandle handle(::CreateFileW(Wide(lockPath), GENERIC_READ | GENERIC_WRITE, kShare, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  // A lock file that this user may only read still serves: the lock needs no write.
  if (!handle && ::GetLastError() == ERROR_ACCESS_DENIED) {
    handle = UniqueHandle(::CreateFileW(Wide(lockPath), GENERIC_READ, kShare, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  if (!handle) {
    const DWORD err = ::GetLastError();
    throw FileError("cannot open the lock file", lockPath, SystemCode(err), SystemMessage(err));
  }
  // One byte far beyond any content: the lock file holds nothing, and a byte-range lock is
  // what Windows offers. Windows drops it when the handle closes or the process ends.
  OVERLAPPED at{};
  at.Offset = 0;
  at.OffsetHigh = 0x7FFFFFFF;
  if (!::LockFileEx(handle.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                    &at)) {
    const DWORD err = ::GetLastError();
    if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) {
      throw FileInUse(file.string() + " is in use by another Brindle run");
    }
    throw FileError("cannot lock", lockPath, SystemCode(err), SystemMessage(err));
  }
  return reinterpret_cast<std::intptr_t>(handle.release());  // held until Release
}

void FileLock::Release() noexcept {
  if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));  // closing drops the lock
  handle_ = -1;
}

}  // namespace brindle::platform
