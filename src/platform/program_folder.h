// The folder that holds the running executable: where Brindle keeps its own files.
#pragma once

#include <filesystem>

namespace brindle::platform {

// `argv0` is the fallback when the system cannot name the executable.
std::filesystem::path ExecutableFolder(const char* argv0);

// Where Brindle keeps Brindle.conf and tmp: the executable's folder when this user may write
// into it and it is no system folder, otherwise UserProgramFolder(). Installed in a system
// folder (/usr/bin, Program Files), the program could otherwise save nothing, and root, who
// may write there, would mix its files with the package's.
std::filesystem::path ProgramDataFolder(const char* argv0);

// What Brindle keeps in its program folder, each named here once:
// "tmp", the working copies, the export and the result of a run;
std::filesystem::path TmpFolder(const std::filesystem::path& programFolder);
// "backups", the kept versions of the address files (see Backups);
std::filesystem::path BackupsFolder(const std::filesystem::path& programFolder);
// "Brindle.conf", the values the window saves;
std::filesystem::path ConfigFile(const std::filesystem::path& programFolder);
// "Brindle.log", the run log.
std::filesystem::path RunLogFile(const std::filesystem::path& programFolder);

// Whether `folder` belongs to the system's installed software (on POSIX systems under /usr,
// /usr/local or /opt), whose files the package manager owns. Never on Windows, where the
// write test alone decides.
bool IsSystemFolder(const std::filesystem::path& folder);

// Whether this user may create files in `folder`.
bool MayWriteInto(const std::filesystem::path& folder);

// The user's own folder for Brindle, created owner-only when missing: $XDG_DATA_HOME/brindle
// (by default ~/.local/share/brindle) on POSIX systems, %LOCALAPPDATA%\Brindle on Windows.
std::filesystem::path UserProgramFolder();

}  // namespace brindle::platform
