// Copying and renaming with Windows' own calls: the standard library's copy_file cannot
// replace a file with mingw's runtime, and its rename may fall back to a copy that is not atomic.
#include "platform/file_ops.h"
#include "platform/file_safety.h"
#include "platform/win_error.h"

namespace brindle::platform {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& what, const fs::path& path, DWORD err) {
  throw FileError(what, path, SystemCode(err), SystemMessage(err));
}

}  // namespace

void RealFileOps::Copy(const Path& from, const Path& to) {
  RequireRegularFile(from);
  if (!::DeleteFileW(Wide(to))) {
    const DWORD err = ::GetLastError();
    if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND) Fail("cannot replace", to, err);
  }
  // Fails rather than writes through whatever appeared at `to` meanwhile.
  if (!::CopyFileW(Wide(from), Wide(to), TRUE)) Fail("cannot write the copy", to, ::GetLastError());
  // The copy is Brindle's own: not read-only or hidden because its source was.
  if (!::SetFileAttributesW(Wide(to), FILE_ATTRIBUTE_NORMAL)) {
    Fail("cannot write the copy", to, ::GetLastError());
  }
}

void RealFileOps::Rename(const Path& from, const Path& to) {
  if (!::MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Fail("cannot rename", from, ::GetLastError());
  }
}

}  // namespace brindle::platform
