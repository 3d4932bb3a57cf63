#include <fcntl.h>
#include <unistd.h>

#include "platform/file_sync.h"
#include "platform/unique_fd.h"

namespace brindle::platform {

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

bool SeekTo(std::FILE* file, std::int64_t offset) {
  return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool SeekToEnd(std::FILE* file) { return ::fseeko(file, 0, SEEK_END) == 0; }

}  // namespace brindle::platform
