#include "platform/program_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace brindle::platform {

std::filesystem::path ExecutableFolder(const char* argv0) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) exe = fs::absolute(argv0 ? argv0 : "", ec);
  return exe.parent_path();
}

namespace {

std::filesystem::path UserDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && std::filesystem::path(xdg).is_absolute()) return xdg;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : "") / ".local" / "share";
}

}  // namespace

std::filesystem::path ProgramDataFolder(const char* argv0) {
  std::filesystem::path exe = ExecutableFolder(argv0);
  if (::access(exe.c_str(), W_OK) == 0) return exe;
  const std::filesystem::path base = UserDataFolder();
  std::error_code ec;
  std::filesystem::create_directories(base, ec);
  std::filesystem::path folder = base / "brindle";
  ::mkdir(folder.c_str(), 0700);  // an existing folder is kept as it is
  return folder;
}

}  // namespace brindle::platform
