// A file this program makes for itself: owner-only from its first byte, never reached through
// a symbolic link, never an existing file written over in place.
#pragma once

#include <cstddef>
#include <filesystem>

namespace brindle::platform {

class NewPrivateFile {
 public:
  NewPrivateFile() = default;
  ~NewPrivateFile();
  NewPrivateFile(const NewPrivateFile&) = delete;
  NewPrivateFile& operator=(const NewPrivateFile&) = delete;

  // Removes whatever has the name (a link itself, not what it points to), then creates the
  // file exclusively. False when it cannot be made.
  bool Create(const std::filesystem::path& path);
  bool is_open() const { return fd_ >= 0; }
  // False when not every byte was written.
  bool Write(const char* data, std::size_t size);
  // False when the file could not be closed cleanly.
  bool Close();

 private:
  int fd_ = -1;
};

}  // namespace brindle::platform
