#include "platform/program_folder.h"

namespace brindle::platform {

std::filesystem::path ProgramDataFolder(const char* argv0) {
  std::filesystem::path exe = ExecutableFolder(argv0);
  if (!IsSystemFolder(exe) && MayWriteInto(exe)) return exe;
  return UserProgramFolder();
}

std::filesystem::path TmpFolder(const std::filesystem::path& programFolder) {
  return programFolder / "tmp";
}

std::filesystem::path BackupsFolder(const std::filesystem::path& programFolder) {
  return programFolder / "backups";
}

std::filesystem::path ConfigFile(const std::filesystem::path& programFolder) {
  return programFolder / "Brindle.conf";
}

std::filesystem::path RunLogFile(const std::filesystem::path& programFolder) {
  return programFolder / "Brindle.log";
}

}  // namespace brindle::platform
