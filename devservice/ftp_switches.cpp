#include "ftp_switches.h"

#include <algorithm>
#include <fstream>
#include <iostream>

#include "faults.h"

namespace rookery {

namespace fs = std::filesystem;

namespace {

bool StartsWith(const std::string& name, const std::string& prefix) {
  return name.compare(0, prefix.size(), prefix) == 0;
}

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

std::vector<std::string> FtpSwitches::Held() const {
  std::vector<std::string> held;
  for (const auto& name : Names()) {
    if (StartsWith(name, "held-")) held.push_back(name.substr(5, name.find('.') - 5));
  }
  return held;
}

void FtpSwitches::Release() {
  for (const auto& name : Names()) {
    if (StartsWith(name, "held-")) Remove(folder_ / name);
  }
}

void FtpSwitches::Reset() {
  for (const auto& name : Names()) {
    if (StartsWith(name, "held-")) {
      std::error_code error;
      fs::rename(folder_ / name, folder_ / ("cancel-" + name.substr(5)), error);
    } else if (!StartsWith(name, "cancel-")) {  // the waiting session takes that one itself
      Remove(folder_ / name);
    }
  }
}

void FtpSwitches::ForgetHeld() {
  for (const auto& name : Names()) {
    if (StartsWith(name, "held-") || StartsWith(name, "cancel-")) Remove(folder_ / name);
  }
}

}  // namespace rookery
