// A file this program makes for itself: owner-only from its first byte, never reached through
// a symbolic link, never an existing file written over in place.
#pragma once

#include <cstddef>
#include <filesystem>

#include "platform/native_file.h"

namespace brindle::platform {

class NewPrivateFile {
 public:
  // Removes whatever has the name (a link itself, not what it points to), then creates the
  // file exclusively. False when it cannot be made.
  [[nodiscard]] bool Create(const std::filesystem::path& path);
  // False when not every byte was written.
  [[nodiscard]] bool Write(const char* data, std::size_t size);
  // False when the file could not be closed cleanly.
  [[nodiscard]] bool Close() { return file_.Close(); }

 private:
  NativeFile file_;
};

}  // namespace brindle::platform
