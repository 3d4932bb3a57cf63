// The one-shot faults and holds of the FTP server, handed to the FTP child (ftp_child.cpp)
// through empty flag files in a private folder outside the FTP account's: "drop-STOR",
// "refuse-RETR", "hold-DELE". The child takes a flag by removing or renaming it, which only one
// session can do, so each meets exactly one command. A held command is marked by
// "held-CMD.N" until that file goes; a reset renames it to "cancel-CMD.N" instead.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace rookery {

class FtpSwitches {
 public:
  // Makes `folder` (private) and empties it: flags left from an earlier run do not count.
  explicit FtpSwitches(std::filesystem::path folder);

  // Arms `kind` ("drop", "refuse" or "hold") for each of `commands`, and disarms it for the
  // other commands.
  void Arm(const std::string& kind, const std::vector<std::string>& commands);

  // The commands held now.
  std::vector<std::string> Held() const;
  // Lets every held command go on.
  void Release();
  // Disarms everything; a held command ends its connection without acting.
  void Reset();
  // Forgets the held commands of an FTP server that was stopped.
  void ForgetHeld();

 private:
  std::vector<std::string> Names() const;

  std::filesystem::path folder_;
};

}  // namespace rookery
