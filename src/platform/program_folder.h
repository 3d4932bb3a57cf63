// The folder that holds the running executable: where Brindle keeps its own files.
#pragma once

#include <filesystem>

namespace brindle::platform {

// `argv0` is the fallback when the system cannot name the executable.
std::filesystem::path ExecutableFolder(const char* argv0);

// Where Brindle keeps Brindle.conf and tmp: the executable's folder when this user may write
// into it, otherwise UserProgramFolder(). Installed in a system folder (/usr/bin, Program
// Files), the program could otherwise save nothing.
std::filesystem::path ProgramDataFolder(const char* argv0);

// The program folder's "tmp": the working copies, the export and the result of a run.
std::filesystem::path TmpFolder(const std::filesystem::path& programFolder);

// Whether this user may create files in `folder`.
bool MayWriteInto(const std::filesystem::path& folder);

// The user's own folder for Brindle, created owner-only when missing: $XDG_DATA_HOME/brindle
// (by default ~/.local/share/brindle) on POSIX systems, %LOCALAPPDATA%\Brindle on Windows.
std::filesystem::path UserProgramFolder();

}  // namespace brindle::platform
