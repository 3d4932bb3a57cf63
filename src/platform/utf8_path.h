// Paths carried inside strings (an FTP command's local file, a command-line argument) are
// UTF-8: the one narrow form that names every file on Windows too. On POSIX systems these
// keep a path's bytes as they are.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace brindle::platform {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace brindle::platform
