// Copying and renaming with the POSIX calls the standard library makes.
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include "platform/file_ops.h"
#include "platform/file_safety.h"
#include "platform/owned_file.h"

namespace brindle::platform {

namespace fs = std::filesystem;

void RealFileOps::Copy(const Path& from, const Path& to) {
  const FilePtr in(OpenRegularForReading(from));
  FilePtr out(CreatePrivateFile(to));
  CopyStream(in.get(), from, out.get(), to);
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
