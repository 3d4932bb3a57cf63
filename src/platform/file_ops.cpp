#include "platform/file_ops.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/backups.h"
#include "platform/file_safety.h"
#include "platform/file_sync.h"
#include "platform/owned_file.h"

namespace brindle::platform {

namespace fs = std::filesystem;

namespace {

// `path` is a fresh unique name: created here, owner-only, never through a link.
void WriteOwnerOnly(const fs::path& path, const std::string& bytes) {
  FilePtr out(CreatePrivateFile(path));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size() &&
                       std::fflush(out.get()) == 0;
  if (!written) FailOn("cannot write", path, std::make_error_code(std::errc::io_error));
  if (!SyncFile(out.get())) FailOn("cannot flush", path, std::make_error_code(std::errc::io_error));
  if (std::fclose(out.release()) != 0) {
    FailOn("cannot close", path, std::make_error_code(std::errc::io_error));
  }
}

}  // namespace

bool RealFileOps::Exists(const Path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

void RealFileOps::Remove(const Path& path) {
  std::error_code ec;
  if (!fs::remove(path, ec)) {
    FailOn("cannot remove", path,
           ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory));
  }
}

void RealFileOps::CreateDirectory(const Path& path) { EnsurePrivateFolder(path); }

std::string RealFileOps::ReadFile(const Path& path) {
  const FilePtr in(OpenRegularForReading(path));
  std::string bytes;
  std::vector<char> chunk(64 * 1024);
  while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), in.get())) {
    bytes.append(chunk.data(), n);
  }
  if (std::ferror(in.get())) FailOn("cannot read", path, std::make_error_code(std::errc::io_error));
  return bytes;
}

void RealFileOps::WritePrivateFile(const Path& path, const std::string& bytes) {
  // Write a sibling and rename it over the file, so a crash never leaves it half-written. A
  // link keeps pointing at the file: its target is what is replaced.
  const Path target = ResolveLinks(path);
  const Path temp = UniqueSiblingPath(target);
  WriteOwnerOnly(temp, bytes);
  try {
    Rename(temp, target);
  } catch (...) {
    std::error_code ec;
    fs::remove(temp, ec);
    throw;
  }
}

void MoveReplacing(FileOps& files, const FileOps::Path& from, const FileOps::Path& to,
                   Backups* backups, const std::string& reason) {
  // Made once: `to` stays as it is until one of the renames below replaces it.
  std::optional<KeptVersion> kept;
  if (backups) kept.emplace(*backups, to, reason);
  try {
    KeepOwnerAndMode(to, from);
    files.Rename(from, to);
    if (kept) kept->Settle();
    return;
  } catch (const FileError& e) {
    if (e.kind() != FileError::Kind::CrossDevice) throw;
  }
  const FileOps::Path temp = UniqueSiblingPath(to);
  try {
    files.Copy(from, temp);
    KeepOwnerAndMode(to, temp);
    files.Rename(temp, to);
  } catch (...) {
    RemoveQuietly(files, temp);
    throw;
  }
  if (kept) kept->Settle();
  RemoveQuietly(files, from);
}

void RemoveQuietly(FileOps& files, const FileOps::Path& path) {
  try {
    files.Remove(path);
  } catch (const FileError&) {
  }
}

}  // namespace brindle::platform
