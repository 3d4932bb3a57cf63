#include "platform/log_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/file_ops.h"

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
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    throw FileError("cannot open the log " + path.string() + ": " +
                    std::generic_category().message(errno));
  }
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (done < text.size()) throw FileError("cannot write the log " + path.string());
}

}  // namespace brindle::platform
