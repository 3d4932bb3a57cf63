#include "platform/browse_folder.h"

#include <system_error>

namespace brindle::platform {

namespace fs = std::filesystem;

fs::path BrowseStartFolder(const UserFolders& folders) {
  for (const fs::path& programs : {folders.programFilesX86, folders.programFiles}) {
    if (programs.empty()) continue;
    std::error_code ec;
    if (fs::is_directory(programs / "Palm", ec)) return programs / "Palm";
  }
  return folders.home;
}

}  // namespace brindle::platform
