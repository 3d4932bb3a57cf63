// The FTP side of the service: Debian's pyftpdlib, run as a direct child process serving the
// import folder to the account "tarnwick". Linux only, like the rest of this dev service.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace rookery {

struct FtpSettings {
  std::string python = "/usr/bin/python3";
  std::filesystem::path home;      // the account's folder: where uploads land
  std::filesystem::path log;       // the server's own log; its first lines give the port
  std::filesystem::path switches;  // the flag files of FtpSwitches (ftp_switches.h)
  std::string user = "tarnwick";
  std::string password;
  int port = 0;  // 0: the server picks a free one
};

class FtpChild {
 public:
  explicit FtpChild(FtpSettings settings) : settings_(std::move(settings)) {}
  ~FtpChild() { Stop(); }
  FtpChild(const FtpChild&) = delete;
  FtpChild& operator=(const FtpChild&) = delete;

  // Starts the server and waits until it listens. Throws std::runtime_error when it does
  // not come up within ten seconds. A later Start reuses the port it had.
  void Start();
  // Ends the server by its process id (SIGTERM, then waits for it). Harmless when stopped.
  void Stop();

  bool running() const { return pid_ > 0; }
  int port() const { return settings_.port; }

 private:
  int WaitForPort();

  FtpSettings settings_;
  pid_t pid_ = -1;
};

}  // namespace rookery
