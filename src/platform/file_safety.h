// Opening, creating and replacing files so that nobody else can read them while Brindle works,
// plant a link for Brindle to follow, or be left with a file they cannot read. Every error is a
// FileError that says in plain words what failed on which file; the system's reason follows.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_error.h"
#include "platform/native_file.h"

namespace brindle::platform {

class Backups;

// The file a path finally names, every symbolic link followed; other paths as they are.
std::filesystem::path ResolveLinks(const std::filesystem::path& path);

// Throws unless `path` (its links followed) is a regular file: not a folder, FIFO or device.
void RequireRegularFile(const std::filesystem::path& path);

// Throws unless the file at `target` (links resolved) may be replaced by a new copy: a regular
// file, writable by its owner, with no other name (hard link), whose owner and group a new
// file can be given.
void RequireReplaceable(const std::filesystem::path& target);

// Opens a regular file for binary reading; never blocks on a FIFO or device, which it refuses.
std::FILE* OpenRegularForReading(const std::filesystem::path& path);

// Copies what is left of `in`, a stream over the file `from`, to `out`, a stream over the file
// `to`: the one copying loop of the platform's own copies (Windows copies with its own call).
void CopyStream(std::FILE* in, const std::filesystem::path& from, std::FILE* out,
                const std::filesystem::path& to);

// Creates `path` afresh for binary writing, readable and writable by its owner only. A file
// already there is removed first, and the new one is never opened through a symbolic link.
std::FILE* CreatePrivateFile(const std::filesystem::path& path);
// The same as the system's own open file, for callers that write without a stream.
NativeFile CreatePrivateNative(const std::filesystem::path& path);
// Writes all of `bytes` to `file`. False when not every byte was written.
[[nodiscard]] bool WriteAllTo(const NativeFile& file, const char* bytes, std::size_t size);

// Appends `text` to the file at `path`, created owner-only when missing and never opened
// through a link. Throws FileError naming the file as `what` ("the log").
void AppendOwnerOnly(const std::filesystem::path& path, const std::string& text,
                     const std::string& what);

// A name beside `path` that no other run and no other user can guess in advance.
std::filesystem::path UniqueSiblingPath(const std::filesystem::path& path);

// Makes `folder` (owner-only) unless it exists, then refuses it unless it is a real folder that
// belongs to this user and that nobody else can write into.
void EnsurePrivateFolder(const std::filesystem::path& folder);
// Makes every missing folder of `folder`'s path, each one owner-only, as EnsurePrivateFolder
// does; the folders already there are kept as they are.
void EnsureFolderPath(const std::filesystem::path& folder);

// Gives `file` the owner, group and permission bits of `model` (on Windows: its read-only,
// hidden and other attributes). Throws when the owner or group cannot be given.
void KeepOwnerAndMode(const std::filesystem::path& model, const std::filesystem::path& file);

// The new copy of a file, created owner-only under a unique name beside it, with the file's
// owner and group from the start. Commit gives it the file's permission bits and renames it over
// the file; until then the file is untouched, and a replacement never committed is removed.
// Callers replace the user's address file through FileReplacement (file_replacement.h).
class Replacement {
 public:
  // `target` is a resolved path (ResolveLinks). Throws FileError.
  explicit Replacement(const std::filesystem::path& target);
  ~Replacement();
  Replacement(const Replacement&) = delete;
  Replacement& operator=(const Replacement&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // A stream of its own over the new copy, for the caller to write, force to disk and close.
  std::FILE* OpenStream();
  // REQUIRES: the data was written and forced to disk. With `backups`, keeps the file as it is
  // there under `reason` (see KeptVersion); then renames the copy over it. Throws FileError; the
  // file is then unchanged. Returns whether the rename itself was forced to disk; when not, the
  // system writes it out in its own time.
  [[nodiscard]] bool Commit(Backups* backups, const std::string& reason);

 private:
  std::filesystem::path target_;
  std::filesystem::path path_;
  NativeFile file_;
  unsigned mode_ = 0600;  // permission bits; on Windows, the target's attributes
  bool committed_ = false;
};

}  // namespace brindle::platform
