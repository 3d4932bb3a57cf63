#include "ftp_switches.h"

#include <algorithm>
#include <fstream>
#include <iostream>

#include "faults.h"

namespace rookery {

namespace fs = std::filesystem;

namespace {

void Remove(const fs::path& file) {
  std::error_code error;
  fs::remove(file, error);
  if (error) std::cerr << "rookery-dev: cannot remove " << file << ": " << error.message() << "\n";
}

}  // namespace

FtpSwitches::FtpSwitches(fs::path folder) : folder_(std::move(folder)) {
  fs::create_directories(folder_);
  fs::permissions(folder_, fs::perms::owner_all);
  for (const auto& name : Names()) Remove(folder_ / name);
}

std::vector<std::string> FtpSwitches::Names() const {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void FtpSwitches::Arm(const std::string& kind, const std::vector<std::string>& commands) {
  for (const auto& command : kFtpCommands) {
    const fs::path flag = folder_ / (kind + "-" + command);
    if (std::find(commands.begin(), commands.end(), command) == commands.end()) {
      Remove(flag);
    } else if (!std::ofstream(flag)) {
      std::cerr << "rookery-dev: cannot create " << flag << "\n";
    }
  }
}

void FtpSwitches::Reset() {
  for (const auto& name : Names()) Remove(folder_ / name);
}

}  // namespace rookery
