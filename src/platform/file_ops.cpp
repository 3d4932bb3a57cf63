#include "platform/file_ops.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/backups.h"
#include "platform/file_safety.h"
#include "platform/file_sync.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/unique_fd.h"
#endif

namespace brindle::platform {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& what, const fs::path& path, const std::error_code& ec) {
  const auto kind =
      ec == std::errc::cross_device_link ? FileError::Kind::CrossDevice : FileError::Kind::Failed;
  throw FileError(what + " " + path.string() + ": " + ec.message(), kind);
}

#ifndef _WIN32
// Writes everything or throws.
void WriteAll(int fd, const std::string& bytes, const fs::path& path) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) Fail("cannot write", path, std::error_code(errno, std::generic_category()));
    done += static_cast<std::size_t>(n);
  }
}

// `path` is a fresh unique name: created here, owner-only, never through a link.
void WriteOwnerOnly(const fs::path& path, const std::string& bytes) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) Fail("cannot create", path, std::error_code(errno, std::generic_category()));
  WriteAll(fd.get(), bytes, path);
  if (::fsync(fd.get()) != 0) Fail("cannot flush", path, {errno, std::generic_category()});
  if (!fd.Close()) Fail("cannot close", path, std::error_code(errno, std::generic_category()));
}
#else
void WriteOwnerOnly(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) Fail("cannot write", path, std::make_error_code(std::errc::io_error));
}
#endif

}  // namespace

bool RealFileOps::Exists(const Path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

void RealFileOps::Copy(const Path& from, const Path& to) {
  const FilePtr in(OpenRegularForReading(from));
  FilePtr out(CreatePrivateFile(to));
  std::vector<char> chunk(64 * 1024);
  while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), in.get())) {
    if (std::fwrite(chunk.data(), 1, n, out.get()) != n) {
      Fail("cannot write the copy", to, std::error_code(errno, std::generic_category()));
    }
  }
  if (std::ferror(in.get())) Fail("cannot read", from, std::make_error_code(std::errc::io_error));
  if (std::fclose(out.release()) != 0) {
    Fail("cannot write the copy", to, std::error_code(errno, std::generic_category()));
  }
}

void RealFileOps::Rename(const Path& from, const Path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec) Fail("cannot rename", from, ec);
}

void RealFileOps::Remove(const Path& path) {
  std::error_code ec;
  if (!fs::remove(path, ec)) {
    Fail("cannot remove", path,
         ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory));
  }
}

void RealFileOps::CreateDirectory(const Path& path) { EnsurePrivateFolder(path); }

std::string RealFileOps::ReadFile(const Path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot open", path, std::make_error_code(std::errc::no_such_file_or_directory));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) Fail("cannot read", path, std::make_error_code(std::errc::io_error));
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
