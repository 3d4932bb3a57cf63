// Copying and renaming with the POSIX calls the standard library makes.
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/file_ops.h"
#include "platform/file_safety.h"

namespace brindle::platform {

namespace fs = std::filesystem;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void Fail(const std::string& what, const fs::path& path, const std::error_code& ec) {
  const auto kind =
      ec == std::errc::cross_device_link ? FileError::Kind::CrossDevice : FileError::Kind::Failed;
  throw FileError(what + " " + path.string() + ": " + ec.message(), kind);
}

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

}  // namespace brindle::platform
