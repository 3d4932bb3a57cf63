// The folder that holds the running executable: where Brindle keeps its own files.
#pragma once

#include <filesystem>

namespace brindle::platform {

// `argv0` is the fallback when the system cannot name the executable.
std::filesystem::path ExecutableFolder(const char* argv0);

// Where Brindle keeps Brindle.conf and tmp: the executable's folder when this user may write
// into it, otherwise the user's data folder, $XDG_DATA_HOME/brindle (by default
// ~/.local/share/brindle), created owner-only. Installed in a system folder, the program
// could otherwise save nothing.
std::filesystem::path ProgramDataFolder(const char* argv0);

}  // namespace brindle::platform
