#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "platform/program_folder.h"

namespace brindle::platform {

namespace fs = std::filesystem;

fs::path ExecutableFolder(const char* argv0) {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) exe = fs::absolute(argv0 ? argv0 : "", ec);
  return exe.parent_path();
}

bool IsSystemFolder(const fs::path& folder) {
  const fs::path normal = folder.lexically_normal();
  for (const char* prefix : {"/usr", "/opt"}) {  // /usr/local lies under /usr
    const fs::path relative = normal.lexically_relative(prefix);
    if (!relative.empty() && *relative.begin() != "..") return true;
  }
  return false;
}

bool MayWriteInto(const fs::path& folder) { return ::access(folder.c_str(), W_OK) == 0; }

fs::path UserProgramFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  const fs::path base = xdg && fs::path(xdg).is_absolute()
                            ? fs::path(xdg)
                            : fs::path(home ? home : "") / ".local" / "share";
  std::error_code ec;
  fs::create_directories(base, ec);
  fs::path folder = base / "brindle";
  ::mkdir(folder.c_str(), 0700);  // an existing folder is kept as it is
  return folder;
}

}  // namespace brindle::platform
