#include "platform/log_file.h"

#include <system_error>

#include "platform/file_safety.h"

namespace brindle::platform {

namespace fs = std::filesystem;

namespace {

fs::path Numbered(const fs::path& path, int n) {
  fs::path numbered = path;
  numbered += "." + std::to_string(n);
  return numbered;
}

void Rotate(const fs::path& path, std::uintmax_t limit, int files) {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec || size < limit) return;
  fs::remove(Numbered(path, files - 1), ec);
  for (int n = files - 2; n >= 1; --n) fs::rename(Numbered(path, n), Numbered(path, n + 1), ec);
  fs::rename(path, files > 1 ? Numbered(path, 1) : path, ec);
  if (files <= 1) fs::remove(path, ec);
}

}  // namespace

void AppendToLog(const fs::path& path, const std::string& text, std::uintmax_t limit, int files) {
  Rotate(path, limit, files);
  AppendOwnerOnly(path, text, "the log");
}

}  // namespace brindle::platform
