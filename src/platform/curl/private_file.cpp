#include "platform/curl/private_file.h"

#include "platform/file_safety.h"

namespace brindle::platform {

bool NewPrivateFile::Create(const std::filesystem::path& path) {
  file_ = NativeFile();
  try {
    file_ = CreatePrivateNative(path);
  } catch (const FileError&) {
    return false;  // reported by the caller as a local file that cannot be written
  }
  return true;
}

bool NewPrivateFile::Write(const char* data, std::size_t size) {
  return WriteAllTo(file_, data, size);
}

}  // namespace brindle::platform
