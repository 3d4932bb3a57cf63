#include "platform/program_folder.h"

#include <system_error>

namespace brindle::platform {

std::filesystem::path ExecutableFolder(const char* argv0) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) exe = fs::absolute(argv0 ? argv0 : "", ec);
  return exe.parent_path();
}

}  // namespace brindle::platform
