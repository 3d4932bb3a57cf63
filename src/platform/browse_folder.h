// Where the "Browse" dialog opens when the path box holds nothing to start from: Palm
// Desktop's own folder, in which each user has a folder with an "address" folder, or else the
// user's home folder; never whatever folder the program happened to be started in.
#pragma once

#include <filesystem>

namespace brindle::platform {

// The folders of this user's environment the choice looks at; empty when not known.
struct UserFolders {
  std::filesystem::path programFilesX86;  // %ProgramFiles(x86)%, Windows only
  std::filesystem::path programFiles;     // %ProgramFiles%, Windows only
  std::filesystem::path home;
};

// This user's folders, from the environment (and on POSIX systems the user database).
UserFolders ThisUsersFolders();

// The first existing "Palm" folder under the program folders (Palm Desktop installs as a
// 32-bit program, so the 32-bit one first), otherwise the home folder.
std::filesystem::path BrowseStartFolder(const UserFolders& folders);

}  // namespace brindle::platform
