// File operations the window model performs on the user's and its own files. They go through
// this interface so that a test can make any one of them fail (a full disk, a locked file, a
// rename that cannot cross file systems).
#pragma once

#include <filesystem>
#include <string>

#include "platform/file_error.h"

namespace brindle::platform {

class Backups;

// Every operation throws FileError when it does not complete.
class FileOps {
 public:
  using Path = std::filesystem::path;
  virtual ~FileOps() = default;

  virtual bool Exists(const Path& path) = 0;
  // Copies a regular file to a new owner-only file `to`; a file already at `to` is removed
  // first and a link there is never followed. A missing source is an error.
  virtual void Copy(const Path& from, const Path& to) = 0;
  // Renames atomically, replacing `to`. Fails with Kind::CrossDevice across file systems.
  virtual void Rename(const Path& from, const Path& to) = 0;
  // Removes a file; a file that is not there is an error.
  virtual void Remove(const Path& path) = 0;
  // Creates a folder only its owner can use; one that exists already is not an error unless it
  // is a link, belongs to another user or can be written into by others.
  virtual void CreateDirectory(const Path& path) = 0;
  virtual std::string ReadFile(const Path& path) = 0;
  // Replaces the file's content; the file is readable and writable by its owner only.
  virtual void WritePrivateFile(const Path& path, const std::string& bytes) = 0;
};

// The real file system.
class RealFileOps : public FileOps {
 public:
  bool Exists(const Path& path) override;
  void Copy(const Path& from, const Path& to) override;
  void Rename(const Path& from, const Path& to) override;
  void Remove(const Path& path) override;
  void CreateDirectory(const Path& path) override;
  std::string ReadFile(const Path& path) override;
  void WritePrivateFile(const Path& path, const std::string& bytes) override;
};

// Puts `from` in place of `to` so that `to` always names either its old file or the complete
// new one, with the owner, group and permissions `to` had. REQUIRES: `to` is a resolved path.
// Across file systems the file is first copied next to `to` and renamed there; `from`
// is removed only once `to` holds the new file. With `backups`, the file `to` held is kept
// there under `reason` (see KeptVersion); when that fails, `to` is not replaced.
void MoveReplacing(FileOps& files, const FileOps::Path& from, const FileOps::Path& to,
                   Backups* backups = nullptr, const std::string& reason = "");

// Removes a file and passes over any failure (a missing file included).
void RemoveQuietly(FileOps& files, const FileOps::Path& path);

}  // namespace brindle::platform
