#include "platform/file_sync.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include "platform/unique_fd.h"
#endif

namespace brindle::platform {

#ifdef _WIN32

bool SyncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }

void StartWriteOut(std::FILE*) {}

// Windows makes a completed MoveFileEx durable without a handle on the folder.
bool SyncDirectory(const std::filesystem::path&) { return true; }

#else

bool SyncFile(std::FILE* file) { return ::fsync(::fileno(file)) == 0; }

void StartWriteOut(std::FILE* file) {
#ifdef __linux__
  ::sync_file_range(::fileno(file), 0, 0, SYNC_FILE_RANGE_WRITE);
#else
  (void)file;
#endif
}

bool SyncDirectory(const std::filesystem::path& dir) {
  const UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd && ::fsync(fd.get()) == 0;
}

#endif

}  // namespace brindle::platform
