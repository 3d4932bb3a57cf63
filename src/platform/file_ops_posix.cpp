// Copying and renaming with the POSIX calls the standard library makes.
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/file_ops.h"
#include "platform/file_safety.h"
#include "platform/owned_file.h"

namespace brindle::platform {

namespace fs = std::filesystem;

void RealFileOps::Copy(const Path& from, const Path& to) {
  const FilePtr in(OpenRegularForReading(from));
  FilePtr out(CreatePrivateFile(to));
  std::vector<char> chunk(64 * 1024);
  while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), in.get())) {
    if (std::fwrite(chunk.data(), 1, n, out.get()) != n) {
      FailOn("cannot write the copy", to, std::error_code(errno, std::generic_category()));
    }
  }
  if (std::ferror(in.get())) FailOn("cannot read", from, std::make_error_code(std::errc::io_error));
  if (std::fclose(out.release()) != 0) {
    FailOn("cannot write the copy", to, std::error_code(errno, std::generic_category()));
  }
}

void RealFileOps::Rename(const Path& from, const Path& to) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec) FailOn("cannot rename", from, ec);
}

}  // namespace brindle::platform
