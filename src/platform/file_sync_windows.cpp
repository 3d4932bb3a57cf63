#include <io.h>
#include <windows.h>

#include "platform/file_sync.h"

namespace brindle::platform {

bool SyncFile(std::FILE* file) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && ::FlushFileBuffers(handle) != 0;
}

void StartWriteOut(std::FILE*) {}

// A rename made with MOVEFILE_WRITE_THROUGH is on the disk when it returns; Windows has no
// call that forces a folder's entries.
bool SyncDirectory(const std::filesystem::path&) { return true; }

bool SeekTo(std::FILE* file, std::int64_t offset) {
  return ::_fseeki64(file, offset, SEEK_SET) == 0;
}

bool SeekToEnd(std::FILE* file) { return ::_fseeki64(file, 0, SEEK_END) == 0; }

}  // namespace brindle::platform
