#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/browse_folder.h"

namespace brindle::platform {

UserFolders ThisUsersFolders() {
  UserFolders folders;
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    folders.home = home;
  } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr) {
    folders.home = user->pw_dir;
  }
  return folders;
}

}  // namespace brindle::platform
