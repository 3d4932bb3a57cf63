// One run per address file. Every run that reads the address file in order to replace it holds
// this lock for as long as it works. The lock lives on a file of its own beside the file's
// resolved target, "<target>.brindle-lock", which is never renamed or deleted: the address
// file itself is replaced by a rename, so a lock on it would not stop a run that opens the new
// file. The system drops the lock when its holder ends, killed or not. No lock file is made
// beside a path that names nothing: a mistyped path leaves nothing in the user's folder.
#pragma once

#include <filesystem>

#include "platform/file_ops.h"

namespace brindle::platform {

// Thrown when another run (in this process or another) holds the lock.
class FileInUse : public FileError {
 public:
  using FileError::FileError;
};

class FileLock {
 public:
  // Takes the lock of the file that `file` names (a link and its target share one). Throws
  // FileInUse, naming `file` as given, when it is held; FileError when there is no such file
  // or the lock file cannot be made. Never waits.
  explicit FileLock(const std::filesystem::path& file);
  ~FileLock();
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // "<resolved target>.brindle-lock".
  static std::filesystem::path LockPathFor(const std::filesystem::path& file);

  // The file locked, its links resolved.
  const std::filesystem::path& target() const { return target_; }

 private:
  // Opens and locks `lockPath` for `file`; returns the system's handle (see handle_).
  static long long Acquire(const std::filesystem::path& file,
                           const std::filesystem::path& lockPath);
  void Release() noexcept;

  std::filesystem::path target_;

  // The open lock file: a descriptor locked with flock on POSIX systems, a HANDLE locked with
  // LockFileEx on Windows.
  long long handle_ = -1;
};

}  // namespace brindle::platform
