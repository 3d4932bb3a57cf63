// The one-shot faults of the FTP server, handed to the FTP child (ftp_child.cpp) through empty
// flag files in a private folder outside the FTP account's: "drop-STOR", "refuse-RETR". The
// child takes a flag by removing it, which only one session can do, so each meets exactly one
// command.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace rookery {

class FtpSwitches {
 public:
  // Makes `folder` (private) and empties it: flags left from an earlier run do not count.
  explicit FtpSwitches(std::filesystem::path folder);

  // Arms `kind` ("drop" or "refuse") for each of `commands`, and disarms it for the other
  // commands.
  void Arm(const std::string& kind, const std::vector<std::string>& commands);

  // Disarms everything.
  void Reset();

 private:
  std::vector<std::string> Names() const;

  std::filesystem::path folder_;
};

}  // namespace rookery
