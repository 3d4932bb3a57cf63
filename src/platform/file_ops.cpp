#include "platform/file_ops.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/file_sync.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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
// Writes everything or throws; the descriptor is closed by the caller.
void WriteAll(int fd, const std::string& bytes, const fs::path& path) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) Fail("cannot write", path, std::error_code(errno, std::generic_category()));
    done += static_cast<std::size_t>(n);
  }
}

void WriteOwnerOnly(const fs::path& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) Fail("cannot create", path, std::error_code(errno, std::generic_category()));
  // An older file may carry wider permissions: narrow them before any byte is written.
  const bool ok = ::fchmod(fd, 0600) == 0;
  const int chmodErr = errno;
  try {
    if (!ok) Fail("cannot restrict", path, std::error_code(chmodErr, std::generic_category()));
    WriteAll(fd, bytes, path);
    if (::fsync(fd) != 0) Fail("cannot flush", path, {errno, std::generic_category()});
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (::close(fd) != 0) Fail("cannot close", path, std::error_code(errno, std::generic_category()));
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

void RealFileOps::Copy(const Path& from, const Path& to) {
  std::error_code ec;
  if (!fs::is_regular_file(from, ec)) {
    Fail("cannot copy", from, ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory));
  }
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) Fail("cannot copy to", to, ec);
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

void RealFileOps::CreateDirectory(const Path& path) {
  std::error_code ec;
  fs::create_directory(path, ec);
  if (ec) Fail("cannot create folder", path, ec);
  if (!fs::is_directory(path, ec))
    Fail("not a folder:", path, std::make_error_code(std::errc::not_a_directory));
}

std::string RealFileOps::ReadFile(const Path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot open", path, std::make_error_code(std::errc::no_such_file_or_directory));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) Fail("cannot read", path, std::make_error_code(std::errc::io_error));
  return bytes;
}

void RealFileOps::WritePrivateFile(const Path& path, const std::string& bytes) {
  // Write a sibling and rename it over the file, so a crash never leaves it half-written.
  const Path temp = ReplacementPath(path);
  WriteOwnerOnly(temp, bytes);
  try {
    Rename(temp, path);
  } catch (...) {
    std::error_code ec;
    fs::remove(temp, ec);
    throw;
  }
}

void MoveReplacing(FileOps& files, const FileOps::Path& from, const FileOps::Path& to) {
  try {
    files.Rename(from, to);
    return;
  } catch (const FileError& e) {
    if (e.kind() != FileError::Kind::CrossDevice) throw;
  }
  const FileOps::Path temp = ReplacementPath(to);
  try {
    files.Copy(from, temp);
    files.Rename(temp, to);
  } catch (...) {
    RemoveQuietly(files, temp);
    throw;
  }
  RemoveQuietly(files, from);
}

void RemoveQuietly(FileOps& files, const FileOps::Path& path) {
  try {
    files.Remove(path);
  } catch (const FileError&) {
  }
}

}  // namespace brindle::platform
