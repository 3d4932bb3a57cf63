// The parts of the file functions that the standard library does alike on every system; each
// system's own calls are in file_safety_posix.cpp and file_safety_windows.cpp.
#include "platform/file_safety.h"

#include <cerrno>
#include <cstdint>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace brindle::platform {

namespace fs = std::filesystem;

fs::path ResolveLinks(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_symlink(path, ec)) return path;
  fs::path target = fs::weakly_canonical(path, ec);
  return ec ? path : target;
}

void EnsureFolderPath(const fs::path& folder) {
  std::error_code ec;
  if (folder.empty() || fs::is_directory(folder, ec)) return;
  EnsureFolderPath(folder.parent_path());
  EnsurePrivateFolder(folder);
}

void CopyStream(std::FILE* in, const fs::path& from, std::FILE* out, const fs::path& to) {
  std::vector<char> chunk(256 * 1024);
  while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), in)) {
    if (std::fwrite(chunk.data(), 1, n, out) != n) {
      FailOn("cannot write the copy", to, std::error_code(errno, std::generic_category()));
    }
  }
  if (std::ferror(in)) FailOn("cannot read", from, std::make_error_code(std::errc::io_error));
}

fs::path UniqueSiblingPath(const fs::path& path) {
  static std::mt19937_64 random{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string tag = ".brindle-tmp-";
  for (std::uint64_t bits = random(), i = 0; i < 12; ++i, bits >>= 4) tag += kDigits[bits & 15];
  fs::path sibling = path;
  sibling += tag;
  return sibling;
}

}  // namespace brindle::platform
